#include <windows.h>

#include "settings/ModulePath.h"
#include "cleaner/ScanDriver.h"
#include "cleaner/TaskSelection.h"
#include "Cli.h"
#include "ConsoleProgress.h"

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
    StopFlag outputFailed{false};
    PrintingSink sink(format, outputFailed);
    RunScan(selection, sink, line.enabled() ? &progress : nullptr, &outputFailed);
    if (outputFailed)
        return OutputFailure();
    if (line.enabled()) {
        progress.Flush();
        std::fputs("\n", stderr);  // keep the final count in view
    }
    return kExitOk;
}
