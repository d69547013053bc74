#pragma once
// Shared pieces of zdv.exe, the console front end: exit codes, usage errors,
// argument lists and row output.

#include <cstdio>
#include <string>
#include <vector>

#include "registry/Registry.h"
#include "registry/RowSink.h"

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

// Writes text and a line end on standard output. False once standard output
// has failed (a closed pipe, a full disk): every later write fails too.
bool PrintLine(const std::string& text);
// Prints "zdv: standard output could not be written" on standard error and
// returns kExitFailure.
int OutputFailure();

// The task column of a row printed without one (search).
constexpr int kNoTask = -1;

// Writes one row as a line on standard output; outcome, when given, is the
// last column (clean). False as PrintLine.
bool PrintRow(OutputFormat format, int task, const RegistryItem& item,
              const char* outcome = nullptr);

// Prints each row as it comes, with the task that BeginTask named (no task
// column before the first). Once standard output fails it sets failed, which
// the caller passes to the run as its stop flag: nobody would see what the
// run still finds.
class PrintingSink : public RowSink {
  public:
    PrintingSink(OutputFormat format, StopFlag& failed) : m_format(format), m_failed(failed) {}
    void BeginTask(int task) override { m_task = task; }
    void AddRow(int image, const std::string& rootName, const std::string& keyPath,
                const std::string& valueName, const std::string& dataText, int type) override;

  private:
    OutputFormat m_format;
    StopFlag& m_failed;
    int m_task = kNoTask;
};

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
