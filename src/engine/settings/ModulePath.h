#pragma once
// Where the program's own files are: everything is found beside the program file.

#include <windows.h>

#include <string>

constexpr char kProductName[] = "ZazaDaziveveVivozed";

enum class Extension { Drop, Keep };

std::string ModulePath(HMODULE module);
// The folder without a trailing backslash ("C:" for a path such as C:name.exe).
std::string ModuleFolder(HMODULE module);
// The file name, with or without its last extension.
std::string ModuleBaseName(HMODULE module, Extension extension);

// Pure forms of the two above, for any path text.
std::string FolderOfPath(const std::string& path);
std::string BaseNameOfPath(const std::string& path, Extension extension);

// The program's files. The language file is named after the running program;
// zdv.exe uses the program's own name instead (it shares the program's files).
std::string LanguageFilePath(const std::string& baseName);
std::string ConfigFilePath();
std::string BackupFolderPath();  // ends in a backslash
