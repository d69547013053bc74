#include "framework/FileDialogs.h"

#include <commdlg.h>

namespace {

SaveFileHook& CurrentSaveHook() {
    static SaveFileHook hook;
    return hook;
}

// "text\0pattern\0...\0\0", as the dialogs take their filter list.
std::string FilterList(const std::vector<FileFilter>& filters) {
    std::string list;
    for (const FileFilter& filter : filters) {
        list += filter.text;
        list += '\0';
        list += filter.pattern;
        list += '\0';
    }
    list += '\0';
    return list;
}

OPENFILENAMEA DialogSetup(HWND owner, const std::string& filterList, char* path, DWORD flags) {
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filterList.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | flags;
    return dialog;
}

}  // namespace

std::string ChooseFileToSave(HWND owner, const std::vector<FileFilter>& filters,
                             const char* defaultExtension) {
    if (CurrentSaveHook())
        return CurrentSaveHook()(owner);
    char path[MAX_PATH] = {};
    const std::string filterList = FilterList(filters);
    OPENFILENAMEA dialog = DialogSetup(owner, filterList, path, OFN_OVERWRITEPROMPT);
    dialog.lpstrDefExt = defaultExtension;
    return GetSaveFileNameA(&dialog) ? std::string(path) : std::string();
}

std::string ChooseFileToOpen(HWND owner, const std::vector<FileFilter>& filters) {
    char path[MAX_PATH] = {};
    const std::string filterList = FilterList(filters);
    OPENFILENAMEA dialog = DialogSetup(owner, filterList, path, OFN_FILEMUSTEXIST);
    return GetOpenFileNameA(&dialog) ? std::string(path) : std::string();
}

SaveFileHook SetSaveFileHook(SaveFileHook hook) {
    SaveFileHook previous = std::move(CurrentSaveHook());
    CurrentSaveHook() = std::move(hook);
    return previous;
}
