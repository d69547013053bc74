#pragma once
// The look of the windows and the popup menus. The program draws with the
// system's own look: starting, loading a skin and skinning windows do nothing
// (and read no file); popup menus are the system's TrackPopupMenu.

#include <windows.h>

#include <functional>
#include <string>

void SkinStart(HINSTANCE instance, const wchar_t* applicationName);
void SkinLoadFile(const std::wstring& path);
void SkinWindow(HWND window, const wchar_t* skinObjectName);
void SkinDialogs(const wchar_t* skinObjectName);
// Shows the menu at (x, y) and, with TPM_RETURNCMD, returns the chosen
// command (0 when dismissed).
int SkinTrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner);
// Tests answer popup menus through a hook instead of a real menu; an empty
// hook restores the menu. Returns the previous one.
using PopupMenuHook = std::function<int(HMENU menu, UINT flags, HWND owner)>;
PopupMenuHook SetPopupMenuHook(PopupMenuHook hook);
void SkinShutdown();
