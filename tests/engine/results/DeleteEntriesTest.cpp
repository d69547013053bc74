#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include "TestSupport.h"
#include "backup/BackupStore.h"
#include "cleaner/EntryFilter.h"
#include "results/DeleteEntries.h"

namespace {

const std::wstring kHkcu = L"HKEY_CURRENT_USER\\";

RegistryItem KeyItem(const std::wstring& path) {
    return {L"HKEY_CURRENT_USER", path, L"", L"", KeyRowMarker};
}

RegistryItem ValueItem(const std::wstring& path, const std::wstring& name, int type = REG_SZ) {
    return {L"HKEY_CURRENT_USER", path, name, L"", type};
}

// Sets a key's access list from its text form; the owner may always set it again.
bool SetKeyAccess(const std::wstring& path, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    UniqueRegKey key;
    const bool set =
        ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                             nullptr) &&
        RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, key.put()) == ERROR_SUCCESS &&
        RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    LocalFree(descriptor);
    return set;
}

// A key nobody may open, for as long as the object lives.
class LockedKey {
  public:
    explicit LockedKey(const std::wstring& path) : m_path(path) {
        EXPECT_TRUE(PlantString(HKEY_CURRENT_USER, path, L"locked", L"x"));
        EXPECT_TRUE(SetKeyAccess(path, L"D:(D;;GA;;;WD)"));
    }
    ~LockedKey() { SetKeyAccess(m_path, L"D:(A;;GA;;;WD)"); }

  private:
    std::wstring m_path;
};

TEST(DeleteEntry, DeletesAKeyWithEverythingBelowItOrOneValue) {
    ScratchKey scratch;
    const std::wstring top = L"ZdvTopLevel" + std::to_wstring(GetCurrentProcessId());
    PlantString(scratch.root(), scratch.Sub(L"Tree\\A\\B"), L"v", L"x");
    PlantString(scratch.root(), scratch.Sub(L"Sibling"), L"v", L"x");
    PlantString(scratch.root(), top + L"\\Child", L"v", L"x");
    for (const wchar_t* name : {L"", L"named", L"other"})
        PlantString(scratch.root(), scratch.path(), name, L"y");
    LockedKey locked(scratch.Sub(L"Locked"));
    const std::wstring path = kHkcu + scratch.path();
    const struct {
        std::wstring path;
        const wchar_t* value;  // nullptr: the whole key
        DeleteOutcome outcome;
    } cases[] = {
        {path + L"\\Tree", nullptr, DeleteOutcome::Deleted},
        // Outer backslashes are no part of the path.
        {L"\\" + path + L"\\Sibling\\", nullptr, DeleteOutcome::Deleted},
        {kHkcu + top, nullptr, DeleteOutcome::Deleted},
        {path + L"\\Never", nullptr, DeleteOutcome::AlreadyGone},
        {path + L"\\No\\Parent", nullptr, DeleteOutcome::AlreadyGone},
        {L"HKEY_CURRENT_USER\\", nullptr, DeleteOutcome::Failed},
        {path + L"\\Locked", nullptr, DeleteOutcome::Failed},
        {path, L"", DeleteOutcome::Deleted},
        {path, L"named", DeleteOutcome::Deleted},
        {path, L"named", DeleteOutcome::AlreadyGone},
        {path + L"\\Missing", L"named", DeleteOutcome::AlreadyGone},
        {path + L"\\Locked", L"locked", DeleteOutcome::Failed},
        {L"HKEY_CURRENT_USER", L"named", DeleteOutcome::Failed},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value ? DeleteValue(c.path, c.value) : DeleteKeyTree(c.path), c.outcome)
            << c.path << L" " << (c.value ? c.value : L"(key)");
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, top));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software"));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, scratch.path(), L"other"));
    // Still there: opening it is refused, not reported as missing.
    HKEY probe = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, scratch.Sub(L"Locked").c_str(), 0, KEY_READ, &probe),
              ERROR_ACCESS_DENIED);
}

