#pragma once
// The backup folder's files: how backups are named and how the folder is listed.
// A backup is any .reg file in the folder; its name carries the local date and
// time it was made and, in parentheses, the kind of backup.

#include <windows.h>

#include <string>
#include <vector>

#include "common/FunctionRef.h"

// The local date and time now.
SYSTEMTIME LocalTimeNow();
// "2005-03-07 14:05:09".
std::wstring TimeStamp(const SYSTEMTIME& time);

// The type text as it can stand in a file name: every character that cannot
// ("\/:*?"<>|" and control characters) becomes "_".
std::wstring FileNameSafeText(const std::wstring& text);

// "2005-03-07 14-05-09(T).reg" for the time, T the type text. When folder is
// given and a file of that name exists there, " (2)", " (3)", ... goes after
// the closing parenthesis, so a new backup never replaces an older one.
std::wstring MakeBackupName(const std::wstring& typeText, const std::wstring& folder,
                            const SYSTEMTIME& time);
// The folder, a backslash and the name MakeBackupName gives.
std::wstring NewBackupPath(const std::wstring& folder, const std::wstring& typeText,
                           const SYSTEMTIME& time);

// The folder with one backslash at its end, ready for a file name.
std::wstring FolderWithBackslash(const std::wstring& folder);

// Appends the extension (lower case, with its dot) unless the name already
// ends with it in any letter case.
std::wstring EnsureExtension(const std::wstring& name, const std::wstring& extension);

// Creates every missing folder along the path; the part after the last
// backslash is the file name and is not created. True when the file's folder
// exists afterwards.
bool CreatePathFolders(const std::wstring& path);

// Calls visitor for every file directly in folder whose long name matches one
// of the patterns ("*" and "?", any letter case). Sub folders are not entered.
using FileVisitor = FunctionRef<void(const std::wstring& path, const WIN32_FIND_DATAW& entry)>;
void FindFiles(const std::wstring& folder, const std::vector<std::wstring>& patterns,
               FileVisitor visitor);

// Creation, last-access and last-write time in local time; false and all-zero
// times when the file's attributes cannot be read.
bool GetFileTimes(const std::wstring& path, SYSTEMTIME* creation, SYSTEMTIME* lastAccess,
                  SYSTEMTIME* lastWrite);
// The low 32 bits of the size as a signed number; -1 when unreadable.
long GetFileSizeLow(const std::wstring& path);

// One row of the backup list.
struct BackupRow {
    std::wstring date;  // creation date, "%04d-%02d-%02d"
    std::wstring time;  // creation time, "%02d:%02d:%02d"
    std::wstring size;  // "%ld"
    std::wstring type;  // the text in the name's first parentheses
    std::wstring path;  // full path
};

// The type text of a backup file name: the second field when the name is
// split at "(" and ")" with empty fields dropped; empty when there is none.
std::wstring BackupTypeFromName(const std::wstring& fileName);
BackupRow MakeBackupRow(const std::wstring& path, const WIN32_FIND_DATAW& entry);
// Every "*.REG" file of the folder, in the order the file system lists them.
std::vector<BackupRow> ListBackups(const std::wstring& folder);
