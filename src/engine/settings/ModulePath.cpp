#include "settings/ModulePath.h"

#include <shlobj.h>

#include <atomic>

#include "common/UniqueHandle.h"

namespace {

enum Writability { kUntried, kWritable, kReadOnly };
std::atomic<int> g_programFolder{kUntried};

// A file made there and gone again when closed: the only sure answer, since
// the folder's access rights, a read-only medium or a policy may each forbid it.
bool CanCreateFileIn(const std::wstring& folder) {
    const std::wstring stem =
        folder + L"\\~" + kProductName + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-";
    for (int attempt = 0; attempt < 10; ++attempt) {
        const std::wstring path = stem + std::to_wstring(attempt) + L".tmp";
        UniqueFileHandle probe(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                           nullptr));
        if (probe)
            return true;
        if (GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

bool ProgramFolderWritable() {
    int state = g_programFolder.load();
    if (state == kUntried) {
        state = CanCreateFileIn(ModuleFolder(nullptr)) ? kWritable : kReadOnly;
        g_programFolder.store(state);
    }
    return state == kWritable;
}

// %LOCALAPPDATA%\ZazaDaziveveVivozed, or empty when the shell does not know
// the user's folder.
std::wstring UserDataFolder() {
    wchar_t localAppData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                SHGFP_TYPE_CURRENT, localAppData))) {
        return std::wstring();
    }
    return std::wstring(localAppData) + L"\\" + kProductName;
}

// Empty when the user's data stays beside the program.
std::wstring UserDataFolderInUse() {
    return ProgramFolderWritable() ? std::wstring() : UserDataFolder();
}

}  // namespace

void SetProgramFolderWritableForTesting(std::optional<bool> writable) {
    g_programFolder.store(!writable ? kUntried : *writable ? kWritable : kReadOnly);
}

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

std::wstring DataFolderPath() {
    const std::wstring user = UserDataFolderInUse();
    return user.empty() ? ModuleFolder(nullptr) : user;
}

std::wstring ConfigFilePath() {
    const std::wstring user = UserDataFolderInUse();
    const std::wstring beside = ModuleFolder(nullptr) + L"\\config.xml";
    if (user.empty())
        return beside;
    const std::wstring path = user + L"\\config.xml";
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        CreateDirectoryW(user.c_str(), nullptr);
        CopyFileW(beside.c_str(), path.c_str(), TRUE);
    }
    return path;
}

std::wstring BackupFolderPath() {
    const std::wstring user = UserDataFolderInUse();
    if (user.empty())
        return ModuleFolder(nullptr) + L"\\Data\\" + kProductName + L"\\Backup\\";
    return user + L"\\Backup\\";
}
