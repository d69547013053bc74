#pragma once
// The common Save and Open dialogs (explorer style, resizable). Tests answer
// the Save dialog through a hook instead of a real dialog.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct FileFilter {
    std::wstring text;     // "Registry File (*.reg)"
    std::wstring pattern;  // "*.reg"
};

// The registry files filter, and all files when asked: the same texts in
// every dialog of the program that opens or saves a .reg file.
std::vector<FileFilter> RegistryFileFilters(bool withAllFiles);

// The chosen path, or empty when the dialog was cancelled. The Save dialog
// appends defaultExtension to a name typed without one and asks before it
// lets the user pick an existing file.
std::wstring ChooseFileToSave(HWND owner, const std::vector<FileFilter>& filters,
                              const wchar_t* defaultExtension);
std::wstring ChooseFileToOpen(HWND owner, const std::vector<FileFilter>& filters);

using SaveFileHook = std::function<std::wstring(HWND owner)>;
// Replaces the Save dialog; an empty hook restores it. Returns the previous one.
SaveFileHook SetSaveFileHook(SaveFileHook hook);
