#include <windows.h>

#include "settings/ModulePath.h"
#include "cleaner/ScanDriver.h"
#include "cleaner/TaskSelection.h"
#include "Cli.h"
#include "ConsoleProgress.h"
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
    void AddRow(int image, const std::string& rootName, const std::string& keyPath,
                const std::string& valueName, const std::string& dataText, int type) override {
        if (!m_counts.empty())
            ++m_counts.back().rows;
        m_inner.AddRow(image, rootName, keyPath, valueName, dataText, type);
    }
    // One line per task that ran: its number, its count and its name.
    void PrintSummary() const {
        for (const TaskCount& count : m_counts) {
            const std::string name =
                GetText("_PageRegistryCleanerTask" + std::to_string(count.task));
            std::fprintf(stderr, "task %2d  %6zu  %s\n", count.task, count.rows, name.c_str());
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

int RunScanCommand(const Arguments& args) {
    OutputFormat format = OutputFormat::Tsv;
    bool quiet = false;
    bool summary = false;
    bool tasksGiven = false;
    std::vector<bool> selection;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--quiet") {
            quiet = true;
        } else if (arg == "--summary") {
            summary = true;
        } else if (arg == "--tasks" || arg == "--format") {
            if (i + 1 >= args.size())
                return UsageError("scan: " + arg + " needs a value");
            const std::string& value = args[++i];
            std::string error;
            if (arg == "--format" && !ParseOutputFormat(value, format)) {
                return UsageError("scan: unknown format '" + value + "' (use tsv or json)");
            }
            if (arg == "--tasks") {
                if (!ParseTaskList(value, selection, error))
                    return UsageError("scan: " + error);
                tasksGiven = true;
            }
        } else {
            return UsageError("scan: unknown argument '" + arg + "'");
        }
    }
    if (!tasksGiven)
        selection = StoredTaskSelection(ConfigFilePath());

    ProgressLine line(quiet);
    ConsoleProgress progress(line);
    StopFlag outputFailed{false};
    PrintingSink printer(format, outputFailed);
    TaskCounter counter(printer);
    RunScan(selection, counter, line.enabled() ? &progress : nullptr, &outputFailed);
    if (outputFailed)
        return OutputFailure();
    if (line.enabled()) {
        progress.Flush();
        std::fputs("\n", stderr);  // keep the final count in view
    }
    if (summary)
        counter.PrintSummary();
    return kExitOk;
}
