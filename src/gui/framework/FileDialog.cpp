#include "framework/FileDialog.h"

#include <commdlg.h>

namespace {

SaveFileHook& CurrentHook() {
    static SaveFileHook hook;
    return hook;
}

// Long enough for any path the file system takes.
constexpr std::size_t kNameBuffer = 32768;

}  // namespace

std::string AskSaveFileName(HWND owner, const std::vector<FileFilter>& filters,
                            const std::string& defaultExtension) {
    if (CurrentHook())
        return CurrentHook()(owner);
    // Pairs of NUL-terminated texts, ended by an empty one.
    std::string filter;
    for (const FileFilter& entry : filters) {
        filter += entry.text;
        filter += '\0';
        filter += entry.pattern;
        filter += '\0';
    }
    filter += '\0';
    std::string name(kNameBuffer, '\0');
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = &name[0];
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
    dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_ENABLESIZING |
                   OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameA(&dialog))
        return std::string();
    name.resize(name.find('\0'));
    return name;
}

SaveFileHook SetSaveFileHook(SaveFileHook hook) {
    SaveFileHook previous = std::move(CurrentHook());
    CurrentHook() = std::move(hook);
    return previous;
}
