#include <cwchar>

#include "backup/BackupStore.h"
#include "cleaner/PathValidation.h"
#include "common/Text.h"

SYSTEMTIME LocalTimeNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now;
}

std::wstring TimeStamp(const SYSTEMTIME& time) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%04d-%02d-%02d %02d:%02d:%02d", time.wYear, time.wMonth, time.wDay,
                  time.wHour, time.wMinute, time.wSecond);
    return text;
}

std::wstring FileNameSafeText(const std::wstring& text) {
    std::wstring safe = text;
    for (wchar_t& c : safe) {
        if (c < 0x20 || std::wcschr(L"\\/:*?\"<>|", c) != nullptr)
            c = L'_';
    }
    return safe;
}

std::wstring FolderWithBackslash(const std::wstring& folder) {
    if (!folder.empty() && folder.back() == L'\\')
        return folder;
    return folder + L"\\";
}

std::wstring MakeBackupName(const std::wstring& typeText, const std::wstring& folder,
                            const SYSTEMTIME& time) {
    std::wstring stamp = TimeStamp(time);
    for (wchar_t& c : stamp) {
        if (c == L':')
            c = L'-';
    }
    const std::wstring stem = stamp + L"(" + FileNameSafeText(typeText) + L")";
    std::wstring name = EnsureExtension(stem, L"reg");
    if (folder.empty())
        return name;
    // Two backups within one second would share a name; the later one must not
    // replace the earlier, which may be the only copy of what was deleted.
    const std::wstring base = FolderWithBackslash(folder);
    for (int copy = 2; PathExists(base + name); ++copy)
        name = EnsureExtension(stem + L" (" + std::to_wstring(copy) + L")", L"reg");
    return name;
}

std::wstring NewBackupPath(const std::wstring& folder, const std::wstring& typeText,
                           const SYSTEMTIME& time) {
    return FolderWithBackslash(folder) + MakeBackupName(typeText, folder, time);
}

std::wstring EnsureExtension(const std::wstring& name, const std::wstring& extension) {
    std::wstring ending = LowerCopy(extension);
    if (ending.empty() || ending[0] != L'.')
        ending.insert(0, L".");
    if (name.size() >= ending.size() &&
        EqualsIgnoringCase(std::wstring_view(name).substr(name.size() - ending.size()), ending)) {
        return name;
    }
    return name + ending;
}

bool CreatePathFolders(const std::wstring& path) {
    const std::size_t lastSlash = path.rfind(L'\\');
    for (std::size_t pos = path.find(L'\\'); pos != std::wstring::npos;
         pos = path.find(L'\\', pos + 1)) {
        const std::wstring folder = path.substr(0, pos);
        // "" before a leading backslash and "\\server" of a share name are not
        // folders that can be made; trying is harmless.
        if (!folder.empty() && !PathExists(folder))
            CreateDirectoryW(folder.c_str(), nullptr);
    }
    if (lastSlash == std::wstring::npos)
        return true;
    const DWORD attributes = GetFileAttributesW(path.substr(0, lastSlash).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
