#pragma once
// Where the program's own files are. The program, its language file and the
// shipped config.xml are beside the program file; the user's data (config.xml
// and the backup folder) stays there too when that folder can be written, and
// goes to the user's local application data folder when it cannot (an
// installed copy in Program Files run by a standard user).

#include <windows.h>

#include <optional>
#include <string>

constexpr wchar_t kProductName[] = L"ZazaDaziveveVivozed";

enum class Extension { Drop, Keep };

std::wstring ModulePath(HMODULE module);
// The folder without a trailing backslash ("C:" for a path such as C:name.exe).
std::wstring ModuleFolder(HMODULE module);
// The file name, with or without its last extension.
std::wstring ModuleBaseName(HMODULE module, Extension extension);

// Pure forms of the two above, for any path text.
std::wstring FolderOfPath(const std::wstring& path);
std::wstring BaseNameOfPath(const std::wstring& path, Extension extension);

// The program's files. The language file is named after the running program;
// zdv.exe uses the program's own name instead (it shares the program's files).
std::wstring LanguageFilePath(const std::wstring& baseName);

// The folder that holds the user's config.xml, without a trailing backslash:
// the program's folder, or %LOCALAPPDATA%\ZazaDaziveveVivozed.
std::wstring DataFolderPath();
// In the user's folder, config.xml starts as a copy of the one beside the program.
std::wstring ConfigFilePath();
// <program folder>\Data\ZazaDaziveveVivozed\Backup\ or <data folder>\Backup\.
std::wstring BackupFolderPath();  // ends in a backslash

// Whether the program's folder can be written is tried once per process;
// tests say it instead (nullopt: try again on the next call).
void SetProgramFolderWritableForTesting(std::optional<bool> writable);
