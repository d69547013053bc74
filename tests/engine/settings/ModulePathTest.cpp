#include <gtest/gtest.h>

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

}  // namespace
