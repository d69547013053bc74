#include <windows.h>

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
#include "results/RegFile.h"
#include "text/LanguageTable.h"

namespace {

bool IsOption(const std::wstring& arg) {
    return arg.size() > 1 && arg[0] == L'-';
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return path;
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), length, &full[0], nullptr);
    if (written == 0 || written >= length)
        return path;
    full.resize(written);
    return full;
}

bool IsFile(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int ExportFailure(const std::wstring& keyPath, ExportResult result) {
    return Failure(keyPath + L": " +
                   (result == ExportResult::Missing ? L"no such key" : L"could not be read whole"));
}

// launch is RegeditExport or RegeditImport.
int RunRegedit(RegeditRun (*launch)(const std::wstring&, const std::wstring&, RegeditWait),
               const std::wstring& path) {
    const std::wstring editor = RegistryEditorPath();
    if (editor.empty())
        return Failure(L"no registry editor (regedit.exe) in the Windows folder");
    RegeditRun run = launch(path, editor, RegeditWait::UntilEnd);
    if (!run.started)
        return Failure(L"cannot start the registry editor " + editor);
    if (run.finished && run.exitCode != 0)
        return Failure(L"the registry editor ended with code " + std::to_wstring(run.exitCode));
    return kExitOk;
}

class CollectingSink : public RowSink {
  public:
    void BeginTask(int task) override { m_task = task; }
    void AddRow(const RegistryItem& item) override {
        items.push_back(item);
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
    void Begin(ProgressPhase phase, std::size_t total) override {
        m_text = GetText(phase == ProgressPhase::Exporting ? L"_RegistryListViewProgressState1"
                                                           : L"_RegistryListViewProgressState2");
        m_total = total;
    }
    void Step(std::size_t index) override {
        m_line.Show(m_text + L" " + std::to_wstring(index + 1) + L"/" + std::to_wstring(m_total));
    }
    void End() override {}

  private:
    ProgressLine& m_line;
    std::wstring m_text;
    std::size_t m_total = 0;
};

}  // namespace

int RunExportCommand(const Arguments& args) {
    for (const std::wstring& arg : args) {
        if (IsOption(arg))
            return UsageError(L"export: unknown option '" + arg + L"'");
    }
    if (args.size() < 2)
        return UsageError(L"export needs a file and at least one key path");
    const std::wstring& file = args[0];
    std::vector<RegistryItem> trees;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const SplitPath split = SplitKeyPath(args[i]);
        if (!split.ok) {
            return UsageError(L"export: '" + args[i] +
                              L"' is not a key path such as HKEY_CURRENT_USER\\Software\\Name");
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
            return Failure(L"cannot create " + file);
        case FileExportResult::CannotWrite:
            return Failure(L"cannot write " + file);
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
        return UsageError(L"backups takes no arguments");
    for (const BackupRow& row : ListBackups(BackupFolderPath())) {
        if (!PrintLine(row.date + L"\t" + row.time + L"\t" + row.size + L"\t" +
                       TsvEscape(row.type) + L"\t" + TsvEscape(row.path))) {
            return OutputFailure();
        }
    }
    return kExitOk;
}

int RunBackupCommand(const Arguments& args) {
    if (args.size() > 1)
        return UsageError(L"backup takes at most one file");
    if (!args.empty() && IsOption(args[0]))
        return UsageError(L"backup: unknown option '" + args[0] + L"'");
    std::wstring path;
    if (args.empty()) {
        const std::wstring folder = BackupFolderPath();
        path = NewBackupPath(folder, GetText(L"_PageRegistryBackupType1"), LocalTimeNow());
        if (!CreatePathFolders(path))
            return Failure(L"cannot create the backup folder " + folder);
    } else {
        path = FullPath(args[0]);
    }
    // The editor writes beside the target first, so a failed backup leaves an
    // older file of that name as it was.
    const std::wstring partial = path + L".partial";
    DeleteFileW(partial.c_str());
    const ExportTarget before = ExportTargetBefore(partial);
    int status = RunRegedit(RegeditExport, partial);
    if (status == kExitOk && !ExportWritten(partial, before))
        status = Failure(L"the registry editor wrote no backup to " + path);
    if (status == kExitOk &&
        !MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        status = Failure(L"cannot write " + path);
    }
    DeleteFileW(partial.c_str());
    if (status != kExitOk)
        return status;
    return PrintLine(path) ? kExitOk : OutputFailure();
}

int RunRestoreCommand(const Arguments& args) {
    if (args.size() != 1 || IsOption(args[0]))
        return UsageError(L"restore needs exactly one file");
    const std::wstring path = FullPath(args[0]);
    if (!IsFile(path))
        return Failure(L"no such file: " + args[0]);
    if (!HasRegistryFileHeader(path))
        return Failure(args[0] + L" is not a registry file");
    const int status = RunRegedit(RegeditImport, path);
    if (status != kExitOk)
        return status;
    // The values the editor cannot import exactly, set from the file's own bytes.
    if (!SetExactValues(path))
        return Failure(L"some values of " + args[0] + L" could not be set exactly");
    return kExitOk;
}

int RunCleanCommand(const Arguments& args) {
    bool confirmed = false;
    bool tasksGiven = false;
    bool unfiltered = false;
    std::vector<bool> selection;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == L"--yes") {
            confirmed = true;
        } else if (args[i] == L"--unfiltered") {
            unfiltered = true;
        } else if (args[i] == L"--problem") {
            // Rows of clean always name their problem.
        } else if (args[i] == L"--tasks") {
            if (i + 1 >= args.size())
                return UsageError(L"clean: --tasks needs a value");
            int status = kExitOk;
            if (!ParseTasksOption(L"clean", args[++i], selection, status))
                return status;
            tasksGiven = true;
        } else {
            return UsageError(L"clean: unknown argument '" + args[i] + L"'");
        }
    }
    if (!confirmed)
        return UsageError(L"clean deletes what the scan finds; add --yes to confirm");
    if (!tasksGiven)
        selection = StoredTaskSelection(ConfigFilePath());

    ProgressLine line;  // clean has no --quiet
    ConsoleProgress scanProgress(line);
    CollectingSink found;
    const std::shared_ptr<const EntryFilter> filter =
        unfiltered ? nullptr : StoredEntryFilter(ConfigFilePath());
    RunScan(selection, found, line.enabled() ? &scanProgress : nullptr, nullptr, filter.get());

    // Exactly what Delete All on the cleaner page does: every row, backup first.
    DeletionProgress deletionProgress(line);
    const std::wstring backup =
        NewBackupPath(BackupFolderPath(), GetText(L"_PageRegistryBackupType2"), LocalTimeNow());
    DeleteReport report =
        DeleteItems(found.items, backup, line.enabled() ? &deletionProgress : nullptr);
    if (!report.backupOk)
        return Failure(report.BackupError() + L" Nothing was deleted.");
    if (!report.outcomes.empty() && !PrintLine(L"backup\t" + TsvEscape(report.backupPath)))
        return OutputFailure();
    for (std::size_t i = 0; i < found.items.size(); ++i) {
        if (!PrintRow(OutputFormat::Tsv, found.tasks[i], found.items[i],
                      {true, DeleteOutcomeText(report.outcomes[i])})) {
            return OutputFailure();
        }
    }
    return report.AnyFailed() ? kExitFailure : kExitOk;
}
