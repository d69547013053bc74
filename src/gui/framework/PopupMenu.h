#pragma once
// Popup menus, the skin layer's one call the pages and lists make: the system's
// TrackPopupMenu, or a test's answer.

#include <windows.h>

#include <functional>

// Shows the menu at (x, y) and, with TPM_RETURNCMD, returns the chosen
// command (0 when dismissed).
int SkinTrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner);
// Tests answer popup menus through a hook instead of a real menu; an empty
// hook restores the menu. Returns the previous one.
using PopupMenuHook = std::function<int(HMENU menu, UINT flags, HWND owner)>;
PopupMenuHook SetPopupMenuHook(PopupMenuHook hook);
