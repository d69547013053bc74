// The release's installer, installed and taken away again silently, as an
// administrator deploying the program would: what it puts where, and what a
// user's settings and backups become.

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "GuiTestSupport.h"
#include "TestSupport.h"
#include "Version.h"

namespace {

const wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZazaDaziveveVivozed";

std::wstring ShellFolder(int id) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// Runs a program and waits for it; false when it did not start or end in time.
bool RunAndWait(const std::wstring& path, const std::wstring& arguments) {
    return ChildProgram(path, arguments).WaitForExit(120000) >= 0;
}

std::wstring UninstallValue(const wchar_t* name) {
    return ReadStringValue(HKEY_LOCAL_MACHINE, kUninstallKey, name);
}

TEST(Installer, InstallsAndUninstallsKeepingTheUsersSettingsAndBackupsUnlessAsked) {
    const std::wstring setup =
        BuildFolder() + L"\\release\\ZazaDaziveveVivozed-" ZDV_VERSION_TEXT L"-win64-setup.exe";
    const std::wstring folder = ShellFolder(CSIDL_PROGRAM_FILES) + L"\\ZazaDaziveveVivozed";
    const std::wstring shortcut = ShellFolder(CSIDL_COMMON_PROGRAMS) + L"\\ZazaDaziveveVivozed.lnk";
    const std::wstring config = folder + L"\\config.xml";
    const std::wstring backup = folder + L"\\Data\\ZazaDaziveveVivozed\\Backup\\kept.reg";
    ASSERT_TRUE(FileExists(setup)) << setup;

    ASSERT_TRUE(RunAndWait(setup, L"/S"));
    for (const wchar_t* file :
         {L"ZazaDaziveveVivozed.exe", L"zdv.exe", L"ZazaDaziveveVivozed.language", L"config.xml",
          L"ReadMe.txt", L"Uninstall.exe"}) {
        EXPECT_TRUE(FileExists(folder + L"\\" + file)) << file;
    }
    EXPECT_TRUE(FileExists(shortcut));
    EXPECT_EQ(UninstallValue(L"DisplayVersion"), L"" ZDV_VERSION_TEXT);
    const std::wstring uninstaller = folder + L"\\Uninstall.exe";
    EXPECT_EQ(UninstallValue(L"QuietUninstallString"), L"\"" + uninstaller + L"\" /S");

    // The user changes a setting and the cleaner writes a backup.
    const std::string settings = ReadWholeFile(config) + "<!-- the user's -->";
    ASSERT_TRUE(WriteWholeFile(config, settings));
    ASSERT_EQ(SHCreateDirectoryExW(
                  nullptr, (folder + L"\\Data\\ZazaDaziveveVivozed\\Backup").c_str(), nullptr),
              ERROR_SUCCESS);
    ASSERT_TRUE(WriteWholeFile(backup, "REGEDIT4\r\n"));
    // And a standard user's backup, in that user's own folder.
    const std::wstring userData = ShellFolder(CSIDL_LOCAL_APPDATA) + L"\\ZazaDaziveveVivozed";
    SHCreateDirectoryExW(nullptr, (userData + L"\\Backup").c_str(), nullptr);
    ASSERT_TRUE(WriteWholeFile(userData + L"\\Backup\\kept.reg", "REGEDIT4\r\n"));

    ASSERT_TRUE(RunAndWait(uninstaller, L"/S"));
    // The uninstaller copies itself away and returns at once: wait for its work.
    EXPECT_TRUE(WaitUntil([&] { return UninstallValue(L"DisplayName").empty(); }, 60000));
    EXPECT_TRUE(WaitUntil([&] { return !FileExists(folder + L"\\Uninstall.exe"); }, 60000));
    EXPECT_FALSE(FileExists(folder + L"\\ZazaDaziveveVivozed.exe"));
    EXPECT_FALSE(FileExists(shortcut));
    EXPECT_EQ(ReadWholeFile(backup), "REGEDIT4\r\n");
    EXPECT_EQ(ReadWholeFile(config), settings);
    EXPECT_TRUE(FileExists(userData + L"\\Backup\\kept.reg"));

    // Installing again keeps the settings; removing with /REMOVEDATA takes all.
    ASSERT_TRUE(RunAndWait(setup, L"/S"));
    EXPECT_EQ(ReadWholeFile(config), settings);
    ASSERT_TRUE(RunAndWait(uninstaller, L"/S /REMOVEDATA"));
    EXPECT_TRUE(WaitUntil([&] { return !FileExists(folder); }, 60000));
    EXPECT_FALSE(FileExists(userData));
}

}  // namespace
