#include "settings/ModulePath.h"

std::wstring ModulePath(HMODULE module) {
    // A folder may be deeper than MAX_PATH: the buffer grows until the name fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        const DWORD length = GetModuleFileNameW(module, &path[0], size);
        if (length == 0)
            return std::wstring();
        if (length < size) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring FolderOfPath(const std::wstring& path) {
    std::size_t slash = path.rfind(L'\\');
    if (slash != std::wstring::npos)
        return path.substr(0, slash);
    std::size_t colon = path.rfind(L':');
    if (colon != std::wstring::npos)
        return path.substr(0, colon + 1);
    return std::wstring();
}

std::wstring BaseNameOfPath(const std::wstring& path, Extension extension) {
    const std::size_t cut = path.find_last_of(L"\\:");
    std::wstring name = cut == std::wstring::npos ? path : path.substr(cut + 1);
    if (extension == Extension::Drop) {
        std::size_t dot = name.rfind(L'.');
        if (dot != std::wstring::npos)
            name.resize(dot);
    }
    return name;
}

std::wstring ModuleFolder(HMODULE module) {
    return FolderOfPath(ModulePath(module));
}

std::wstring ModuleBaseName(HMODULE module, Extension extension) {
    return BaseNameOfPath(ModulePath(module), extension);
}

std::wstring LanguageFilePath(const std::wstring& baseName) {
    return ModuleFolder(nullptr) + L"\\" + baseName + L".language";
}

std::wstring ConfigFilePath() {
    return ModuleFolder(nullptr) + L"\\config.xml";
}

std::wstring BackupFolderPath() {
    return ModuleFolder(nullptr) + L"\\Data\\" + kProductName + L"\\Backup\\";
}
