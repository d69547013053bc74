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

bool ValueExists(const std::string& path, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != 0)
        return false;
    LONG result = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(entry.cFileName);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return names;
}

// Sets a key's access list from its text form; the owner may always set it again.
bool SetKeyAccess(const std::string& path, const char* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
        return false;
    }
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key);
    if (result == ERROR_SUCCESS) {
        result = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
        RegCloseKey(key);
    }
    LocalFree(descriptor);
    return result == ERROR_SUCCESS;
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

class RecordingProgress : public ProgressSink {
  public:
    void Begin(const std::string& text, std::size_t total) override {
        log += "begin " + text + " " + std::to_string(total) + ";";
    }
    void Step(std::size_t index) override { log += std::to_string(index) + ";"; }
    void End() override { log += "end;"; }
    std::string log;
};

TEST(DeleteKeyTree, DeletesTheKeyWithEverythingBelowIt) {
    ScratchKey scratch;
    PlantString(scratch.root(), scratch.Sub("Tree\\A\\B"), "v", "x");
    PlantString(scratch.root(), scratch.Sub("Sibling"), "v", "x");
    EXPECT_EQ(DeleteKeyTree(kHkcu + scratch.Sub("Tree")), DeleteOutcome::Deleted);
    EXPECT_FALSE(KeyExists(scratch.root(), scratch.Sub("Tree")));
    EXPECT_TRUE(KeyExists(scratch.root(), scratch.Sub("Sibling")));
    // Outer backslashes are no part of the path.
    EXPECT_EQ(DeleteKeyTree("\\" + kHkcu + scratch.Sub("Sibling") + "\\"), DeleteOutcome::Deleted);
    EXPECT_FALSE(KeyExists(scratch.root(), scratch.Sub("Sibling")));
}

TEST(DeleteKeyTree, DeletesAKeyDirectlyBelowARoot) {
    std::string top = "ZdvTopLevel" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, top + "\\Child", "v", "x"));
    EXPECT_EQ(DeleteKeyTree(kHkcu + top), DeleteOutcome::Deleted);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, top));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software"));
}

TEST(DeleteKeyTree, ReportsAMissingKeyAsGoneAndABadPathAsFailed) {
    ScratchKey scratch;
    EXPECT_EQ(DeleteKeyTree(kHkcu + scratch.Sub("Never")), DeleteOutcome::AlreadyGone);
    EXPECT_EQ(DeleteKeyTree(kHkcu + scratch.Sub("No\\Parent")), DeleteOutcome::AlreadyGone);
    EXPECT_EQ(DeleteKeyTree("HKEY_CURRENT_USER\\"), DeleteOutcome::Failed);
    EXPECT_EQ(DeleteKeyTree("HKEY_NOWHERE\\Software"), DeleteOutcome::Failed);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software"));
}

TEST(DeleteValue, DeletesNamedAndDefaultValuesOnly) {
    ScratchKey scratch;
    PlantString(scratch.root(), scratch.path(), "", "default");
    PlantString(scratch.root(), scratch.path(), "named", "x");
    PlantString(scratch.root(), scratch.path(), "other", "y");
    EXPECT_EQ(DeleteValue(kHkcu + scratch.path(), ""), DeleteOutcome::Deleted);
    EXPECT_FALSE(ValueExists(scratch.path(), ""));
    EXPECT_TRUE(ValueExists(scratch.path(), "named"));
    EXPECT_EQ(DeleteValue(kHkcu + scratch.path(), "named"), DeleteOutcome::Deleted);
    EXPECT_TRUE(ValueExists(scratch.path(), "other"));
    EXPECT_EQ(DeleteValue(kHkcu + scratch.path(), "named"), DeleteOutcome::AlreadyGone);
    EXPECT_EQ(DeleteValue(kHkcu + scratch.Sub("Missing"), "named"), DeleteOutcome::AlreadyGone);
    EXPECT_EQ(DeleteValue("HKEY_CURRENT_USER", "named"), DeleteOutcome::Failed);
}

