#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// A copy of zdv.exe with the language file beside it, so that its backup
// folder is a scratch folder of the test's own.
class ProgramCopy {
  public:
    ProgramCopy() : m_folder("zdvprogram") {
        m_exe = m_folder.path() + "\\zdv.exe";
        CopyFileA("zdv.exe", m_exe.c_str(), FALSE);
        CopyFileA("ZazaDaziveveVivozed.language",
                  (m_folder.path() + "\\ZazaDaziveveVivozed.language").c_str(), FALSE);
    }
    ZdvOutcome Run(const std::string& arguments, ZdvOutput output = ZdvOutput::File) const {
        return RunZdv(arguments, m_exe, output);
    }
    std::string BackupFolder() const {
        return m_folder.path() + "\\Data\\ZazaDaziveveVivozed\\Backup";
    }
    const ScratchFolder& folder() const { return m_folder; }

  private:
    ScratchFolder m_folder;
    std::string m_exe;
};

void Plant(HKEY root, const std::string& path, const std::string& name, DWORD type,
           const std::string& data) {
    ASSERT_TRUE(PlantValue(root, path, name, type, data.data(), static_cast<DWORD>(data.size())));
}

std::string Field(const std::string& line, std::size_t index) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < index; ++i)
        start = line.find('\t', start) + 1;
    return line.substr(start, line.find('\t', start) - start);
}

// What the cleaner deletes comes back exactly from the backup it wrote.
TEST(ZdvClean, AKeyItDeletesComesBackExactlyWithRestore) {
    ProgramCopy program;
    const std::string entry = kUninstall + "\\ZdvBroken" + std::to_string(GetCurrentProcessId());
    Plant(HKEY_LOCAL_MACHINE, entry, "UninstallString", REG_SZ,
          std::string("C:\\zdvmissing\\uninstall.exe", 28));
    Plant(HKEY_LOCAL_MACHINE, entry, "DisplayName", REG_SZ, std::string("Tool \"2\" \\ x", 13));
    Plant(HKEY_LOCAL_MACHINE, entry, "EstimatedSize", REG_DWORD, std::string("\x10\x27\0\0", 4));
    Plant(HKEY_LOCAL_MACHINE, entry, "Icon", REG_EXPAND_SZ, std::string("%windir%\\a.ico", 15));
    Plant(HKEY_LOCAL_MACHINE, entry, "Blob", REG_BINARY, std::string(70, '\x5a'));
    Plant(HKEY_LOCAL_MACHINE, entry, "List", REG_MULTI_SZ, std::string("a\0b\0\0", 5));
    Plant(HKEY_LOCAL_MACHINE, entry, "Marker", REG_NONE, "");
    Plant(HKEY_LOCAL_MACHINE, entry, "Time", REG_QWORD, std::string("\1\2\3\4\5\6\7\x80", 8));
    Plant(HKEY_LOCAL_MACHINE, entry, "Requirements", REG_RESOURCE_REQUIREMENTS_LIST,
          std::string("\x01\x02", 2));
    Plant(HKEY_LOCAL_MACHINE, entry, "Split", REG_SZ, std::string("one\0two", 8));
    ASSERT_TRUE(PlantKey(HKEY_LOCAL_MACHINE, entry + "\\Empty\\Also Empty"));
    Plant(HKEY_LOCAL_MACHINE, entry + "\\Sub", "", REG_SZ, std::string("default", 8));
    const std::string before = DescribeTree(HKEY_LOCAL_MACHINE, entry);

    ZdvOutcome refused = program.Run("clean --tasks 5");
    EXPECT_EQ(refused.exitCode, 2u);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("--yes"), std::string::npos);
    ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, entry));

    ZdvOutcome cleaned = program.Run("clean --tasks 5 --yes");
    EXPECT_EQ(cleaned.exitCode, 0u) << cleaned.out << cleaned.err;
    std::vector<std::string> lines = Lines(cleaned.out);
    ASSERT_GE(lines.size(), 2u) << cleaned.out;
    EXPECT_EQ(Field(lines[0], 0), "backup");
    const std::string backup = Field(lines[0], 1);
    EXPECT_EQ(backup.rfind(program.BackupFolder() + "\\", 0), 0u) << backup;
    EXPECT_EQ(backup.substr(backup.size() - 21), "(Before cleaning).reg");
    std::vector<std::string> ours = Lines(cleaned.out, "ZdvBroken");
    ASSERT_EQ(ours.size(), 1u);
    EXPECT_EQ(ours[0], "5\tHKEY_LOCAL_MACHINE\t" + entry + "\t\t\t-1\tdeleted");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, entry));

    ZdvOutcome listed = program.Run("backups");
    EXPECT_EQ(listed.exitCode, 0u);
    std::vector<std::string> rows = Lines(listed.out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(Field(rows[0], 3), "Before cleaning");
    EXPECT_EQ(Field(rows[0], 4), backup);

    ZdvOutcome restored = program.Run("restore \"" + backup + "\"");
    EXPECT_EQ(restored.exitCode, 0u) << restored.err;
    EXPECT_EQ(DescribeTree(HKEY_LOCAL_MACHINE, entry), before);
    RemoveTree(HKEY_LOCAL_MACHINE, entry);
}

