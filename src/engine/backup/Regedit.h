#pragma once
// Whole-registry exports and imports are left to the system registry editor,
// which is started and waited for.

#include <windows.h>

#include <string>

// The registry editor to start: regedit.exe in the Windows folder, or empty
// when it is not there. Never a bare name for the shell to look up, so that no
// program of that name in the current folder or on the path runs in its place.
// Every launch of the registry editor goes through this.
std::string RegistryEditorPath();

struct RegeditRun {
    bool started = false;   // the shell started the program
    bool finished = false;  // it was waited for and has ended
    DWORD exitCode = 0;     // its exit code, when finished
};

enum class RegeditWait { UntilEnd, No };

// "/e "path" ": the editor writes the whole registry into the file. An empty
// program starts nothing.
RegeditRun RegeditExport(const std::string& filePath, const std::string& program, RegeditWait wait);
// "/s "path" ": the editor imports the file without asking.
RegeditRun RegeditImport(const std::string& filePath, const std::string& program, RegeditWait wait);

// The parameter texts of the two launches.
std::string RegeditExportParameters(const std::string& filePath);
std::string RegeditImportParameters(const std::string& filePath);
