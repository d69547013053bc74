#include "results/DeleteEntries.h"

#include <shlwapi.h>

#include "text/LanguageTable.h"
#include "backup/BackupStore.h"
#include "common/AnsiText.h"

namespace {

bool KeyExists(HKEY root, const std::string& path) {
    UniqueRegKey key;
    LONG result = RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put());
    if (result != ERROR_SUCCESS)
        key.release();
    // Anything but "not found" (access denied, say) means the key is there.
    return result != ERROR_FILE_NOT_FOUND;
}

DeleteOutcome DeleteOne(const RegistryItem& item) {
    return item.IsKey() ? DeleteKeyTree(ItemKeyPath(item))
                        : DeleteValue(ItemKeyPath(item), item.valueName);
}

// What happens to an entry after the backup: only what the file holds is deleted.
DeleteOutcome DeleteBackedUp(const RegistryItem& item, ExportResult backup) {
    switch (backup) {
        case ExportResult::Written:
            return DeleteOne(item);
        case ExportResult::Missing:
            return DeleteOutcome::AlreadyGone;
        case ExportResult::Unreadable:
            return DeleteOutcome::NotBackedUp;
        case ExportResult::InvalidPath:
            return DeleteOutcome::Failed;
    }
    return DeleteOutcome::Failed;
}

bool WriteBackup(const std::vector<RegistryItem>& items, const std::string& folder,
                 ProgressSink* progress, DeleteReport& report, std::vector<ExportResult>& results) {
    std::string base = FolderWithBackslash(folder);
    std::string path = base + MakeBackupName("_PageRegistryBackupType2", base);
    CreatePathFolders(path);
    report.backupPath = path;
    switch (ExportItemsToFile(path, items, progress, &results)) {
        case FileExportResult::Complete:
            break;
        case FileExportResult::CannotCreate:
            report.backupError = "cannot create the backup file " + path;
            return false;
        case FileExportResult::CannotWrite:
            report.backupError = "cannot write the backup file " + path;
            return false;
    }
    return true;
}

}  // namespace

const char* DeleteOutcomeText(DeleteOutcome outcome) {
    switch (outcome) {
        case DeleteOutcome::Deleted:
            return "deleted";
        case DeleteOutcome::AlreadyGone:
            return "already gone";
        case DeleteOutcome::Failed:
            return "failed";
        case DeleteOutcome::NotBackedUp:
            return "failed: not in the backup";
    }
    return "failed";
}

DeleteOutcome DeleteKeyTree(const std::string& keyPath) {
    SplitPath split = SplitKeyPath(keyPath);
    if (!split.ok)
        return DeleteOutcome::Failed;
    // SHDeleteKeyA removes a sub key of an open key: open the parent and name
    // the last component. A key directly below a root has the root as parent.
    std::string parentPath;
    std::string name = split.subKey;
    std::size_t slash = FindLastChar(split.subKey, '\\');
    if (slash != std::string::npos) {
        parentPath = split.subKey.substr(0, slash);
        name = split.subKey.substr(slash + 1);
    }
    UniqueRegKey parent;
    LONG result =
        RegOpenKeyExA(split.root, parentPath.c_str(), 0, KEY_READ | KEY_WRITE, parent.put());
    if (result != ERROR_SUCCESS) {
        parent.release();
        if (result == ERROR_FILE_NOT_FOUND)
            return DeleteOutcome::AlreadyGone;
        return KeyExists(split.root, split.subKey) ? DeleteOutcome::Failed
                                                   : DeleteOutcome::AlreadyGone;
    }
    result = SHDeleteKeyA(parent.get(), name.c_str());
    if (result == ERROR_SUCCESS)
        return DeleteOutcome::Deleted;
    if (result == ERROR_FILE_NOT_FOUND)
        return DeleteOutcome::AlreadyGone;
    // A part of the tree may be gone while the key itself stays: that is a failure.
    return KeyExists(parent.get(), name) ? DeleteOutcome::Failed : DeleteOutcome::Deleted;
}

DeleteOutcome DeleteValue(const std::string& keyPath, const std::string& valueName) {
    SplitPath split = SplitKeyPath(keyPath);
    if (!split.ok)
        return DeleteOutcome::Failed;
    UniqueRegKey key;
    LONG result = RegOpenKeyExA(split.root, split.subKey.c_str(), 0,
                                KEY_SET_VALUE | KEY_QUERY_VALUE, key.put());
    if (result != ERROR_SUCCESS) {
        key.release();
        if (result == ERROR_FILE_NOT_FOUND)
            return DeleteOutcome::AlreadyGone;
        return DeleteOutcome::Failed;
    }
    result = RegDeleteValueA(key.get(), valueName.c_str());
    if (result == ERROR_SUCCESS)
        return DeleteOutcome::Deleted;
    if (result == ERROR_FILE_NOT_FOUND)
        return DeleteOutcome::AlreadyGone;
    return DeleteOutcome::Failed;
}

bool DeleteReport::AnyFailed() const {
    if (!backupOk)
        return true;
    for (DeleteOutcome outcome : outcomes) {
        if (IsFailure(outcome))
            return true;
    }
    return false;
}

DeleteReport DeleteItems(const std::vector<RegistryItem>& items, const std::string& backupFolder,
                         ProgressSink* progress) {
    DeleteReport report;
    if (items.empty())
        return report;
    std::vector<ExportResult> backup;
    bool withBackup = !backupFolder.empty();
    if (withBackup && !WriteBackup(items, backupFolder, progress, report, backup)) {
        report.backupOk = false;
        return report;
    }
    report.outcomes.reserve(items.size());
    if (progress)
        progress->Begin(GetText("_RegistryListViewProgressState2"), items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (progress)
            progress->Step(i);
        report.outcomes.push_back(withBackup ? DeleteBackedUp(items[i], backup[i])
                                             : DeleteOne(items[i]));
    }
    if (progress)
        progress->End();
    return report;
}
