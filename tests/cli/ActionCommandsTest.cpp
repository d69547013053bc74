// zdv's exit statuses and messages, and the commands that change the registry
// or the backup folder.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "common/Text.h"

namespace {

const std::wstring kUninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::wstring kPid = std::to_wstring(GetCurrentProcessId());

// A copy of zdv.exe with the language file beside it, so that its backup
// folder is a scratch folder of the test's own; its folder may be named in
// any script.
class ProgramCopy {
  public:
    explicit ProgramCopy(const std::wstring& name = L"zdvprogram") : m_folder(name) {
        m_exe = m_folder.path() + L"\\zdv.exe";
        CopyFileW(L"zdv.exe", m_exe.c_str(), FALSE);
        CopyFileW(L"ZazaDaziveveVivozed.language",
                  (m_folder.path() + L"\\ZazaDaziveveVivozed.language").c_str(), FALSE);
    }
    ZdvOutcome Run(const std::wstring& arguments, ZdvOutput output = ZdvOutput::File) const {
        return RunZdv(arguments, m_exe, output);
    }
    std::wstring BackupFolder() const {
        return m_folder.path() + L"\\Data\\ZazaDaziveveVivozed\\Backup";
    }
    const ScratchFolder& folder() const { return m_folder; }

  private:
    ScratchFolder m_folder;
    std::wstring m_exe;
};

TEST(Zdv, RejectsBadArgumentsWithExitTwoAndBadFilesWithExitOneAndOneLine) {
    ScratchFolder folder(L"zdvargs");
    const std::wstring missing = folder.Missing(L"none.reg");
    const std::wstring notes = folder.MakeFile(L"notes.reg", "just some notes\r\n");
    const std::wstring badList =
        L"bad task list '0': expected task numbers 1 to 11, such as 1-3,11";
    const struct {
        std::wstring arguments;
        DWORD exitCode;
        std::wstring message;
    } cases[] = {
        {L"scan --tasks 0", 2, L"scan: " + badList},
        {L"scan --format xml", 2, L"scan: unknown format 'xml' (use tsv or json)"},
        {L"scan 6", 2, L"scan: unknown argument '6'"},
        {L"search", 2, L"search needs a KEYWORD"},
        {L"search a b", 2, L"search takes one KEYWORD; unexpected 'b'"},
        {L"search a --everything", 2, L"unknown search option '--everything'"},
        {L"search a --roots HKCU,HKXX", 2,
         L"unknown root key 'HKXX' in --roots (use HKCR,HKCU,HKLM,HKU,HKCC)"},
        {L"search a --roots ,", 2, L"unknown root key '' in --roots (use HKCR,HKCU,HKLM,HKU,HKCC)"},
        {L"search " + std::wstring(500, L'k') + L" --keys", 2,
         L"KEYWORD is longer than 499 characters"},
        {L"export only.reg", 2, L"export needs a file and at least one key path"},
        {L"export x.reg HKCU\\Software", 2,
         L"export: 'HKCU\\Software' is not a key path such as HKEY_CURRENT_USER\\Software\\Name"},
        {L"export --bogus x.reg HKEY_CURRENT_USER\\Software", 2,
         L"export: unknown option '--bogus'"},
        {L"backups extra", 2, L"backups takes no arguments"},
        {L"backup a b", 2, L"backup takes at most one file"},
        {L"restore a b", 2, L"restore needs exactly one file"},
        {L"clean --tasks", 2, L"clean: --tasks needs a value"},
        {L"clean --now", 2, L"clean: unknown argument '--now'"},
        {L"clean --tasks 5", 2, L"clean deletes what the scan finds; add --yes to confirm"},
        {L"restore \"" + missing + L"\"", 1, L"no such file: " + missing},
        {L"restore \"" + notes + L"\"", 1, notes + L" is not a registry file"},
    };
    for (const auto& c : cases) {
        ZdvOutcome outcome = RunZdv(c.arguments);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.arguments;
        EXPECT_EQ(outcome.err, L"zdv: " + c.message + L"\n") << c.arguments;
        EXPECT_EQ(outcome.out, L"") << c.arguments;
    }
}

TEST(Zdv, EveryCommandThatPrintsRowsStopsWithFailureWhenTheyCannotBeWritten) {
    ProgramCopy program;
    PlantedKey entry(HKEY_LOCAL_MACHINE, kUninstall + L"ZdvEmpty" + kPid);  // task 5 finds it
    // Every key of every root matches: without the stop this walks the whole registry.
    for (const wchar_t* command : {L"search * --wildcard --keys", L"scan --tasks 10",
                                   L"clean --tasks 5 --yes", L"backups"}) {
        ZdvOutcome outcome = program.Run(command, ZdvOutput::Unwritable);
        EXPECT_EQ(outcome.exitCode, 1u) << command;
        EXPECT_EQ(outcome.err, L"zdv: standard output could not be written\n") << command;
    }
}

// What the cleaner deletes comes back exactly from the backup it wrote, with
// the program in a folder named in Cyrillic: strings the registry editor
// would change too. (Every value type's and deep key's way through a backup
// is proved by the restore round trip.)
TEST(ZdvClean, AKeyItDeletesComesBackExactlyWithRestore) {
    ProgramCopy program(L"\u0423\u0442\u0438\u043b\u0438\u0442\u044b");
    PlantedKey planted(HKEY_LOCAL_MACHINE, kUninstall + L"ZdvBroken" + kPid);
    const std::wstring& entry = planted.path();
    PlantString(HKEY_LOCAL_MACHINE, entry, L"UninstallString", L"C:\\zdvmissing\\uninstall.exe");
    for (DWORD type : {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ}) {
        PlantValue(HKEY_LOCAL_MACHINE, entry, L"one byte " + std::to_wstring(type), type, "x");
        PlantValue(HKEY_LOCAL_MACHINE, entry, L"unterminated " + std::to_wstring(type), type,
                   Utf16Bytes(L"\u041a\u043b"));
    }
    const std::wstring before = DescribeTree(HKEY_LOCAL_MACHINE, entry);

    ZdvOutcome cleaned = program.Run(L"clean --tasks 5 --yes");
    EXPECT_EQ(cleaned.exitCode, 0u) << cleaned.out << cleaned.err;
    std::vector<std::wstring> lines = Lines(cleaned.out);
    ASSERT_GE(lines.size(), 2u) << cleaned.out;
    EXPECT_EQ(Field(lines[0], 0), L"backup");
    const std::wstring backup = Field(lines[0], 1);
    EXPECT_EQ(backup.rfind(program.BackupFolder() + L"\\", 0), 0u) << backup;
    EXPECT_EQ(backup.substr(backup.size() - 21), L"(Before cleaning).reg");
    EXPECT_EQ(Lines(cleaned.out, L"ZdvBroken"),
              std::vector<std::wstring>{L"5\tHKEY_LOCAL_MACHINE\t" + entry +
                                        L"\t\t\t-1\tUninstall program not found: "
                                        L"C:\\zdvmissing\\uninstall.exe\tdeleted"});
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, entry));

    ZdvOutcome restored = program.Run(L"restore \"" + backup + L"\"");
    EXPECT_EQ(restored.exitCode, 0u) << restored.err;
    EXPECT_EQ(DescribeTree(HKEY_LOCAL_MACHINE, entry), before);
}

