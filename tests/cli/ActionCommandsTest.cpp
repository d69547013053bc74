#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

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
    ZdvOutcome Run(const std::string& arguments) const { return RunZdv(arguments, m_exe); }
    std::string BackupFolder() const {
        return m_folder.path() + "\\Data\\ZazaDaziveveVivozed\\Backup";
    }
    const ScratchFolder& folder() const { return m_folder; }

  private:
    ScratchFolder m_folder;
    std::string m_exe;
};

std::string Field(const std::string& line, std::size_t index) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < index; ++i)
        start = line.find('\t', start) + 1;
    return line.substr(start, line.find('\t', start) - start);
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
    for (const char* arguments : {
             "export",
             "export only.reg",
             "export x.reg HKCU\\Software",

             "export --bogus x.reg HKEY_CURRENT_USER\\Software",
             "backups extra",
             "backup a b",
             "restore",
             "restore a b",
         }) {
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
