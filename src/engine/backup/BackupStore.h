#pragma once
// The backup folder's files: how backups are named and how the folder is listed.
// A backup is any .reg file in the folder; its name carries the local date and
// time it was made and, in parentheses, the kind of backup.

#include <windows.h>

#include <string>
#include <vector>

#include "common/FunctionRef.h"

// Local date and time as "2005-03-07 14:05:09".
std::string CurrentTimeStamp();

// The type key's text as it can stand in a file name: every character that
// cannot ("\/:*?"<>|" and control characters) becomes "_".
std::string FileNameSafeText(const std::string& text);

// "2005-03-07 14-05-09(T).reg", T the text of typeKey. When folder is given and
// a file of that name exists there, " (2)", " (3)", ... goes after the closing
// parenthesis, so a new backup never replaces an older one.
std::string MakeBackupName(const std::string& typeKey, const std::string& folder = std::string());

// The folder with one backslash at its end, ready for a file name.
std::string FolderWithBackslash(const std::string& folder);

// Appends the extension (lower case, with its dot) unless the name already
// ends with it in any letter case.
std::string EnsureExtension(const std::string& name, const std::string& extension);

// Creates every missing folder along the path; the part after the last
// backslash is the file name and is not created. True when the file's folder
// exists afterwards.
bool CreatePathFolders(const std::string& path);

// Calls visitor for every file directly in folder whose long name matches one
// of the patterns ("*" and "?", any letter case). Sub folders are not entered.
using FileVisitor = FunctionRef<void(const std::string& path, const WIN32_FIND_DATAA& entry)>;
void FindFiles(const std::string& folder, const std::vector<std::string>& patterns,
               FileVisitor visitor);

// Creation, last-access and last-write time in local time; false and all-zero
// times when the file's attributes cannot be read.
bool GetFileTimes(const std::string& path, SYSTEMTIME* creation, SYSTEMTIME* lastAccess,
                  SYSTEMTIME* lastWrite);
// The low 32 bits of the size as a signed number; -1 when unreadable.
long GetFileSizeLow(const std::string& path);

// One row of the backup list.
struct BackupRow {
    std::string date;  // creation date, "%04d-%02d-%02d"
    std::string time;  // creation time, "%02d:%02d:%02d"
    std::string size;  // "%ld"
    std::string type;  // the text in the name's first parentheses
    std::string path;  // full path
};

// The type text of a backup file name: the second field when the name is
// split at "(" and ")" with empty fields dropped; empty when there is none.
std::string BackupTypeFromName(const std::string& fileName);
BackupRow MakeBackupRow(const std::string& path, const WIN32_FIND_DATAA& entry);
// Every "*.REG" file of the folder, in the order the file system lists them.
std::vector<BackupRow> ListBackups(const std::string& folder);
