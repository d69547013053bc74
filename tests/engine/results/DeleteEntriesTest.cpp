#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include "TestSupport.h"
#include "backup/BackupStore.h"
#include "results/DeleteEntries.h"

namespace {

const std::string kHkcu = "HKEY_CURRENT_USER\\";

RegistryItem KeyItem(const std::string& path) {
    return {"HKEY_CURRENT_USER", path, "", "", KeyRowMarker};
}

RegistryItem ValueItem(const std::string& path, const std::string& name, int type = REG_SZ) {
    return {"HKEY_CURRENT_USER", path, name, "", type};
}

// Sets a key's access list from its text form; the owner may always set it again.
bool SetKeyAccess(const std::string& path, const char* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    UniqueRegKey key;
    const bool set =
        ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                             nullptr) &&
        RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, key.put()) == ERROR_SUCCESS &&
        RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    LocalFree(descriptor);
    return set;
}

// A key nobody may open, for as long as the object lives.
class LockedKey {
  public:
    explicit LockedKey(const std::string& path) : m_path(path) {
        EXPECT_TRUE(PlantString(HKEY_CURRENT_USER, path, "locked", "x"));
        EXPECT_TRUE(SetKeyAccess(path, "D:(D;;GA;;;WD)"));
    }
    ~LockedKey() { SetKeyAccess(m_path, "D:(A;;GA;;;WD)"); }

  private:
    std::string m_path;
};

TEST(DeleteEntry, DeletesAKeyWithEverythingBelowItOrOneValue) {
    ScratchKey scratch;
    const std::string top = "ZdvTopLevel" + std::to_string(GetCurrentProcessId());
    PlantString(scratch.root(), scratch.Sub("Tree\\A\\B"), "v", "x");
    PlantString(scratch.root(), scratch.Sub("Sibling"), "v", "x");
    PlantString(scratch.root(), top + "\\Child", "v", "x");
    for (const char* name : {"", "named", "other"})
        PlantString(scratch.root(), scratch.path(), name, "y");
    LockedKey locked(scratch.Sub("Locked"));
    const std::string path = kHkcu + scratch.path();
    const struct {
        std::string path;
        const char* value;  // nullptr: the whole key
        DeleteOutcome outcome;
    } cases[] = {
        {path + "\\Tree", nullptr, DeleteOutcome::Deleted},
        // Outer backslashes are no part of the path.
        {"\\" + path + "\\Sibling\\", nullptr, DeleteOutcome::Deleted},
        {kHkcu + top, nullptr, DeleteOutcome::Deleted},
        {path + "\\Never", nullptr, DeleteOutcome::AlreadyGone},
        {path + "\\No\\Parent", nullptr, DeleteOutcome::AlreadyGone},
        {"HKEY_CURRENT_USER\\", nullptr, DeleteOutcome::Failed},
        {path + "\\Locked", nullptr, DeleteOutcome::Failed},
        {path, "", DeleteOutcome::Deleted},
        {path, "named", DeleteOutcome::Deleted},
        {path, "named", DeleteOutcome::AlreadyGone},
        {path + "\\Missing", "named", DeleteOutcome::AlreadyGone},
        {path + "\\Locked", "locked", DeleteOutcome::Failed},
        {"HKEY_CURRENT_USER", "named", DeleteOutcome::Failed},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value ? DeleteValue(c.path, c.value) : DeleteKeyTree(c.path), c.outcome)
            << c.path << " " << (c.value ? c.value : "(key)");
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, top));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software"));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, scratch.path(), "other"));
    // Still there: opening it is refused, not reported as missing.
    HKEY probe = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, scratch.Sub("Locked").c_str(), 0, KEY_READ, &probe),
              ERROR_ACCESS_DENIED);
}

