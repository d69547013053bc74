#pragma once
// Deleting found entries: whole keys with everything below them, or single
// values; for the result lists only after they were written to a backup file
// from which "regedit /s" brings them back.

#include <string>
#include <vector>

#include "registry/Registry.h"
#include "results/RegExport.h"

enum class DeleteOutcome {
    Deleted,        // the entry was deleted
    AlreadyGone,    // it did not exist any more; counts as deleted
    Failed,         // it could not be deleted (bad path, access denied, ...)
    NotBackedUp,    // it exists but could not be read into the backup, so it was kept
    NoLongerStale,  // a cleaner row whose entry is no longer stale: kept, not backed up
};

// "deleted", "already gone", "failed", "failed: not in the backup", "kept": the words
// zdv prints, the same in every language.
const wchar_t* DeleteOutcomeText(DeleteOutcome outcome);
inline bool IsFailure(DeleteOutcome outcome) {
    return outcome == DeleteOutcome::Failed || outcome == DeleteOutcome::NotBackedUp;
}

// Deletes the key named by the key path (root long name, backslash, sub key
// path) with all its sub keys and values; works for a key directly below a root.
DeleteOutcome DeleteKeyTree(const std::wstring& keyPath);
// Deletes one value; an empty name is the key's default value.
DeleteOutcome DeleteValue(const std::wstring& keyPath, const std::wstring& valueName);

struct DeleteReport {
    // False when a backup was asked for and could not be written completely;
    // then nothing was deleted and outcomes is empty.
    bool backupOk = true;
    std::wstring backupPath;  // the backup file, written or (backupOk false) not
    FileExportResult backupResult = FileExportResult::Complete;
    std::vector<DeleteOutcome> outcomes;  // one per entry, in the entries' order

    bool AnyFailed() const;
    // Why the backup failed, in the user's language, naming the file.
    std::wstring BackupError() const;
};

// Deletes the entries in order, a key entry (type KeyRowMarker) as a key tree,
// any other as a value. A cleaner row (one with a reason) is first judged
// again on its entry as it is now; one no longer stale is kept out of the
// backup and the deletion. An entry listed twice (under another name of its
// key, or by two tasks) is backed up and deleted once; both rows share the
// outcome. With a backup file (see NewBackupPath), first writes every entry
// into it, making its folders, and deletes nothing unless the file was
// written completely.
DeleteReport DeleteItems(const std::vector<RegistryItem>& items, const std::wstring& backupFile,
                         ProgressSink* progress);
