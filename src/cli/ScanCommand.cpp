#include <windows.h>

#include <cwchar>

#include "settings/ModulePath.h"
#include "cleaner/ScanDriver.h"
#include "cleaner/TaskSelection.h"
#include "Cli.h"
#include "ConsoleProgress.h"
#include "text/FormatText.h"
#include "text/LanguageTable.h"

namespace {

// Counts the rows of each task on their way to the printer.
class TaskCounter : public RowSink {
  public:
    explicit TaskCounter(RowSink& inner) : m_inner(inner) {}
    void BeginTask(int task) override {
        m_counts.push_back({task, 0});
        m_inner.BeginTask(task);
    }
    void AddRow(const RegistryItem& item) override {
        if (!m_counts.empty())
            ++m_counts.back().rows;
        m_inner.AddRow(item);
    }
    // One line per task that ran: its number, its count and its name.
    void PrintSummary() const {
        for (const TaskCount& count : m_counts) {
            wchar_t numbers[32];
            std::swprintf(numbers, 32, L"task %2d  %6zu  ", count.task, count.rows);
            WriteText(Stream::Error,
                      numbers + GetText(L"_PageRegistryCleanerTask" + std::to_wstring(count.task)) +
                          L"\n");
        }
    }

  private:
    struct TaskCount {
        int task;
        std::size_t rows;
    };
    RowSink& m_inner;
    std::vector<TaskCount> m_counts;
};

}  // namespace

bool ParseTasksOption(const std::wstring& command, const std::wstring& value,
                      std::vector<bool>& selection, int& status) {
    if (ParseTaskList(value, selection))
        return true;
    status = UsageError(command + L": bad task list '" + value +
                        L"': expected task numbers 1 to 11, such as 1-3,11");
    return false;
}

int RunScanCommand(const Arguments& args) {
    OutputFormat format = OutputFormat::Tsv;
    bool quiet = false;
    bool summary = false;
    bool tasksGiven = false;
    bool problemColumn = false;
    bool unfiltered = false;
    std::vector<bool> selection;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg == L"--quiet") {
            quiet = true;
        } else if (arg == L"--problem") {
            problemColumn = true;
        } else if (arg == L"--unfiltered") {
            unfiltered = true;
        } else if (arg == L"--summary") {
            summary = true;
        } else if (arg == L"--tasks" || arg == L"--format") {
            if (i + 1 >= args.size())
                return UsageError(L"scan: " + arg + L" needs a value");
            const std::wstring& value = args[++i];
            if (arg == L"--format" && !ParseOutputFormat(value, format))
                return UsageError(L"scan: unknown format '" + value + L"' (use tsv or json)");
            int status = kExitOk;
            if (arg == L"--tasks" && !ParseTasksOption(L"scan", value, selection, status))
                return status;
            tasksGiven = tasksGiven || arg == L"--tasks";
        } else {
            return UsageError(L"scan: unknown argument '" + arg + L"'");
        }
    }
    if (!tasksGiven)
        selection = StoredTaskSelection(ConfigFilePath());

    ProgressLine line(quiet);
    ConsoleProgress progress(line);
    StopFlag outputFailed{false};
    RowEnding ending;
    // JSON rows always name their problem; TSV rows keep six fields unless asked.
    ending.problem = problemColumn || format == OutputFormat::Json;
    PrintingSink printer(format, outputFailed, ending);
    TaskCounter counter(printer);
    const std::shared_ptr<const EntryFilter> filter =
        unfiltered ? nullptr : StoredEntryFilter(ConfigFilePath());
    const std::size_t rows = RunScan(selection, counter, line.enabled() ? &progress : nullptr,
                                     &outputFailed, filter.get());
    if (outputFailed)
        return OutputFailure();
    if (line.enabled()) {
        progress.ShowNow(
            FormatCount(GetText(L"_PageRegistryCleanerState3"), static_cast<long long>(rows)));
        WriteText(Stream::Error, L"\n");  // keep the final count in view
    }
    if (summary)
        counter.PrintSummary();
    return kExitOk;
}
