// zdv's exit statuses and messages, and the commands that change the registry
// or the backup folder.

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kPid = std::to_string(GetCurrentProcessId());

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

TEST(Zdv, RejectsBadArgumentsWithExitTwoAndBadFilesWithExitOneAndOneLine) {
    ScratchFolder folder("zdvargs");
    const std::string missing = folder.Missing("none.reg");
    const std::string notes = folder.MakeFile("notes.reg", "just some notes\r\n");
    const std::string badList = "bad task list '0': expected task numbers 1 to 11, such as 1-3,11";
    const struct {
        std::string arguments;
        DWORD exitCode;
        std::string message;
    } cases[] = {
        {"scan --tasks 0", 2, "scan: " + badList},
        {"scan --format xml", 2, "scan: unknown format 'xml' (use tsv or json)"},
        {"scan 6", 2, "scan: unknown argument '6'"},
        {"search", 2, "search needs a KEYWORD"},
        {"search a b", 2, "search takes one KEYWORD; unexpected 'b'"},
        {"search a --everything", 2, "unknown search option '--everything'"},
        {"search a --roots HKCU,HKXX", 2,
         "unknown root key 'HKXX' in --roots (use HKCR,HKCU,HKLM,HKU,HKCC)"},
        {"search a --roots ,", 2, "unknown root key '' in --roots (use HKCR,HKCU,HKLM,HKU,HKCC)"},
        {"search " + std::string(500, 'k') + " --keys", 2, "KEYWORD is longer than 499 bytes"},
        {"export only.reg", 2, "export needs a file and at least one key path"},
        {"export x.reg HKCU\\Software", 2,
         "export: 'HKCU\\Software' is not a key path such as HKEY_CURRENT_USER\\Software\\Name"},
        {"export --bogus x.reg HKEY_CURRENT_USER\\Software", 2, "export: unknown option '--bogus'"},
        {"backups extra", 2, "backups takes no arguments"},
        {"backup a b", 2, "backup takes at most one file"},
        {"restore a b", 2, "restore needs exactly one file"},
        {"clean --tasks", 2, "clean: --tasks needs a value"},
        {"clean --now", 2, "clean: unknown argument '--now'"},
        {"clean --tasks 5", 2, "clean deletes what the scan finds; add --yes to confirm"},
        {"restore \"" + missing + "\"", 1, "no such file: " + missing},
        {"restore \"" + notes + "\"", 1, notes + " is not a registry file"},
    };
    for (const auto& c : cases) {
        ZdvOutcome outcome = RunZdv(c.arguments);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.arguments;
        // Standard error is a text stream: its line ends are CR LF.
        EXPECT_EQ(outcome.err, "zdv: " + c.message + "\r\n") << c.arguments;
        EXPECT_EQ(outcome.out, "") << c.arguments;
    }
}

TEST(Zdv, EveryCommandThatPrintsRowsStopsWithFailureWhenTheyCannotBeWritten) {
    ProgramCopy program;
    PlantedKey entry(HKEY_LOCAL_MACHINE, kUninstall + "ZdvEmpty" + kPid);  // task 5 finds it
    // Every key of every root matches: without the stop this walks the whole registry.
    for (const char* command :
         {"search * --wildcard --keys", "scan --tasks 10", "clean --tasks 5 --yes", "backups"}) {
        ZdvOutcome outcome = program.Run(command, ZdvOutput::Unwritable);
        EXPECT_EQ(outcome.exitCode, 1u) << command;
        EXPECT_EQ(outcome.err, "zdv: standard output could not be written\r\n") << command;
    }
}

