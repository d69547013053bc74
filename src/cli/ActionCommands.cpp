#include <windows.h>

#include <cstdio>
#include <vector>

#include "settings/ModulePath.h"
#include "backup/BackupStore.h"
#include "backup/Regedit.h"
#include "cleaner/ScanDriver.h"
#include "cleaner/TaskSelection.h"
#include "Cli.h"
#include "ConsoleProgress.h"
#include "results/DeleteEntries.h"
#include "results/RegExport.h"

namespace {

bool IsOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

std::string FullPath(const std::string& path) {
    char buffer[MAX_PATH * 2];
    DWORD length = GetFullPathNameA(path.c_str(), sizeof(buffer), buffer, nullptr);
    if (length == 0 || length >= sizeof(buffer))
        return path;
    return std::string(buffer, length);
}

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int ExportFailure(const std::string& keyPath, ExportResult result) {
    std::string why = result == ExportResult::Missing ? "no such key" : "could not be read whole";
    std::fprintf(stderr, "zdv: %s: %s\n", keyPath.c_str(), why.c_str());
    return kExitFailure;
}

// launch is RegeditExport or RegeditImport.
int RunRegedit(RegeditRun (*launch)(const std::string&, const std::string&, RegeditWait),
               const std::string& path) {
    const std::string editor = RegistryEditorPath();
    if (editor.empty())
        return Failure("no registry editor (regedit.exe) in the Windows folder");
    RegeditRun run = launch(path, editor, RegeditWait::UntilEnd);
    if (!run.started)
        return Failure("cannot start the registry editor " + editor);
    if (run.finished && run.exitCode != 0) {
        return Failure("the registry editor ended with code " + std::to_string(run.exitCode));
    }
    return kExitOk;
}

class CollectingSink : public RowSink {
  public:
    void BeginTask(int task) override { m_task = task; }
    void AddRow(int, const std::string& rootName, const std::string& keyPath,
                const std::string& valueName, const std::string& dataText, int type) override {
        items.push_back({rootName, keyPath, valueName, dataText, type});
        tasks.push_back(m_task);
    }
    std::vector<RegistryItem> items;
    std::vector<int> tasks;

  private:
    int m_task = 0;
};

class DeletionProgress : public ProgressSink {
  public:
    explicit DeletionProgress(ProgressLine& line) : m_line(line) {}
    void Begin(const std::string& text, std::size_t total) override {
        m_text = text;
        m_total = total;
    }
    void Step(std::size_t index) override {
        m_line.Show(m_text + " " + std::to_string(index + 1) + "/" + std::to_string(m_total));
    }
    void End() override {}

  private:
    ProgressLine& m_line;
    std::string m_text;
    std::size_t m_total = 0;
};

}  // namespace

int RunExportCommand(const Arguments& args) {
    for (const std::string& arg : args) {
        if (IsOption(arg))
            return UsageError("export: unknown option '" + arg + "'");
    }
    if (args.size() < 2)
        return UsageError("export needs a file and at least one key path");
    const std::string& file = args[0];
    std::vector<RegistryItem> trees;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const SplitPath split = SplitKeyPath(args[i]);
        if (!split.ok) {
            return UsageError("export: '" + args[i] +
                              "' is not a key path such as HKEY_CURRENT_USER\\Software\\Name");
        }
        RegistryItem tree;
        tree.rootKey = RootKeyName(split.root);
        tree.keyPath = split.subKey;
        trees.push_back(tree);
    }
    // A file that is there is replaced only by a complete export.
    std::vector<ExportResult> results;
    switch (ExportItemsToFile(file, trees, nullptr, &results)) {
        case FileExportResult::Complete:
            break;
        case FileExportResult::CannotCreate:
            return Failure("cannot create " + file);
        case FileExportResult::CannotWrite:
            return Failure("cannot write " + file);
    }
    int status = kExitOk;
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (results[i] != ExportResult::Written)
            status = ExportFailure(args[i + 1], results[i]);
    }
    return status;
}

