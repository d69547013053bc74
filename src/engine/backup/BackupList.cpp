#include <cwchar>

#include "backup/BackupStore.h"
#include "common/Text.h"
#include "common/UniqueHandle.h"

namespace {

std::wstring DateText(const SYSTEMTIME& time) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%04d-%02d-%02d", time.wYear, time.wMonth, time.wDay);
    return text;
}

std::wstring TimeText(const SYSTEMTIME& time) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%02d:%02d:%02d", time.wHour, time.wMinute, time.wSecond);
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

void FindFiles(const std::wstring& folder, const std::vector<std::wstring>& patterns,
               FileVisitor visitor) {
    std::wstring base = folder;
    if (!base.empty() && base.back() == L'\\')
        base.pop_back();
    std::vector<std::wstring> lowered;
    for (const std::wstring& pattern : patterns)
        lowered.push_back(LowerCopy(pattern));

    WIN32_FIND_DATAW entry;
    UniqueFindHandle find(FindFirstFileW((base + L"\\*.*").c_str(), &entry));
    if (!find)
        return;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        const std::wstring name = LowerCopy(entry.cFileName);
        for (const std::wstring& pattern : lowered) {
            if (WildcardMatch(pattern, name)) {
                visitor(base + L"\\" + entry.cFileName, entry);
                break;
            }
        }
    } while (FindNextFileW(find.get(), &entry));
}

bool GetFileTimes(const std::wstring& path, SYSTEMTIME* creation, SYSTEMTIME* lastAccess,
                  SYSTEMTIME* lastWrite) {
    SYSTEMTIME times[3] = {};
    WIN32_FILE_ATTRIBUTE_DATA data;
    bool ok = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) != FALSE &&
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

long GetFileSizeLow(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return static_cast<long>(static_cast<LONG>(data.nFileSizeLow));
}

std::wstring BackupTypeFromName(const std::wstring& fileName) {
    std::vector<std::wstring> fields = SplitText(fileName, L"()", EmptyFields::Drop);
    return fields.size() >= 2 ? fields[1] : std::wstring();
}

BackupRow MakeBackupRow(const std::wstring& path, const WIN32_FIND_DATAW& entry) {
    BackupRow row;
    SYSTEMTIME creation;
    GetFileTimes(path, &creation, nullptr, nullptr);
    row.date = DateText(creation);
    row.time = TimeText(creation);
    row.size = std::to_wstring(GetFileSizeLow(path));
    row.type = BackupTypeFromName(entry.cFileName);
    row.path = path;
    return row;
}

std::vector<BackupRow> ListBackups(const std::wstring& folder) {
    std::vector<BackupRow> rows;
    FindFiles(folder, {L"*.REG"}, [&rows](const std::wstring& path, const WIN32_FIND_DATAW& entry) {
        rows.push_back(MakeBackupRow(path, entry));
    });
    return rows;
}
