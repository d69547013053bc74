#pragma once
// Message boxes: every one carries the text of "_ZazaDaziveveVivozed" as its
// caption. Tests answer them through a hook instead of a real box.

#include <windows.h>

#include <functional>
#include <string>

using MessageBoxHook = std::function<int(HWND owner, const std::wstring& text,
                                         const std::wstring& caption, UINT type)>;

// Shows text (already a display text) and returns the button pressed.
int ShowMessage(HWND owner, const std::wstring& text, UINT type);

// A question with Yes and No; true for Yes.
bool AskYesNo(HWND owner, const std::wstring& text);

// Replaces the message box; an empty hook restores it. Returns the previous one.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);