TEST(ZdvClean, DeletesNothingWhenTheBackupFolderCannotBeMade) {
    ProgramCopy program;
    // A file where the program's "Data" folder would go.
    program.folder().MakeFile(L"Data", "in the way");
    PlantedKey entry(HKEY_LOCAL_MACHINE, kUninstall + L"ZdvBlocked" + kPid, L"UninstallString",
                     L"C:\\zdvmissing\\remove.exe");
    ZdvOutcome outcome = program.Run(L"clean --tasks 5 --yes");
    EXPECT_EQ(outcome.exitCode, 1u);
    EXPECT_EQ(outcome.out, L"");
    EXPECT_NE(outcome.err.find(L"Nothing was deleted."), std::wstring::npos) << outcome.err;
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, entry.path()));
}

TEST(ZdvExport, WritesTheKeyTreesNamedInOrderAndNamesThoseNotThere) {
    ScratchKey scratch;
    ScratchFolder folder(L"zdvexport");
    PlantString(scratch.root(), scratch.Sub(L"B"), L"b", L"2");
    PlantString(scratch.root(), scratch.Sub(L"A"), L"a", L"1");
    const std::wstring file = folder.path() + L"\\out.reg";
    const std::wstring a = L"HKEY_CURRENT_USER\\" + scratch.Sub(L"A");
    const std::wstring b = L"HKEY_CURRENT_USER\\" + scratch.Sub(L"B");
    ZdvOutcome outcome = RunZdv(L"export \"" + file + L"\" \"" + b + L"\" \"" + a + L"\"");
    EXPECT_EQ(outcome.exitCode, 0u) << outcome.err;
    EXPECT_EQ(ReadWholeFile(file),
              RegText({L"[" + b + L"]", L"\"b\"=\"2\"", L"[" + a + L"]", L"\"a\"=\"1\""}));

    outcome = RunZdv(L"export \"" + file + L"\" \"" + a + L"\\Missing\" \"" + a + L"\"");
    EXPECT_EQ(outcome.exitCode, 1u);
    EXPECT_EQ(outcome.err, L"zdv: " + a + L"\\Missing: no such key\n");
    EXPECT_EQ(ReadWholeFile(file), RegText({L"[" + a + L"]", L"\"a\"=\"1\""}));

    // An export that cannot be written fails and leaves the file that is there.
    folder.MakeFolder(L"out.reg.partial");
    EXPECT_EQ(RunZdv(L"export \"" + file + L"\" \"" + b + L"\"").exitCode, 1u);
    EXPECT_EQ(ReadWholeFile(file), RegText({L"[" + a + L"]", L"\"a\"=\"1\""}));
}