TEST(DeleteItems, WithoutBackupDeletesInOrderAndReportsEachEntry) {
    ScratchKey scratch;
    ScratchFolder folder("nobackup");
    PlantString(scratch.root(), scratch.Sub("K"), "inside", "x");
    PlantString(scratch.root(), scratch.path(), "v", "x");
    std::vector<RegistryItem> items = {KeyItem(scratch.Sub("K")),
                                       ValueItem(scratch.Sub("K"), "inside"),
                                       ValueItem(scratch.path(), "v"), KeyItem("")};
    RecordingProgress progress;
    DeleteReport report = DeleteItems(items, "", &progress);
    EXPECT_TRUE(report.backupOk);
    EXPECT_EQ(report.backupPath, "");
    std::vector<DeleteOutcome> expected = {DeleteOutcome::Deleted, DeleteOutcome::AlreadyGone,
                                           DeleteOutcome::Deleted, DeleteOutcome::Failed};
    EXPECT_EQ(report.outcomes, expected);
    EXPECT_TRUE(report.AnyFailed());
    EXPECT_EQ(progress.log, "begin _RegistryListViewProgressState2 4;0;1;2;3;end;");
    EXPECT_TRUE(FilesIn(folder.path()).empty());
}

TEST(DeleteItems, WritesTheBackupIntoNewFoldersBeforeDeletingAnything) {
    ScratchKey scratch;
    ScratchFolder folder("backup");
    std::string backupFolder = folder.path() + "\\Data\\Backup";
    PlantString(scratch.root(), scratch.Sub("K\\Sub"), "deep", "1");
    PlantString(scratch.root(), scratch.path(), "v", "2");
    std::vector<RegistryItem> items = {KeyItem(scratch.Sub("K")), ValueItem(scratch.path(), "v"),
                                       ValueItem(scratch.path(), "gone")};
    RecordingProgress progress;
    DeleteReport report = DeleteItems(items, backupFolder, &progress);
    ASSERT_TRUE(report.backupOk) << report.backupError;
    std::vector<DeleteOutcome> expected = {DeleteOutcome::Deleted, DeleteOutcome::Deleted,
                                           DeleteOutcome::AlreadyGone};
    EXPECT_EQ(report.outcomes, expected);
    EXPECT_FALSE(report.AnyFailed());
    EXPECT_EQ(progress.log,
              "begin _RegistryListViewProgressState1 3;0;1;2;end;"
              "begin _RegistryListViewProgressState2 3;0;1;2;end;");

    std::vector<std::string> names = FilesIn(backupFolder);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(report.backupPath, backupFolder + "\\" + names[0]);
    // "2005-03-07 14-05-09(type).reg"
    ASSERT_EQ(names[0].size(), 19u + 30u);
    EXPECT_EQ(names[0].substr(19), "(_PageRegistryBackupType2).reg");
    EXPECT_EQ(names[0][4], '-');
    EXPECT_EQ(names[0][10], ' ');
    EXPECT_EQ(names[0][13], '-');
    std::string key = kHkcu + scratch.path();
    EXPECT_EQ(ReadWholeFile(report.backupPath),
              "REGEDIT4\r\n"
              "[" +
                  key +
                  "\\K]\r\n"
                  "[" +
                  key +
                  "\\K\\Sub]\r\n\"deep\"=\"1\"\r\n"
                  "[" +
                  key + "]\r\n\"v\"=\"2\"\r\n");
    EXPECT_FALSE(KeyExists(scratch.root(), scratch.Sub("K")));
    EXPECT_FALSE(ValueExists(scratch.path(), "v"));

    // A second deletion in the same second keeps the first backup.
    PlantString(scratch.root(), scratch.path(), "w", "3");
    DeleteReport second =
        DeleteItems({ValueItem(scratch.path(), "w")}, backupFolder + "\\", nullptr);
    ASSERT_TRUE(second.backupOk);
    EXPECT_NE(second.backupPath, report.backupPath);
    EXPECT_EQ(FilesIn(backupFolder).size(), 2u);
    EXPECT_NE(ReadWholeFile(report.backupPath), "");
}