int RunBackupsCommand(const Arguments& args) {
    if (!args.empty())
        return UsageError("backups takes no arguments");
    for (const BackupRow& row : ListBackups(BackupFolderPath())) {
        if (!PrintLine(row.date + "\t" + row.time + "\t" + row.size + "\t" + TsvEscape(row.type) +
                       "\t" + TsvEscape(row.path))) {
            return OutputFailure();
        }
    }
    return kExitOk;
}

int RunBackupCommand(const Arguments& args) {
    if (args.size() > 1)
        return UsageError("backup takes at most one file");
    if (!args.empty() && IsOption(args[0])) {
        return UsageError("backup: unknown option '" + args[0] + "'");
    }
    std::string path;
    if (args.empty()) {
        std::string folder = BackupFolderPath();
        path = folder + MakeBackupName("_PageRegistryBackupType1", folder);
        if (!CreatePathFolders(path))
            return Failure("cannot create the backup folder " + folder);
    } else {
        path = FullPath(args[0]);
    }
    // The editor writes beside the target first, so a failed backup leaves an
    // older file of that name as it was.
    std::string partial = path + ".partial";
    DeleteFileA(partial.c_str());
    const ExportTarget before = ExportTargetBefore(partial);
    int status = RunRegedit(RegeditExport, partial);
    if (status == kExitOk && !ExportWritten(partial, before)) {
        status = Failure("the registry editor wrote no backup to " + path);
    }
    if (status == kExitOk &&
        !MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        status = Failure("cannot write " + path);
    }
    DeleteFileA(partial.c_str());
    if (status != kExitOk)
        return status;
    return PrintLine(path) ? kExitOk : OutputFailure();
}

int RunRestoreCommand(const Arguments& args) {
    if (args.size() != 1 || IsOption(args[0]))
        return UsageError("restore needs exactly one file");
    std::string path = FullPath(args[0]);
    if (!IsFile(path))
        return Failure("no such file: " + args[0]);
    if (!HasRegistryFileHeader(path))
        return Failure(args[0] + " is not a registry file");
    return RunRegedit(RegeditImport, path);
}

int RunCleanCommand(const Arguments& args) {
    bool confirmed = false;
    bool tasksGiven = false;
    std::vector<bool> selection;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--yes") {
            confirmed = true;
        } else if (args[i] == "--tasks") {
            if (i + 1 >= args.size())
                return UsageError("clean: --tasks needs a value");
            std::string error;
            if (!ParseTaskList(args[++i], selection, error))
                return UsageError("clean: " + error);
            tasksGiven = true;
        } else {
            return UsageError("clean: unknown argument '" + args[i] + "'");
        }
    }
    if (!confirmed)
        return UsageError("clean deletes what the scan finds; add --yes to confirm");
    if (!tasksGiven)
        selection = StoredTaskSelection(ConfigFilePath());

    ProgressLine line;  // clean has no --quiet
    ConsoleProgress scanProgress(line);
    CollectingSink found;
    RunScan(selection, found, line.enabled() ? &scanProgress : nullptr, nullptr);

    // Exactly what Delete All on the cleaner page does: every row, backup first.
    DeletionProgress deletionProgress(line);
    DeleteReport report =
        DeleteItems(found.items, BackupFolderPath(), line.enabled() ? &deletionProgress : nullptr);
    if (!report.backupOk)
        return Failure(report.backupError + "; nothing was deleted");
    if (!report.backupPath.empty() && !PrintLine("backup\t" + TsvEscape(report.backupPath)))
        return OutputFailure();
    for (std::size_t i = 0; i < found.items.size(); ++i) {
        if (!PrintRow(OutputFormat::Tsv, found.tasks[i], found.items[i],
                      DeleteOutcomeText(report.outcomes[i]))) {
            return OutputFailure();
        }
    }
    return report.AnyFailed() ? kExitFailure : kExitOk;
}
