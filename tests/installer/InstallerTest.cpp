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

const char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZazaDaziveveVivozed";

std::string ShellFolder(int id) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// Runs a program and waits for it; false when it did not start or end in time.
bool RunAndWait(const std::string& path, const std::string& arguments) {
    return ChildProgram(path, arguments).WaitForExit(120000) >= 0;
}

std::string UninstallValue(const char* name) {
    return ReadStringValue(HKEY_LOCAL_MACHINE, kUninstallKey, name);
}

TEST(Installer, InstallsAndUninstallsKeepingTheUsersSettingsAndBackupsUnlessAsked) {
    const std::string setup =
        BuildFolder() + "\\release\\ZazaDaziveveVivozed-" ZDV_VERSION_TEXT "-win64-setup.exe";
    const std::string folder = ShellFolder(CSIDL_PROGRAM_FILES) + "\\ZazaDaziveveVivozed";
    const std::string shortcut = ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\ZazaDaziveveVivozed.lnk";
    const std::string config = folder + "\\config.xml";
    const std::string backup = folder + "\\Data\\ZazaDaziveveVivozed\\Backup\\kept.reg";
    ASSERT_TRUE(FileExists(setup)) << setup;

    ASSERT_TRUE(RunAndWait(setup, "/S"));
    for (const char* file : {"ZazaDaziveveVivozed.exe", "zdv.exe", "ZazaDaziveveVivozed.language",
                             "config.xml", "ReadMe.txt", "Uninstall.exe"}) {
        EXPECT_TRUE(FileExists(folder + "\\" + file)) << file;
    }
    EXPECT_TRUE(FileExists(shortcut));
    EXPECT_EQ(UninstallValue("DisplayVersion"), ZDV_VERSION_TEXT);
    const std::string uninstaller = folder + "\\Uninstall.exe";
    EXPECT_EQ(UninstallValue("QuietUninstallString"), "\"" + uninstaller + "\" /S");

    // The user changes a setting and the cleaner writes a backup.
    const std::string settings = ReadWholeFile(config) + "<!-- the user's -->";
    ASSERT_TRUE(WriteWholeFile(config, settings));
    ASSERT_EQ(SHCreateDirectoryExA(
                  nullptr, (folder + "\\Data\\ZazaDaziveveVivozed\\Backup").c_str(), nullptr),
              ERROR_SUCCESS);
    ASSERT_TRUE(WriteWholeFile(backup, "REGEDIT4\r\n"));

    ASSERT_TRUE(RunAndWait(uninstaller, "/S"));
    // The uninstaller copies itself away and returns at once: wait for its work.
    EXPECT_TRUE(WaitUntil([&] { return UninstallValue("DisplayName").empty(); }, 60000));
    EXPECT_TRUE(WaitUntil([&] { return !FileExists(folder + "\\Uninstall.exe"); }, 60000));
    EXPECT_FALSE(FileExists(folder + "\\ZazaDaziveveVivozed.exe"));
    EXPECT_FALSE(FileExists(shortcut));
    EXPECT_EQ(ReadWholeFile(backup), "REGEDIT4\r\n");
    EXPECT_EQ(ReadWholeFile(config), settings);

    // Installing again keeps the settings; removing with /REMOVEDATA takes all.
    ASSERT_TRUE(RunAndWait(setup, "/S"));
    EXPECT_EQ(ReadWholeFile(config), settings);
    ASSERT_TRUE(RunAndWait(uninstaller, "/S /REMOVEDATA"));
    EXPECT_TRUE(WaitUntil([&] { return !FileExists(folder); }, 60000));
}

}  // namespace
