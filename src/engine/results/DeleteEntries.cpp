#include "results/DeleteEntries.h"

#include <shlwapi.h>

#include "backup/BackupStore.h"
#include "text/FormatText.h"
#include "text/LanguageTable.h"

namespace {

bool KeyExists(HKEY root, const std::wstring& path) {
    // Anything but "not found" (access denied, say) means the key is there.
    return OpenKey(root, path, KEY_QUERY_VALUE).error != ERROR_FILE_NOT_FOUND;
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

}  // namespace

const wchar_t* DeleteOutcomeText(DeleteOutcome outcome) {
    switch (outcome) {
        case DeleteOutcome::Deleted:
            return L"deleted";
        case DeleteOutcome::AlreadyGone:
            return L"already gone";
        case DeleteOutcome::Failed:
            return L"failed";
        case DeleteOutcome::NotBackedUp:
            return L"failed: not in the backup";
    }
    return L"failed";
}

DeleteOutcome DeleteKeyTree(const std::wstring& keyPath) {
    SplitPath split = SplitKeyPath(keyPath);
    if (!split.ok)
        return DeleteOutcome::Failed;
    // SHDeleteKeyW removes a sub key of an open key: open the parent and name
    // the last component. A key directly below a root has the root as parent.
    std::wstring parentPath;
    std::wstring name = split.subKey;
    const std::size_t slash = split.subKey.rfind(L'\\');
    if (slash != std::wstring::npos) {
        parentPath = split.subKey.substr(0, slash);
        name = split.subKey.substr(slash + 1);
    }
    OpenedKey parent = OpenKey(split.root, parentPath, KEY_READ | KEY_WRITE);
    if (!parent) {
        if (parent.error == ERROR_FILE_NOT_FOUND)
            return DeleteOutcome::AlreadyGone;
        return KeyExists(split.root, split.subKey) ? DeleteOutcome::Failed
                                                   : DeleteOutcome::AlreadyGone;
    }
    const LONG result = SHDeleteKeyW(parent.get(), name.c_str());
    if (result == ERROR_SUCCESS)
        return DeleteOutcome::Deleted;
    if (result == ERROR_FILE_NOT_FOUND)
        return DeleteOutcome::AlreadyGone;
    // A part of the tree may be gone while the key itself stays: that is a failure.
    return KeyExists(parent.get(), name) ? DeleteOutcome::Failed : DeleteOutcome::Deleted;
}

DeleteOutcome DeleteValue(const std::wstring& keyPath, const std::wstring& valueName) {
    SplitPath split = SplitKeyPath(keyPath);
    if (!split.ok)
        return DeleteOutcome::Failed;
    OpenedKey key = OpenKey(split.root, split.subKey, KEY_SET_VALUE | KEY_QUERY_VALUE);
    if (!key)
        return key.error == ERROR_FILE_NOT_FOUND ? DeleteOutcome::AlreadyGone
                                                 : DeleteOutcome::Failed;
    const LONG result = RegDeleteValueW(key.get(), valueName.c_str());
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

std::wstring DeleteReport::BackupError() const {
    if (backupOk)
        return std::wstring();
    return FormatPath(
        GetText(backupResult == FileExportResult::CannotCreate ? L"_BackupFileCannotBeCreated"
                                                               : L"_BackupFileCannotBeWritten"),
        backupPath);
}

DeleteReport DeleteItems(const std::vector<RegistryItem>& items, const std::wstring& backupFile,
                         ProgressSink* progress) {
    DeleteReport report;
    if (items.empty())
        return report;
    std::vector<ExportResult> backup;
    const bool withBackup = !backupFile.empty();
    if (withBackup) {
        report.backupPath = backupFile;
        CreatePathFolders(backupFile);
        report.backupResult = ExportItemsToFile(backupFile, items, progress, &backup);
        if (report.backupResult != FileExportResult::Complete) {
            report.backupOk = false;
            return report;
        }
    }
    report.outcomes.reserve(items.size());
    if (progress)
        progress->Begin(ProgressPhase::Deleting, items.size());
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
