#include <gtest/gtest.h>

#include "settings/ModulePath.h"

namespace {

TEST(ModulePath, FolderIsBeforeTheLastBackslashAndBaseNameDropsOnlyTheLastExtension) {
    const struct {
        const char *path, *folder, *base;
    } cases[] = {
        {"C:\\Program Files\\Zdv\\a.b.exe", "C:\\Program Files\\Zdv", "a.b"},
        {"C:name.exe", "C:", "name"},
        {"name.exe", "", "name"},
        // A dot in a folder name is not the file's extension.
        {"C:\\v1.2\\program", "C:\\v1.2", "program"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderOfPath(c.path), c.folder) << c.path;
        EXPECT_EQ(BaseNameOfPath(c.path, Extension::Drop), c.base) << c.path;
    }
    EXPECT_EQ(BaseNameOfPath("C:name.exe", Extension::Keep), "name.exe");
}

TEST(ModulePath, MultibyteNamesEndingInBackslashBytesStayWhole) {
    ASSERT_EQ(GetACP(), 932u);
    const std::string table = "\x95\x5C";  // ends in a backslash byte
    EXPECT_EQ(FolderOfPath("C:\\" + table + "\\" + table + ".exe"), "C:\\" + table);
    EXPECT_EQ(BaseNameOfPath("C:\\" + table + "\\" + table + ".exe", Extension::Drop), table);
    EXPECT_EQ(FolderOfPath("C:\\" + table + ".exe"), "C:");
}

}  // namespace