TEST(Zdv, EveryCommandThatPrintsRowsStopsWithFailureWhenTheyCannotBeWritten) {
    ProgramCopy program;
    const std::string entry = kUninstall + "\\ZdvEmpty" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(PlantKey(HKEY_LOCAL_MACHINE, entry));  // task 5 finds it; clean makes a backup
    // Every key of every root matches: without the stop this walks the whole registry.
    for (const char* command :
         {"search * --wildcard --keys", "scan --tasks 10", "clean --tasks 5 --yes", "backups"}) {
        ZdvOutcome outcome = program.Run(command, ZdvOutput::Unwritable);
        EXPECT_EQ(outcome.exitCode, 1u) << command;
        EXPECT_EQ(outcome.err, "zdv: standard output could not be written\r\n") << command;
    }
    RemoveTree(HKEY_LOCAL_MACHINE, entry);
}

TEST(ZdvClean, DeletesNothingWhenTheBackupFolderCannotBeMade) {
    ProgramCopy program;
    // A file where the program's "Data" folder would go.
    program.folder().MakeFile("Data", "in the way");
    const std::string entry = kUninstall + "\\ZdvBlocked" + std::to_string(GetCurrentProcessId());
    Plant(HKEY_LOCAL_MACHINE, entry, "UninstallString", REG_SZ,
          std::string("C:\\zdvmissing\\remove.exe", 25));
    ZdvOutcome outcome = program.Run("clean --tasks 5 --yes");
    EXPECT_EQ(outcome.exitCode, 1u);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find("nothing was deleted"), std::string::npos) << outcome.err;
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, entry));
    RemoveTree(HKEY_LOCAL_MACHINE, entry);
}

TEST(ZdvExport, WritesTheKeyTreesNamedInOrder) {
    ScratchKey scratch;
    ScratchFolder folder("zdvexport");
    PlantString(scratch.root(), scratch.Sub("B"), "b", "2");
    PlantString(scratch.root(), scratch.Sub("A"), "a", "1");
    const std::string file = folder.path() + "\\out.reg";
    const std::string a = "HKEY_CURRENT_USER\\" + scratch.Sub("A");
    const std::string b = "HKEY_CURRENT_USER\\" + scratch.Sub("B");
    ZdvOutcome outcome = RunZdv("export \"" + file + "\" \"" + b + "\" \"" + a + "\"");
    EXPECT_EQ(outcome.exitCode, 0u) << outcome.err;
    EXPECT_EQ(ReadWholeFile(file),
              "REGEDIT4\r\n[" + b + "]\r\n\"b\"=\"2\"\r\n[" + a + "]\r\n\"a\"=\"1\"\r\n");

    // A key that is not there is named, and the others are still written.
    outcome = RunZdv("export \"" + file + "\" \"" + a + "\\Missing\" \"" + a + "\"");
    EXPECT_EQ(outcome.exitCode, 1u);
    EXPECT_NE(outcome.err.find("Missing: no such key"), std::string::npos) << outcome.err;
    EXPECT_EQ(ReadWholeFile(file), "REGEDIT4\r\n[" + a + "]\r\n\"a\"=\"1\"\r\n");
}

TEST(ZdvActions, RejectBadArgumentsWithOneLineAndExitTwo) {
    for (const char* arguments :
         {"export", "export only.reg", "export x.reg HKCU\\Software",
          "export --bogus x.reg HKEY_CURRENT_USER\\Software", "backups extra", "backup a b",
          "restore", "restore a b", "clean --tasks 0 --yes", "clean --tasks", "clean --now"}) {
        ZdvOutcome outcome = RunZdv(arguments);
        EXPECT_EQ(outcome.exitCode, 2u) << arguments;
        EXPECT_EQ(outcome.out, "") << arguments;
        EXPECT_EQ(outcome.err.rfind("zdv: ", 0), 0u) << outcome.err;
        EXPECT_EQ(Lines(outcome.err).size(), 1u) << outcome.err;
    }
}

TEST(ZdvRestore, RefusesAMissingFileOrOneThatIsNoRegistryFile) {
    ScratchFolder folder("zdvrestore");
    ZdvOutcome outcome = RunZdv("restore \"" + folder.Missing("none.reg") + "\"");
    EXPECT_EQ(outcome.exitCode, 1u);
    EXPECT_NE(outcome.err.find("no such file"), std::string::npos) << outcome.err;
    std::string text = folder.MakeFile("notes.reg", "just some notes\r\n");
    outcome = RunZdv("restore \"" + text + "\"");
    EXPECT_EQ(outcome.exitCode, 1u);
    EXPECT_NE(outcome.err.find("is not a registry file"), std::string::npos) << outcome.err;
}

// One whole-registry export: it takes the registry editor several seconds.
TEST(ZdvBackup, WritesAFullBackupIntoTheBackupFolder) {
    ProgramCopy program;
    ZdvOutcome outcome = program.Run("backup");
    EXPECT_EQ(outcome.exitCode, 0u) << outcome.err;
    std::vector<std::string> lines = Lines(outcome.out);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(program.BackupFolder() + "\\", 0), 0u) << lines[0];
    EXPECT_EQ(lines[0].substr(lines[0].size() - 10), "(Full).reg");
    std::string text = ReadWholeFile(lines[0]);
    EXPECT_GT(text.size(), 1000u);
    EXPECT_EQ(text.substr(0, 2), "\xff\xfe");
    std::vector<std::string> rows = Lines(program.Run("backups").out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(Field(rows[0], 2), std::to_string(text.size()));
    EXPECT_EQ(Field(rows[0], 3), "Full");
}

}  // namespace
