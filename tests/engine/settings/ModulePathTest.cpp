#include <gtest/gtest.h>

#include <shlobj.h>

#include <tuple>

#include "TestSupport.h"
#include "settings/ModulePath.h"

namespace {

TEST(ModulePath, FolderIsBeforeTheLastBackslashAndBaseNameDropsOnlyTheLastExtension) {
    const struct {
        const wchar_t *path, *folder, *base;
    } cases[] = {
        {L"C:\\Program Files\\Zdv\\a.b.exe", L"C:\\Program Files\\Zdv", L"a.b"},
        {L"C:name.exe", L"C:", L"name"},
        {L"name.exe", L"", L"name"},
        // A dot in a folder name is not the file's extension.
        {L"C:\\v1.2\\program", L"C:\\v1.2", L"program"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderOfPath(c.path), c.folder) << c.path;
        EXPECT_EQ(BaseNameOfPath(c.path, Extension::Drop), c.base) << c.path;
    }
    EXPECT_EQ(BaseNameOfPath(L"C:name.exe", Extension::Keep), L"name.exe");
}

// A copy in a folder its user cannot write (Program Files) keeps the user's data in
// the local application data folder, starting from the settings beside the program.
TEST(ModulePath, UsersDataStaysBesideTheProgramOnlyWhenItsFolderCanBeWritten) {
    wchar_t local[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local);
    const std::wstring user = std::wstring(local) + L"\\ZazaDaziveveVivozed";
    const std::wstring program = ModuleFolder(nullptr), shipped = program + L"\\config.xml";
    ASSERT_TRUE(WriteWholeFile(shipped, "<config>shipped</config>"));
    const std::tuple<bool, std::wstring, std::wstring> cases[] = {
        {true, program, program + L"\\Data\\ZazaDaziveveVivozed\\Backup\\"},
        {false, user, user + L"\\Backup\\"}};
    for (const auto& [writable, data, backups] : cases) {
        SetProgramFolderWritableForTesting(writable);
        EXPECT_EQ(DataFolderPath() + L" " + ConfigFilePath() + L" " + BackupFolderPath(),
                  data + L" " + data + L"\\config.xml " + backups);
        EXPECT_EQ(ReadWholeFile(data + L"\\config.xml"), "<config>shipped</config>");
    }
    // The user's settings, once there, are never replaced by the shipped ones.
    WriteWholeFile(shipped, "<config>new release</config>");
    EXPECT_EQ(ReadWholeFile(ConfigFilePath()), "<config>shipped</config>");
    SetProgramFolderWritableForTesting(std::nullopt);  // the folder is tried for real
    EXPECT_EQ(ConfigFilePath(), shipped);
    DeleteFileW(shipped.c_str());
    DeleteFileW((user + L"\\config.xml").c_str());
    RemoveDirectoryW(user.c_str());
}

}  // namespace
