// The registry editor's launches. Exporting the whole registry is proved by
// "zdv backup" (tests/cli), importing a backup by the restore round trip
// (tests/engine/results): each start of the editor costs about a second.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "backup/Regedit.h"
#include "common/Text.h"

namespace {

TEST(Regedit, IsStartedFromTheWindowsFolderNotFromTheCurrentOne) {
    ScratchFolder folder(L"editor");
    folder.MakeFile(L"Regedit.exe", "not the registry editor");
    wchar_t previous[MAX_PATH] = {}, windows[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(folder.path().c_str());
    std::wstring editor = RegistryEditorPath();
    SetCurrentDirectoryW(previous);
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(LowerCopy(editor), LowerCopy(std::wstring(windows) + L"\\regedit.exe"));
    // Without an editor in the Windows folder nothing is started by a bare name.
    const std::wstring target = folder.Missing(L"never.reg");
    EXPECT_FALSE(RegeditExport(target, std::wstring(), RegeditWait::UntilEnd).started);
    EXPECT_FALSE(FileExists(target));
}

TEST(Regedit, OnlyAFirstLineTheEditorAcceptsMakesARegistryFile) {
    ScratchFolder folder(L"header");
    const struct {
        std::string content;
        bool registryFile;
    } cases[] = {
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\x]\r\n", true},
        {"\xff\xfe" + Utf16Bytes(L"Windows Registry Editor Version 5.00\r\n"), true},
        {"\xff\xfe" + Utf16Bytes(L"REGEDIT4"), true},
        {Utf16Bytes(L"REGEDIT4\r\n"), false},
        {"\xef\xbb\xbfREGEDIT4\r\n", false},
        {"REGEDIT 4\r\n", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HasRegistryFileHeader(folder.MakeFile(L"file.reg", c.content)), c.registryFile)
            << c.content;
    }
    EXPECT_FALSE(HasRegistryFileHeader(folder.Missing(L"none.reg")));
}

}  // namespace
