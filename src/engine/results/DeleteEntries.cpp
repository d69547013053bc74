#include "results/DeleteEntries.h"

#include <shlwapi.h>

#include <algorithm>
#include <map>

#include "backup/BackupStore.h"
#include "cleaner/EntryFilter.h"
#include "cleaner/SecondLook.h"
#include "common/Text.h"
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

// The entry a row stands for, by one of its names whatever the letter case:
// HKEY_USERS\<sid> is HKEY_CURRENT_USER (and <sid>_Classes its classes), and
// HKEY_CLASSES_ROOT shows the user's class key where there is one, else the
// machine's.
std::wstring EntryIdentity(const RegistryItem& item, const std::wstring& sid) {
    std::wstring root = LowerCopy(item.rootKey);
    std::wstring path = LowerCopy(item.keyPath);
    auto takeFront = [&path](const std::wstring& front) {
        if (path != front && path.compare(0, front.size() + 1, front + L"\\") != 0)
            return false;
        path.erase(0, std::min(path.size(), front.size() + 1));
        return true;
    };
    const std::wstring classes = L"software\\classes";
    if (root == L"hkey_users" && !sid.empty()) {
        if (takeFront(sid)) {
            root = L"hkey_current_user";
        } else if (takeFront(LowerCopy(ClassesHiveName(sid)))) {
            root = L"hkey_current_user";
            path = path.empty() ? classes : classes + L"\\" + path;
        }
    } else if (root == L"hkey_classes_root") {
        const std::wstring below = path.empty() ? classes : classes + L"\\" + path;
        root = KeyExists(HKEY_CURRENT_USER, below) ? L"hkey_current_user" : L"hkey_local_machine";
        path = below;
    }
    std::wstring identity = root + L'\\' + path;
    if (!item.IsKey())
        identity += L'\0' + LowerCopy(item.valueName);
    return identity;
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
        case DeleteOutcome::NoLongerStale:
            return L"kept";
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
    // Which row does the work for each entry: itself, another row of the same
    // entry, or none (kept).
    constexpr std::size_t kKept = static_cast<std::size_t>(-1);
    std::vector<std::size_t> doneBy(items.size(), kKept);
    std::vector<RegistryItem> unique;
    std::vector<std::size_t> uniqueRow;
    std::map<std::wstring, std::size_t> firstRow;
    const std::wstring sid = LowerCopy(CurrentUserSid());
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!StillStale(items[i]))
            continue;
        const auto inserted = firstRow.emplace(EntryIdentity(items[i], sid), unique.size());
        if (inserted.second) {
            unique.push_back(items[i]);
            uniqueRow.push_back(i);
        }
        doneBy[i] = inserted.first->second;
    }
    std::vector<ExportResult> backup;
    // Nothing left to delete: no backup of nothing.
    const bool withBackup = !backupFile.empty() && !unique.empty();
    if (withBackup) {
        report.backupPath = backupFile;
        CreatePathFolders(backupFile);
        report.backupResult = ExportItemsToFile(backupFile, unique, progress, &backup);
        if (report.backupResult != FileExportResult::Complete) {
            report.backupOk = false;
            return report;
        }
    }
    std::vector<DeleteOutcome> outcomes;
    outcomes.reserve(unique.size());
    if (progress)
        progress->Begin(ProgressPhase::Deleting, unique.size());
    for (std::size_t i = 0; i < unique.size(); ++i) {
        if (progress)
            progress->Step(i);
        outcomes.push_back(withBackup ? DeleteBackedUp(unique[i], backup[i])
                                      : DeleteOne(unique[i]));
    }
    if (progress)
        progress->End();
    report.outcomes.reserve(items.size());
    for (std::size_t by : doneBy)
        report.outcomes.push_back(by == kKept ? DeleteOutcome::NoLongerStale : outcomes[by]);
    return report;
}