TEST(DeleteItems, WritesTheBackupIntoNewFoldersBeforeDeletingAnything) {
    ScratchKey scratch;
    ScratchFolder folder(L"backup");
    std::wstring backupFolder = folder.path() + L"\\Data\\Backup";
    PlantString(scratch.root(), scratch.Sub(L"K\\Sub"), L"deep", L"1");
    PlantString(scratch.root(), scratch.path(), L"v", L"2");
    std::vector<RegistryItem> items = {
        KeyItem(scratch.Sub(L"K")), ValueItem(scratch.Sub(L"K\\Sub"), L"deep"),
        ValueItem(scratch.path(), L"v"), ValueItem(scratch.path(), L"gone"), KeyItem(L"")};
    const SYSTEMTIME march7 = {2005, 3, 1, 7, 14, 5, 9, 0};
    DeleteReport report =
        DeleteItems(items, NewBackupPath(backupFolder, L"Before cleaning", march7), nullptr);
    ASSERT_TRUE(report.backupOk) << report.BackupError();
    std::vector<DeleteOutcome> expected = {DeleteOutcome::Deleted, DeleteOutcome::AlreadyGone,
                                           DeleteOutcome::Deleted, DeleteOutcome::AlreadyGone,
                                           DeleteOutcome::Failed};
    EXPECT_EQ(report.outcomes, expected);
    std::vector<BackupRow> files = ListBackups(backupFolder);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(report.backupPath, files[0].path);
    EXPECT_EQ(files[0].path, backupFolder + L"\\2005-03-07 14-05-09(Before cleaning).reg");
    std::wstring key = kHkcu + scratch.path();
    EXPECT_EQ(
        ReadWholeFile(report.backupPath),
        RegText({L"[" + key + L"\\K]", L"[" + key + L"\\K\\Sub]", L"\"deep\"=\"1\"",
                 L"[" + key + L"\\K\\Sub]", L"\"deep\"=\"1\"", L"[" + key + L"]", L"\"v\"=\"2\""}));
    EXPECT_FALSE(KeyExists(scratch.root(), scratch.Sub(L"K")));
    EXPECT_FALSE(ValueExists(scratch.root(), scratch.path(), L"v"));
}

TEST(DeleteItems, KeepsWhatCouldNotBeReadIntoTheBackupWholeAndWritesNoBackupOfNothing) {
    ScratchKey scratch;
    ScratchFolder folder(L"partial");
    // No line of a .reg file can hold a name with a line break.
    PlantString(scratch.root(), scratch.Sub(L"Odd"), L"two\nlines", L"x");
    PlantString(scratch.root(), scratch.Sub(L"Odd Key\\Key\rName"), L"plain", L"y");
    PlantKey(scratch.root(), scratch.Sub(L"Empty\nKey"));
    PlantString(scratch.root(), scratch.Sub(L"Tree"), L"readable", L"x");
    PlantString(scratch.root(), scratch.Sub(L"Tree\\Open"), L"readable", L"y");
    LockedKey locked(scratch.Sub(L"Tree\\Locked"));
    PlantString(scratch.root(), scratch.path(), L"v", L"x");
    DeleteReport report =
        DeleteItems({KeyItem(scratch.Sub(L"Odd")), KeyItem(scratch.Sub(L"Odd Key")),
                     KeyItem(scratch.Sub(L"Empty\nKey")), KeyItem(scratch.Sub(L"Tree")),
                     ValueItem(scratch.path(), L"v")},
                    folder.Missing(L"backup.reg"), nullptr);
    ASSERT_TRUE(report.backupOk);
    std::vector<DeleteOutcome> expected(4, DeleteOutcome::NotBackedUp);
    expected.push_back(DeleteOutcome::Deleted);
    EXPECT_EQ(report.outcomes, expected);
    EXPECT_TRUE(report.AnyFailed());
    for (const wchar_t* kept : {L"Odd", L"Odd Key", L"Empty\nKey"})
        EXPECT_TRUE(KeyExists(scratch.root(), scratch.Sub(kept))) << kept;
    // Nothing of the tree went, not even the parts that were backed up.
    EXPECT_TRUE(KeyExists(scratch.root(), scratch.Sub(L"Tree\\Open")));
    EXPECT_TRUE(ValueExists(scratch.root(), scratch.Sub(L"Tree"), L"readable"));
    EXPECT_FALSE(ValueExists(scratch.root(), scratch.path(), L"v"));

    // Nothing to delete, no backup file.
    ScratchFolder empty(L"empty");
    EXPECT_TRUE(DeleteItems({}, empty.Missing(L"backup.reg"), nullptr).backupOk);
    EXPECT_TRUE(ListBackups(empty.path()).empty());
}

