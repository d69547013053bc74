#include <gtest/gtest.h>

#include "settings/ModulePath.h"

namespace {

TEST(ModulePath, FolderIsEverythingBeforeTheLastBackslash) {
    EXPECT_EQ(FolderOfPath("C:\\Program Files\\Zdv\\a.b.exe"), "C:\\Program Files\\Zdv");
    EXPECT_EQ(FolderOfPath("C:\\a.exe"), "C:");
    EXPECT_EQ(FolderOfPath("C:name.exe"), "C:");
    EXPECT_EQ(FolderOfPath("\\\\server\\share\\a.exe"), "\\\\server\\share");
    EXPECT_EQ(FolderOfPath("name.exe"), "");
}

TEST(ModulePath, BaseNameDropsOnlyTheLastExtension) {
    EXPECT_EQ(BaseNameOfPath("C:\\Zdv\\a.b.exe", Extension::Drop), "a.b");
    EXPECT_EQ(BaseNameOfPath("C:\\Zdv\\a.b.exe", Extension::Keep), "a.b.exe");
    EXPECT_EQ(BaseNameOfPath("C:name.exe", Extension::Drop), "name");
    EXPECT_EQ(BaseNameOfPath("C:name.exe", Extension::Keep), "name.exe");
    EXPECT_EQ(BaseNameOfPath("name.exe", Extension::Drop), "name");
    // A dot in a folder name is not the file's extension.
    EXPECT_EQ(BaseNameOfPath("C:\\v1.2\\program", Extension::Drop), "program");
}

TEST(ModulePath, RunningProgramIsFoundFromItsOwnPath) {
    std::string path = ModulePath(nullptr);
    std::string folder = ModuleFolder(nullptr);
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(ModuleBaseName(nullptr, Extension::Drop), "tests_engine_settings");
    EXPECT_EQ(folder + "\\" + ModuleBaseName(nullptr, Extension::Keep), path);
    EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(ModulePath, MultibyteNamesEndingInBackslashBytesStayWhole) {
    ASSERT_EQ(GetACP(), 932u);
    const std::string table = "\x95\x5C";  // ends in a backslash byte
    EXPECT_EQ(FolderOfPath("C:\\" + table + "\\" + table + ".exe"), "C:\\" + table);
    EXPECT_EQ(BaseNameOfPath("C:\\" + table + "\\" + table + ".exe", Extension::Drop), table);
    EXPECT_EQ(FolderOfPath("C:\\" + table + ".exe"), "C:");
}

}  // namespace
