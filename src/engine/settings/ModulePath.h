#pragma once
// Where the program's own files are: everything is found beside the program file.

#include <windows.h>

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
std::wstring ConfigFilePath();
std::wstring BackupFolderPath();  // ends in a backslash