// A cleaner row as the scan reported it: its reason, and for a value the
// digest of the value as it is now.
RegistryItem Judged(RegistryItem item, Problem problem, const std::wstring& argument = L"") {
    item.problem = problem;
    item.problemArgument = argument;
    if (!item.IsKey()) {
        const ValueData value =
            ReadValue(OpenKey(HKEY_CURRENT_USER, item.keyPath).get(), item.valueName);
        item.digest = ValueDigest(value.type, value.bytes.data(), value.bytes.size());
    }
    return item;
}

// Between the scan and the deletion a file came back, a value changed, a key
// got a value: those rows are kept out of the backup and the deletion. One
// entry listed under two names is backed up and deleted once.
TEST(DeleteItems, JudgesCleanerRowsAgainAndDeletesAnEntryListedTwiceOnce) {
    ScratchKey scratch;
    ScratchFolder folder(L"second");
    const std::wstring back = folder.Missing(L"Back\\tool.exe"), gone = folder.Missing(L"gone.exe");
    PlantString(scratch.root(), scratch.path(), L"back", back);
    PlantString(scratch.root(), scratch.path(), L"changed", L"one");
    PlantString(scratch.root(), scratch.path(), L"stale", gone);
    PlantKey(scratch.root(), scratch.Sub(L"Empty"));
    std::vector<RegistryItem> items = {
        Judged(ValueItem(scratch.path(), L"back"), Problem::FileNotFound, back),
        Judged(ValueItem(scratch.path(), L"changed"), Problem::HistoryEntry),
        Judged(ValueItem(scratch.path(), L"stale"), Problem::FileNotFound, gone),
        Judged(KeyItem(scratch.Sub(L"Empty")), Problem::EmptyKey)};
    RegistryItem twice = items[2];
    twice.rootKey = L"HKEY_USERS";
    twice.keyPath = CurrentUserSid() + L"\\" + scratch.path();
    items.push_back(twice);
    folder.MakeFile(L"Back\\tool.exe");
    PlantString(scratch.root(), scratch.path(), L"changed", L"two");
    PlantString(scratch.root(), scratch.Sub(L"Empty"), L"now", L"used");

    DeleteReport report = DeleteItems(items, folder.Missing(L"backup.reg"), nullptr);
    ASSERT_TRUE(report.backupOk);
    const DeleteOutcome kept = DeleteOutcome::NoLongerStale;
    EXPECT_EQ(report.outcomes, (std::vector<DeleteOutcome>{kept, kept, DeleteOutcome::Deleted, kept,
                                                           DeleteOutcome::Deleted}));
    EXPECT_FALSE(report.AnyFailed());
    std::wstring escaped;
    for (wchar_t c : gone)
        escaped += c == L'\\' ? std::wstring(2, c) : std::wstring(1, c);
    EXPECT_EQ(ReadWholeFile(report.backupPath),
              RegText({L"[" + kHkcu + scratch.path() + L"]", L"\"stale\"=\"" + escaped + L"\""}));
    EXPECT_TRUE(ValueExists(scratch.root(), scratch.path(), L"back"));
    EXPECT_TRUE(ValueExists(scratch.root(), scratch.path(), L"changed"));
    EXPECT_TRUE(KeyExists(scratch.root(), scratch.Sub(L"Empty")));
    EXPECT_FALSE(ValueExists(scratch.root(), scratch.path(), L"stale"));
}

}  // namespace
