#include <cstdio>

#include "settings/ConfigStore.h"
#include "backup/BackupStore.h"
#include "cleaner/PathValidation.h"
#include "common/AnsiText.h"
#include "common/UniqueHandle.h"

namespace {

std::string DateText(const SYSTEMTIME& time) {
    char text[32];
    std::snprintf(text, sizeof(text), "%04d-%02d-%02d", time.wYear, time.wMonth, time.wDay);
    return text;
}

std::string TimeText(const SYSTEMTIME& time) {
    char text[32];
    std::snprintf(text, sizeof(text), "%02d:%02d:%02d", time.wHour, time.wMinute, time.wSecond);
    return text;
}

bool ToLocalTime(const FILETIME& fileTime, SYSTEMTIME& local) {
    SYSTEMTIME universal;
    // The zone's rule for that date, not today's offset: a backup made in
    // summer shows its summer time in winter too.
    return FileTimeToSystemTime(&fileTime, &universal) &&
           SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local);
}

}  // namespace

void FindFiles(const std::string& folder, const std::vector<std::string>& patterns,
               FileVisitor visitor) {
    std::string base = folder;
    if (!base.empty() && FindLastChar(base, '\\') == base.size() - 1)
        base.pop_back();
    std::vector<std::string> lowered;
    for (const std::string& pattern : patterns)
        lowered.push_back(LowerCopy(pattern));

    WIN32_FIND_DATAA entry;
    UniqueFindHandle find(FindFirstFileA((base + "\\*.*").c_str(), &entry));
    if (!find)
        return;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        std::string name = LowerCopy(entry.cFileName);
        for (const std::string& pattern : lowered) {
            if (WildcardMatch(pattern, name)) {
                visitor(base + "\\" + entry.cFileName, entry);
                break;
            }
        }
    } while (FindNextFileA(find.get(), &entry));
}

bool GetFileTimes(const std::string& path, SYSTEMTIME* creation, SYSTEMTIME* lastAccess,
                  SYSTEMTIME* lastWrite) {
    SYSTEMTIME times[3] = {};
    WIN32_FILE_ATTRIBUTE_DATA data;
    bool ok = GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) != FALSE &&
              ToLocalTime(data.ftCreationTime, times[0]) &&
              ToLocalTime(data.ftLastAccessTime, times[1]) &&
              ToLocalTime(data.ftLastWriteTime, times[2]);
    if (!ok) {
        for (SYSTEMTIME& time : times)
            time = SYSTEMTIME{};
    }
    if (creation)
        *creation = times[0];
    if (lastAccess)
        *lastAccess = times[1];
    if (lastWrite)
        *lastWrite = times[2];
    return ok;
}

long GetFileSizeLow(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return static_cast<long>(static_cast<LONG>(data.nFileSizeLow));
}

std::string BackupTypeFromName(const std::string& fileName) {
    std::vector<std::string> fields = SplitText(fileName, "()", EmptyFields::Drop);
    return fields.size() >= 2 ? fields[1] : std::string();
}

BackupRow MakeBackupRow(const std::string& path, const WIN32_FIND_DATAA& entry) {
    BackupRow row;
    SYSTEMTIME creation;
    GetFileTimes(path, &creation, nullptr, nullptr);
    row.date = DateText(creation);
    row.time = TimeText(creation);
    row.size = std::to_string(GetFileSizeLow(path));
    row.type = BackupTypeFromName(entry.cFileName);
    row.path = path;
    return row;
}

std::vector<BackupRow> ListBackups(const std::string& folder) {
    std::vector<BackupRow> rows;
    FindFiles(folder, {"*.REG"}, [&rows](const std::string& path, const WIN32_FIND_DATAA& entry) {
        rows.push_back(MakeBackupRow(path, entry));
    });
    return rows;
}
