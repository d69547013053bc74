#pragma once
// Opening a web address (or any document) with the program the shell chooses.
// Tests put their own opener in place so nothing is really started.

#include <windows.h>

#include <functional>
#include <string>

using ShellOpener = std::function<bool(HWND owner, const std::wstring& target)>;

// ShellExecuteW "open" with SW_SHOWNORMAL; true when the shell reports success.
bool OpenInShell(HWND owner, const std::wstring& target);

// Replaces the opener; an empty one restores the shell. Returns the previous one.
ShellOpener SetShellOpener(ShellOpener opener);
