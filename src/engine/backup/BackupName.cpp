#include <cstdio>
#include <cstring>

#include "text/LanguageTable.h"
#include "backup/BackupStore.h"
#include "cleaner/PathValidation.h"
#include "common/AnsiText.h"

std::string CurrentTimeStamp() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    return text;
}

std::string FileNameSafeText(const std::string& text) {
    std::string safe;
    safe.reserve(text.size());
    // By characters: a double-byte character's trail byte may equal "\" or "|".
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = CharLength(text, pos);
        unsigned char c = static_cast<unsigned char>(text[pos]);
        if (length == 1 && (c < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr)) {
            safe += '_';
        } else {
            safe.append(text, pos, length);
        }
        pos += length;
    }
    return safe;
}

std::string FolderWithBackslash(const std::string& folder) {
    if (!folder.empty() && FindLastChar(folder, '\\') == folder.size() - 1)
        return folder;
    return folder + "\\";
}

std::string MakeBackupName(const std::string& typeKey, const std::string& folder) {
    std::string stamp = CurrentTimeStamp();
    for (char& c : stamp) {
        if (c == ':')
            c = '-';
    }
    std::string stem = stamp + "(" + FileNameSafeText(GetText(typeKey)) + ")";
    std::string name = EnsureExtension(stem, "reg");
    if (folder.empty())
        return name;
    // Two backups within one second would share a name; the later one must not
    // replace the earlier, which may be the only copy of what was deleted.
    std::string base = FolderWithBackslash(folder);
    for (int copy = 2; PathExists(base + name); ++copy) {
        name = EnsureExtension(stem + " (" + std::to_string(copy) + ")", "reg");
    }
    return name;
}

std::string EnsureExtension(const std::string& name, const std::string& extension) {
    std::string ending = LowerCopy(extension);
    if (ending.empty() || ending[0] != '.')
        ending.insert(0, ".");
    if (name.size() >= ending.size() &&
        LowerCopy(name.substr(name.size() - ending.size())) == ending) {
        return name;
    }
    return name + ending;
}

bool CreatePathFolders(const std::string& path) {
    std::size_t lastSlash = std::string::npos;
    for (std::size_t pos = 0; pos < path.size(); pos += CharLength(path, pos)) {
        if (path[pos] != '\\')
            continue;
        lastSlash = pos;
        std::string folder = path.substr(0, pos);
        // "" before a leading backslash and "\\server" of a share name are not
        // folders that can be made; trying is harmless.
        if (!folder.empty() && !PathExists(folder))
            CreateDirectoryA(folder.c_str(), nullptr);
    }
    if (lastSlash == std::string::npos)
        return true;
    DWORD attributes = GetFileAttributesA(path.substr(0, lastSlash).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
