#include <gtest/gtest.h>

#include "TestSupport.h"
#include "backup/BackupStore.h"
#include "backup/Regedit.h"
#include "common/AnsiText.h"

namespace {

std::string WindowsFolder() {
    char folder[MAX_PATH] = {};
    GetWindowsDirectoryA(folder, MAX_PATH);
    return folder;
}

std::string Utf16(const std::string& ascii) {
    std::string wide;
    for (char c : ascii) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

TEST(Regedit, IsStartedFromTheWindowsFolderNotFromTheCurrentOne) {
    ScratchFolder folder("editor");
    folder.MakeFile("Regedit.exe", "not the registry editor");
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(folder.path().c_str());
    std::string editor = RegistryEditorPath();
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(LowerCopy(editor), LowerCopy(WindowsFolder() + "\\regedit.exe"));
    // Without an editor in the Windows folder nothing is started by a bare name.
    const std::string target = folder.Missing("never.reg");
    EXPECT_FALSE(RegeditExport(target, std::string(), RegeditWait::UntilEnd).started);
    EXPECT_EQ(GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Regedit, ParameterTextsQuoteThePathAndEndInABlank) {
    EXPECT_EQ(RegeditExportParameters("C:\\Backup\\2005-03-07 14-05-09(Full).reg"),
              "/e \"C:\\Backup\\2005-03-07 14-05-09(Full).reg\" ");
    EXPECT_EQ(RegeditImportParameters("C:\\a b.reg"), "/s \"C:\\a b.reg\" ");
}

// Both launches in one test: each start of the editor costs about a second
// under Wine, a whole-registry export several.
TEST(Regedit, ExportsTheWholeRegistryAndImportsABackup) {
    ScratchKey scratch;
    ScratchFolder folder("regedit");
    PlantString(scratch.root(), scratch.Sub("Marker"), "name", "value");

    std::string full = folder.path() + "\\" + MakeBackupName("_PageRegistryBackupType1");
    RegeditRun exported = RegeditExport(full, RegistryEditorPath(), RegeditWait::UntilEnd);
    EXPECT_TRUE(exported.started);
    EXPECT_TRUE(exported.finished);
    std::string text = ReadWholeFile(full);
    ASSERT_GT(text.size(), 2u);
    EXPECT_EQ(text.substr(0, 2), "\xff\xfe");
    // The user's keys are written under HKEY_USERS and the user's id.
    EXPECT_NE(text.find(Utf16("\\" + scratch.Sub("Marker") + "]")), std::string::npos);
    EXPECT_NE(text.find(Utf16("[HKEY_LOCAL_MACHINE\\")), std::string::npos);

    std::string backup =
        folder.MakeFile("restore.reg", "REGEDIT4\r\n[HKEY_CURRENT_USER\\" + scratch.Sub("Back") +
                                           "]\r\n\"v\"=dword:00000005\r\n[HKEY_CURRENT_USER\\" +
                                           scratch.Sub("Back\\Empty") + "]\r\n");
    ASSERT_FALSE(KeyExists(scratch.root(), scratch.Sub("Back")));
    RegeditRun imported = RegeditImport(backup, RegistryEditorPath(), RegeditWait::UntilEnd);
    EXPECT_TRUE(imported.started);
    EXPECT_TRUE(imported.finished);
    EXPECT_EQ(DescribeTree(scratch.root(), scratch.Sub("Back")),
              "key .\n  value \"v\" type 4 bytes 05 00 00 00\nkey Empty\n");
}

TEST(Regedit, OnlyAFirstLineTheEditorAcceptsMakesARegistryFile) {
    ScratchFolder folder("header");
    const struct {
        std::string content;
        bool registryFile;
    } cases[] = {
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\x]\r\n", true},
        {"\xff\xfe" + Utf16("Windows Registry Editor Version 5.00\r\n"), true},
        {"\xff\xfe" + Utf16("REGEDIT4"), true},
        {Utf16("REGEDIT4\r\n"), false},
        {"\xef\xbb\xbfREGEDIT4\r\n", false},
        {"REGEDIT 4\r\n", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HasRegistryFileHeader(folder.MakeFile("file.reg", c.content)), c.registryFile)
            << c.content;
    }
    EXPECT_FALSE(HasRegistryFileHeader(folder.Missing("none.reg")));
}

}  // namespace
