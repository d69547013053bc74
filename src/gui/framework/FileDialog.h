#pragma once
// The common Save dialog. Tests answer it through a hook instead of a real
// dialog.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct FileFilter {
    std::string text;     // display text, "Registry files (*.reg)"
    std::string pattern;  // "*.reg"
};

// Asks where to save; the chosen path, or empty when the user cancelled. The
// default extension (without dot) is added to a name typed without one; an
// existing file is replaced only after the user agreed.
std::string AskSaveFileName(HWND owner, const std::vector<FileFilter>& filters,
                            const std::string& defaultExtension);

using SaveFileHook = std::function<std::string(HWND owner)>;
// Replaces the dialog; an empty hook restores it. Returns the previous one.
SaveFileHook SetSaveFileHook(SaveFileHook hook);