// What the cleaner deletes comes back exactly from the backup it wrote. (Every
// value type's and deep key's way through a backup is proved by the restore
// round trip.)
TEST(ZdvClean, AKeyItDeletesComesBackExactlyWithRestore) {
    ProgramCopy program;
    PlantedKey planted(HKEY_LOCAL_MACHINE, kUninstall + "ZdvBroken" + kPid);
    const std::string& entry = planted.path();
    PlantString(HKEY_LOCAL_MACHINE, entry, "UninstallString", "C:\\zdvmissing\\uninstall.exe");
    const std::string before = DescribeTree(HKEY_LOCAL_MACHINE, entry);

    ZdvOutcome cleaned = program.Run("clean --tasks 5 --yes");
    EXPECT_EQ(cleaned.exitCode, 0u) << cleaned.out << cleaned.err;
    std::vector<std::string> lines = Lines(cleaned.out);
    ASSERT_GE(lines.size(), 2u) << cleaned.out;
    EXPECT_EQ(Field(lines[0], 0), "backup");
    const std::string backup = Field(lines[0], 1);
    EXPECT_EQ(backup.rfind(program.BackupFolder() + "\\", 0), 0u) << backup;
    EXPECT_EQ(backup.substr(backup.size() - 21), "(Before cleaning).reg");
    EXPECT_EQ(Lines(cleaned.out, "ZdvBroken"),
              std::vector<std::string>{"5\tHKEY_LOCAL_MACHINE\t" + entry + "\t\t\t-1\tdeleted"});
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, entry));

    ZdvOutcome restored = program.Run("restore \"" + backup + "\"");
    EXPECT_EQ(restored.exitCode, 0u) << restored.err;
    EXPECT_EQ(DescribeTree(HKEY_LOCAL_MACHINE, entry), before);
}

TEST(ZdvClean, DeletesNothingWhenTheBackupFolderCannotBeMade) {
    ProgramCopy program;
    // A file where the program's "Data" folder would go.
    program.folder().MakeFile("Data", "in the way");
    PlantedKey entry(HKEY_LOCAL_MACHINE, kUninstall + "ZdvBlocked" + kPid, "UninstallString",
                     "C:\\zdvmissing\\remove.exe");
    ZdvOutcome outcome = program.Run("clean --tasks 5 --yes");
    EXPECT_EQ(outcome.exitCode, 1u);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find("nothing was deleted"), std::string::npos) << outcome.err;
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, entry.path()));
}

TEST(ZdvExport, WritesTheKeyTreesNamedInOrderAndNamesThoseNotThere) {
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
              RegText({"[" + b + "]", "\"b\"=\"2\"", "[" + a + "]", "\"a\"=\"1\""}));

    outcome = RunZdv("export \"" + file + "\" \"" + a + "\\Missing\" \"" + a + "\"");
    EXPECT_EQ(outcome.exitCode, 1u);
    EXPECT_EQ(outcome.err, "zdv: " + a + "\\Missing: no such key\r\n");
    EXPECT_EQ(ReadWholeFile(file), RegText({"[" + a + "]", "\"a\"=\"1\""}));

    // An export that cannot be written fails and leaves the file that is there.
    folder.MakeFolder("out.reg.partial");
    EXPECT_EQ(RunZdv("export \"" + file + "\" \"" + b + "\"").exitCode, 1u);
    EXPECT_EQ(ReadWholeFile(file), RegText({"[" + a + "]", "\"a\"=\"1\""}));
}

// One whole-registry export: it takes the registry editor several seconds.
TEST(ZdvBackup, WritesTheWholeRegistryIntoTheBackupFolder) {
    ProgramCopy program;
    ScratchKey scratch;
    PlantString(scratch.root(), scratch.Sub("Marker"), "name", "value");
    ZdvOutcome outcome = program.Run("backup");
    EXPECT_EQ(outcome.exitCode, 0u) << outcome.err;
    std::vector<std::string> lines = Lines(outcome.out);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(program.BackupFolder() + "\\", 0), 0u) << lines[0];
    EXPECT_EQ(lines[0].substr(lines[0].size() - 10), "(Full).reg");
    // The editor writes UTF-16, the user's keys under HKEY_USERS and the user's id.
    std::string text = ReadWholeFile(lines[0]), marker = "\\" + scratch.Sub("Marker") + "]";
    std::string wide;
    for (char c : marker)
        wide += std::string(1, c) + '\0';
    EXPECT_EQ(text.substr(0, 2), "\xff\xfe");
    EXPECT_NE(text.find(wide), std::string::npos);
    std::vector<std::string> rows = Lines(program.Run("backups").out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(Field(rows[0], 2), std::to_string(text.size()));
    EXPECT_EQ(Field(rows[0], 3), "Full");
}

}  // namespace