TEST(DeleteItems, WritesTheBackupIntoNewFoldersBeforeDeletingAnything) {
    ScratchKey scratch;
    ScratchFolder folder("backup");
    std::string backupFolder = folder.path() + "\\Data\\Backup";
    PlantString(scratch.root(), scratch.Sub("K\\Sub"), "deep", "1");
    PlantString(scratch.root(), scratch.path(), "v", "2");
    std::vector<RegistryItem> items = {
        KeyItem(scratch.Sub("K")), ValueItem(scratch.Sub("K\\Sub"), "deep"),
        ValueItem(scratch.path(), "v"), ValueItem(scratch.path(), "gone"), KeyItem("")};
    DeleteReport report = DeleteItems(items, backupFolder, nullptr);
    ASSERT_TRUE(report.backupOk) << report.backupError;
    std::vector<DeleteOutcome> expected = {DeleteOutcome::Deleted, DeleteOutcome::AlreadyGone,
                                           DeleteOutcome::Deleted, DeleteOutcome::AlreadyGone,
                                           DeleteOutcome::Failed};
    EXPECT_EQ(report.outcomes, expected);
    // "2005-03-07 14-05-09(type).reg"
    std::vector<BackupRow> files = ListBackups(backupFolder);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(report.backupPath, files[0].path);
    EXPECT_EQ(files[0].path.substr(backupFolder.size() + 20), "(_PageRegistryBackupType2).reg");
    std::string key = kHkcu + scratch.path();
    EXPECT_EQ(ReadWholeFile(report.backupPath),
              RegText({"[" + key + "\\K]", "[" + key + "\\K\\Sub]", "\"deep\"=\"1\"",
                       "[" + key + "\\K\\Sub]", "\"deep\"=\"1\"", "[" + key + "]", "\"v\"=\"2\""}));
    EXPECT_FALSE(KeyExists(scratch.root(), scratch.Sub("K")));
    EXPECT_FALSE(ValueExists(scratch.root(), scratch.path(), "v"));
}

TEST(DeleteItems, KeepsWhatCouldNotBeReadIntoTheBackupWholeAndWritesNoBackupOfNothing) {
    ScratchKey scratch;
    ScratchFolder folder("partial");
    // No line of a .reg file can hold a name with a line break.
    PlantString(scratch.root(), scratch.Sub("Odd"), "two\nlines", "x");
    PlantString(scratch.root(), scratch.Sub("Odd Key\\Key\rName"), "plain", "y");
    PlantKey(scratch.root(), scratch.Sub("Empty\nKey"));
    PlantString(scratch.root(), scratch.Sub("Tree"), "readable", "x");
    PlantString(scratch.root(), scratch.Sub("Tree\\Open"), "readable", "y");
    LockedKey locked(scratch.Sub("Tree\\Locked"));
    PlantString(scratch.root(), scratch.path(), "v", "x");
    DeleteReport report =
        DeleteItems({KeyItem(scratch.Sub("Odd")), KeyItem(scratch.Sub("Odd Key")),
                     KeyItem(scratch.Sub("Empty\nKey")), KeyItem(scratch.Sub("Tree")),
                     ValueItem(scratch.path(), "v")},
                    folder.path(), nullptr);
    ASSERT_TRUE(report.backupOk);
    std::vector<DeleteOutcome> expected(4, DeleteOutcome::NotBackedUp);
    expected.push_back(DeleteOutcome::Deleted);
    EXPECT_EQ(report.outcomes, expected);
    EXPECT_TRUE(report.AnyFailed());
    for (const char* kept : {"Odd", "Odd Key", "Empty\nKey"})
        EXPECT_TRUE(KeyExists(scratch.root(), scratch.Sub(kept))) << kept;
    // Nothing of the tree went, not even the parts that were backed up.
    EXPECT_TRUE(KeyExists(scratch.root(), scratch.Sub("Tree\\Open")));
    EXPECT_TRUE(ValueExists(scratch.root(), scratch.Sub("Tree"), "readable"));
    EXPECT_FALSE(ValueExists(scratch.root(), scratch.path(), "v"));

    // Nothing to delete, no backup file.
    ScratchFolder empty("empty");
    EXPECT_TRUE(DeleteItems({}, empty.path(), nullptr).backupOk);
    EXPECT_TRUE(ListBackups(empty.path()).empty());
}

}  // namespace
