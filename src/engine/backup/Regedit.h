#pragma once
// Whole-registry exports and imports are left to the system registry editor,
// which is started and waited for.

#include <windows.h>

#include <string>

#include "common/UniqueHandle.h"

// The registry editor to start: regedit.exe in the Windows folder, or empty
// when it is not there. Never a bare name for the shell to look up, so that no
// program of that name in the current folder or on the path runs in its place.
// Every launch of the registry editor goes through this.
std::wstring RegistryEditorPath();

struct RegeditRun {
    bool started = false;        // the shell started the program
    bool finished = false;       // it was waited for and has ended
    DWORD exitCode = 0;          // its exit code, when finished
    UniqueKernelHandle process;  // the running program, when not waited for
};

enum class RegeditWait { UntilEnd, No };

// "/e "path" ": the editor writes the whole registry into the file. An empty
// program starts nothing.
RegeditRun RegeditExport(const std::wstring& filePath, const std::wstring& program,
                         RegeditWait wait);
// "/s "path" ": the editor imports the file without asking.
RegeditRun RegeditImport(const std::wstring& filePath, const std::wstring& program,
                         RegeditWait wait);

// Whether the file can be read and its first line is a registry file header,
// "REGEDIT4" or "Windows Registry Editor Version 5.00", in the ANSI code page
// or in UTF-16 after its byte-order mark: the only files the editor imports.
bool HasRegistryFileHeader(const std::wstring& path);

// An export's target as it was before the editor started. The editor's exit
// code proves nothing (Wine's is 0 even when it fails), so an export counts as
// written only when its file exists, was written since then (an older file of
// that name does not count), is not empty and has a registry file header.
struct ExportTarget {
    bool existed = false;
    FILETIME lastWrite = {};
};
ExportTarget ExportTargetBefore(const std::wstring& path);
bool ExportWritten(const std::wstring& path, const ExportTarget& before);

// The parameter texts of the two launches.
std::wstring RegeditExportParameters(const std::wstring& filePath);
std::wstring RegeditImportParameters(const std::wstring& filePath);
