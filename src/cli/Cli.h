#pragma once
// Shared pieces of zdv.exe, the console front end: exit codes, usage errors,
// argument lists and row output.

#include <cstdio>
#include <string>
#include <vector>

#include "registry/Registry.h"

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Prints "zdv: <message>" on standard error and returns kExitUsage.
int UsageError(const std::string& message);
// Prints "zdv: <message>" on standard error and returns kExitFailure.
int Failure(const std::string& message);

enum class OutputFormat { Tsv, Json };

// Parses "tsv" or "json"; false for anything else.
bool ParseOutputFormat(const std::string& text, OutputFormat& format);

// Writes one row as a line on out. task < 0 leaves the task column out (search).
void PrintRow(std::FILE* out, OutputFormat format, int task, const RegistryItem& item);

// The texts of a row as the formats write them (exposed for tests).
std::string TsvEscape(const std::string& ansiText);
std::string JsonString(const std::string& ansiText);  // quoted, UTF-8

// Progress on standard error, only when it is a console and not quietened.
class ProgressLine {
  public:
    explicit ProgressLine(bool quiet = false);
    ~ProgressLine();
    bool enabled() const { return m_enabled; }
    void Show(const std::string& text);

  private:
    bool m_enabled;
    std::size_t m_lastLength = 0;
};

// Each command takes the arguments after its name.
using Arguments = std::vector<std::string>;
int RunScanCommand(const Arguments& args);
int RunSearchCommand(const Arguments& args);
int RunExportCommand(const Arguments& args);
int RunCleanCommand(const Arguments& args);
int RunBackupsCommand(const Arguments& args);
int RunBackupCommand(const Arguments& args);
int RunRestoreCommand(const Arguments& args);
