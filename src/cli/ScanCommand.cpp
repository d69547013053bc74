#include <windows.h>

#include "app/ModulePath.h"
#include "cleaner/ScanDriver.h"
#include "cleaner/TaskSelection.h"
#include "cli/Cli.h"

namespace {

class PrintingSink : public RowSink {
  public:
    explicit PrintingSink(OutputFormat format) : m_format(format) {}
    void BeginTask(int task) override { m_task = task; }
    void AddRow(int, const std::string& rootName, const std::string& keyPath,
                const std::string& valueName, const std::string& dataText, int type) override {
        RegistryItem item;
        item.rootKey = rootName;
        item.keyPath = keyPath;
        item.valueName = valueName;
        item.dataText = dataText;
        item.type = type;
        PrintRow(stdout, m_format, m_task, item);
    }

  private:
    OutputFormat m_format;
    int m_task = 0;
};

// The key being walked, at most ten times a second: a console write per key
// would slow the whole-root tasks down.
class ConsoleProgress : public ScanProgress {
  public:
    explicit ConsoleProgress(ProgressLine& line) : m_line(line) {}
    void ShowStatus(const std::string& text) override {
        ULONGLONG now = GetTickCount64();
        if (m_shown && now - m_shownAt < 100) {
            m_pending = text;
            return;
        }
        m_line.Show(text);
        m_pending.clear();
        m_shown = true;
        m_shownAt = now;
    }
    // Shows the last text if it was held back (the final count, say).
    void Flush() {
        if (!m_pending.empty())
            m_line.Show(m_pending);
        m_pending.clear();
    }

  private:
    ProgressLine& m_line;
    std::string m_pending;
    bool m_shown = false;
    ULONGLONG m_shownAt = 0;
};

}  // namespace

int RunScanCommand(const Arguments& args) {
    OutputFormat format = OutputFormat::Tsv;
    bool quiet = false;
    bool tasksGiven = false;
    std::vector<bool> selection;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--quiet") {
            quiet = true;
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
    PrintingSink sink(format);
    RunScan(selection, sink, line.enabled() ? &progress : nullptr, nullptr);
    if (line.enabled()) {
        progress.Flush();
        std::fputs("\n", stderr);  // keep the final count in view
    }
    return kExitOk;
}