// One whole-registry export (it takes the registry editor several seconds),
// with the program in a folder named in Chinese.
TEST(ZdvBackup, WritesTheWholeRegistryIntoTheBackupFolder) {
    ProgramCopy program(L"\u5de5\u5177");
    ScratchKey scratch;
    PlantString(scratch.root(), scratch.Sub(L"Marker"), L"name", L"value");
    ZdvOutcome outcome = program.Run(L"backup");
    EXPECT_EQ(outcome.exitCode, 0u) << outcome.err;
    std::vector<std::wstring> lines = Lines(outcome.out);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(program.BackupFolder() + L"\\", 0), 0u) << lines[0];
    EXPECT_EQ(lines[0].substr(lines[0].size() - 10), L"(Full).reg");
    // The editor writes UTF-16, the user's keys under HKEY_USERS and the user's id.
    const std::string text = ReadWholeFile(lines[0]);
    EXPECT_EQ(text.substr(0, 2), "\xff\xfe");
    EXPECT_NE(text.find(Utf16Bytes(L"\\" + scratch.Sub(L"Marker") + L"]")), std::string::npos);
    std::vector<std::wstring> rows = Lines(program.Run(L"backups").out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(Field(rows[0], 2), std::to_wstring(text.size()));
    EXPECT_EQ(Field(rows[0], 3), L"Full");
}

}  // namespace

// The ignore list and the protected places beside the program hide their
// entries from scan and clean alike; --unfiltered shows what they hide.
TEST(ZdvClean, HonoursTheStoredListsUnlessUnfiltered) {
    ProgramCopy program;
    PlantedKey ignored(HKEY_LOCAL_MACHINE, kUninstall + L"ZdvIgnored" + kPid);
    PlantedKey protectedKey(HKEY_LOCAL_MACHINE, kUninstall + L"ZdvProtected" + kPid);
    program.folder().MakeFile(
        L"config.xml",
        Utf8FromWide(
            L"<?xml version=\"1.0\"?><config><zazadazivevevivozed><protectedplaces><user>"
            L"<place root=\"HKLM\" path=\"" +
            kUninstall +
            L"zdvprot*\"/></user>"
            L"</protectedplaces><ignoredentries><entry root=\"HKEY_LOCAL_MACHINE\" key=\"" +
            ignored.path() + L"\"/></ignoredentries></zazadazivevevivozed></config>"));
    auto rows = [&program](const std::wstring& command) {
        return Lines(program.Run(command).out, L"\t" + kUninstall + L"Zdv");
    };
    EXPECT_EQ(rows(L"scan --tasks 5"), std::vector<std::wstring>());
    EXPECT_EQ(rows(L"clean --tasks 5 --yes"), std::vector<std::wstring>());
    const std::wstring problem = L"\t\t\t-1\tUninstall entry without values";
    EXPECT_EQ(
        rows(L"scan --tasks 5 --unfiltered --problem"),
        (std::vector<std::wstring>{L"5\tHKEY_LOCAL_MACHINE\t" + ignored.path() + problem,
                                   L"5\tHKEY_LOCAL_MACHINE\t" + protectedKey.path() + problem}));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, ignored.path()));
    EXPECT_EQ(rows(L"clean --tasks 5 --unfiltered --yes").size(), 2u);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, protectedKey.path()));
}
