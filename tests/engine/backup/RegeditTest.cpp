// The registry editor's launches. Exporting the whole registry is proved by
// "zdv backup" (tests/cli), importing a backup by the restore round trip
// (tests/engine/results): each start of the editor costs about a second.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "backup/Regedit.h"
#include "common/AnsiText.h"

namespace {

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
    char previous[MAX_PATH] = {}, windows[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(folder.path().c_str());
    std::string editor = RegistryEditorPath();
    SetCurrentDirectoryA(previous);
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(LowerCopy(editor), LowerCopy(std::string(windows) + "\\regedit.exe"));
    // Without an editor in the Windows folder nothing is started by a bare name.
    const std::string target = folder.Missing("never.reg");
    EXPECT_FALSE(RegeditExport(target, std::string(), RegeditWait::UntilEnd).started);
    EXPECT_FALSE(FileExists(target));
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
