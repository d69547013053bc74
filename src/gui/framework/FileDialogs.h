#pragma once
// The common Save and Open dialogs (explorer style, resizable).

#include <windows.h>

#include <string>
#include <vector>

struct FileFilter {
    std::string text;     // "Registry File (*.reg)"
    std::string pattern;  // "*.reg"
};

// The chosen path, or empty when the dialog was cancelled. The Save dialog
// appends defaultExtension to a name typed without one and asks before it
// lets the user pick an existing file.
std::string ChooseFileToSave(HWND owner, const std::vector<FileFilter>& filters,
                             const char* defaultExtension);
std::string ChooseFileToOpen(HWND owner, const std::vector<FileFilter>& filters);
