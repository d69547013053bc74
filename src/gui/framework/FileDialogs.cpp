#include "framework/FileDialogs.h"

#include <commdlg.h>

#include "text/LanguageTable.h"

namespace {

SaveFileHook& CurrentSaveHook() {
    static SaveFileHook hook;
    return hook;
}

// "text\0pattern\0...\0\0", as the dialogs take their filter list.
std::wstring FilterList(const std::vector<FileFilter>& filters) {
    std::wstring list;
    for (const FileFilter& filter : filters) {
        list += filter.text;
        list += '\0';
        list += filter.pattern;
        list += '\0';
    }
    list += '\0';
    return list;
}

OPENFILENAMEW DialogSetup(HWND owner, const std::wstring& filterList, wchar_t* path, DWORD flags) {
    OPENFILENAMEW dialog = {};
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

std::wstring ChooseFileToSave(HWND owner, const std::vector<FileFilter>& filters,
                              const wchar_t* defaultExtension) {
    if (CurrentSaveHook())
        return CurrentSaveHook()(owner);
    wchar_t path[MAX_PATH] = {};
    const std::wstring filterList = FilterList(filters);
    OPENFILENAMEW dialog = DialogSetup(owner, filterList, path, OFN_OVERWRITEPROMPT);
    dialog.lpstrDefExt = defaultExtension;
    return GetSaveFileNameW(&dialog) ? std::wstring(path) : std::wstring();
}

std::wstring ChooseFileToOpen(HWND owner, const std::vector<FileFilter>& filters) {
    wchar_t path[MAX_PATH] = {};
    const std::wstring filterList = FilterList(filters);
    OPENFILENAMEW dialog = DialogSetup(owner, filterList, path, OFN_FILEMUSTEXIST);
    return GetOpenFileNameW(&dialog) ? std::wstring(path) : std::wstring();
}

SaveFileHook SetSaveFileHook(SaveFileHook hook) {
    SaveFileHook previous = std::move(CurrentSaveHook());
    CurrentSaveHook() = std::move(hook);
    return previous;
}

std::vector<FileFilter> RegistryFileFilters(bool withAllFiles) {
    std::vector<FileFilter> filters = {{GetText(L"_RegistryListViewFilterReg"), L"*.reg"}};
    if (withAllFiles)
        filters.push_back({GetText(L"_RegistryListViewFilterAll"), L"*.*"});
    return filters;
}
