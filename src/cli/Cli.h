#pragma once
// Shared pieces of zdv.exe, the console front end: exit codes, usage errors,
// argument lists and row output.

#include <string>
#include <vector>

#include "registry/Registry.h"
#include "work/RowSink.h"

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Prints "zdv: <message>" on standard error and returns kExitUsage.
int UsageError(const std::wstring& message);
// Prints "zdv: <message>" on standard error and returns kExitFailure.
int Failure(const std::wstring& message);

enum class OutputFormat { Tsv, Json };

// Parses "tsv" or "json"; false for anything else.
bool ParseOutputFormat(const std::wstring& text, OutputFormat& format);

// Text goes out through the wide console call on a console, as UTF-8 to a
// file or a pipe.
enum class Stream { Out, Error };
bool WriteText(Stream stream, std::wstring_view text);
// Whether the stream is a console.
bool IsConsole(Stream stream);

// Writes text and a line end on standard output. False once standard output
// has failed (a closed pipe, a full disk): every later write fails too.
bool PrintLine(const std::wstring& text);
// Prints "zdv: standard output could not be written" on standard error and
// returns kExitFailure.
int OutputFailure();

// The task column of a row printed without one (search).
constexpr int kNoTask = -1;

// What a printed row ends with besides its six fields.
struct RowEnding {
    bool problem = false;              // the row's problem, in words
    const wchar_t* outcome = nullptr;  // what a deletion did (clean)
};

// Writes one row as a line on standard output. False as PrintLine.
bool PrintRow(OutputFormat format, int task, const RegistryItem& item, RowEnding ending = {});

// Prints each row as it comes, with the task that BeginTask named (no task
// column before the first). Once standard output fails it sets failed, which
// the caller passes to the run as its stop flag: nobody would see what the
// run still finds.
class PrintingSink : public RowSink {
  public:
    PrintingSink(OutputFormat format, StopFlag& failed, RowEnding ending = {})
        : m_format(format), m_failed(failed), m_ending(ending) {}
    void BeginTask(int task) override { m_task = task; }
    void AddRow(const RegistryItem& item) override;

  private:
    OutputFormat m_format;
    StopFlag& m_failed;
    RowEnding m_ending;
    int m_task = kNoTask;
};

// The texts of a row as the formats write them (exposed for tests). TSV
// escapes tab, line feed and carriage return; JSON is exact, an unpaired
// surrogate written as its \u escape.
std::wstring TsvEscape(const std::wstring& text);
std::wstring JsonString(const std::wstring& text);  // quoted

// Progress on standard error, only when it is a console and not quietened.
class ProgressLine {
  public:
    explicit ProgressLine(bool quiet = false);
    ~ProgressLine();
    bool enabled() const { return m_enabled; }
    void Show(const std::wstring& text);

  private:
    bool m_enabled;
    std::size_t m_lastLength = 0;
};

// Parses the value of --tasks into selection; on a bad list prints the usage
// error, sets status to its exit code and returns false.
bool ParseTasksOption(const std::wstring& command, const std::wstring& value,
                      std::vector<bool>& selection, int& status);

// Each command takes the arguments after its name.
using Arguments = std::vector<std::wstring>;
int RunScanCommand(const Arguments& args);
int RunSearchCommand(const Arguments& args);
int RunExportCommand(const Arguments& args);
int RunCleanCommand(const Arguments& args);
int RunBackupsCommand(const Arguments& args);
int RunBackupCommand(const Arguments& args);
int RunRestoreCommand(const Arguments& args);