TEST(DeleteItems, DeletesNothingWhenTheBackupCannotBeWritten) {
    ScratchKey scratch;
    ScratchFolder folder("blocked");
    // A file stands where the backup folder would have to be made.
    std::string blocker = folder.MakeFile("Backup", "not a folder");
    PlantString(scratch.root(), scratch.path(), "v", "x");
    PlantKey(scratch.root(), scratch.Sub("K"));
    DeleteReport report = DeleteItems({ValueItem(scratch.path(), "v"), KeyItem(scratch.Sub("K"))},
                                      blocker + "\\Inner", nullptr);
    EXPECT_FALSE(report.backupOk);
    EXPECT_NE(report.backupError, "");
    EXPECT_TRUE(report.outcomes.empty());
    EXPECT_TRUE(report.AnyFailed());
    EXPECT_TRUE(ValueExists(scratch.path(), "v"));
    EXPECT_TRUE(KeyExists(scratch.root(), scratch.Sub("K")));
    EXPECT_EQ(ReadWholeFile(blocker), "not a folder");
}

TEST(DeleteItems, KeepsAnEntryThatCouldNotBeReadIntoTheBackup) {
    ScratchKey scratch;
    ScratchFolder folder("partial");
    // No line of a .reg file can hold a value name with a line break.
    PlantString(scratch.root(), scratch.Sub("Odd"), "two\nlines", "x");
    PlantString(scratch.root(), scratch.path(), "v", "x");
    DeleteReport report = DeleteItems({KeyItem(scratch.Sub("Odd")), ValueItem(scratch.path(), "v")},
                                      folder.path(), nullptr);
    ASSERT_TRUE(report.backupOk);
    std::vector<DeleteOutcome> expected = {DeleteOutcome::NotBackedUp, DeleteOutcome::Deleted};
    EXPECT_EQ(report.outcomes, expected);
    EXPECT_TRUE(report.AnyFailed());
    EXPECT_TRUE(KeyExists(scratch.root(), scratch.Sub("Odd")));
    EXPECT_FALSE(ValueExists(scratch.path(), "v"));
}

TEST(DeleteItems, ReportsEntriesThatAccessRulesKeepAsFailed) {
    ScratchKey scratch;
    LockedKey locked(scratch.Sub("Locked"));
    EXPECT_EQ(DeleteKeyTree(kHkcu + scratch.Sub("Locked")), DeleteOutcome::Failed);
    EXPECT_EQ(DeleteValue(kHkcu + scratch.Sub("Locked"), "locked"), DeleteOutcome::Failed);
    DeleteReport report = DeleteItems({KeyItem(scratch.Sub("Locked"))}, "", nullptr);
    EXPECT_EQ(report.outcomes, std::vector<DeleteOutcome>{DeleteOutcome::Failed});
    // Still there: opening it is refused, not reported as missing.
    HKEY probe = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, scratch.Sub("Locked").c_str(), 0, KEY_READ, &probe),
              ERROR_ACCESS_DENIED);
}

TEST(DeleteItems, KeepsATreeWithASubKeyTheBackupCouldNotRead) {
    ScratchKey scratch;
    ScratchFolder folder("locked");
    PlantString(scratch.root(), scratch.Sub("Tree"), "readable", "x");
    PlantString(scratch.root(), scratch.Sub("Tree\\Open"), "readable", "y");
    LockedKey locked(scratch.Sub("Tree\\Locked"));
    DeleteReport report = DeleteItems({KeyItem(scratch.Sub("Tree"))}, folder.path(), nullptr);
    ASSERT_TRUE(report.backupOk);
    EXPECT_EQ(report.outcomes, std::vector<DeleteOutcome>{DeleteOutcome::NotBackedUp});
    // Nothing of the tree went, not even the parts that were backed up.
    EXPECT_TRUE(KeyExists(scratch.root(), scratch.Sub("Tree\\Open")));
    EXPECT_TRUE(ValueExists(scratch.Sub("Tree"), "readable"));
}

TEST(DeleteItems, NoEntriesWriteNoBackup) {
    ScratchFolder folder("empty");
    DeleteReport report = DeleteItems({}, folder.path(), nullptr);
    EXPECT_TRUE(report.backupOk);
    EXPECT_TRUE(report.outcomes.empty());
    EXPECT_TRUE(FilesIn(folder.path()).empty());
}

}  // namespace
