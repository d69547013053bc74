#include <gtest/gtest.h>

#include "TestSupport.h"
#include "backup/Regedit.h"
#include "results/DeleteEntries.h"

namespace {

std::string Sequence(int count) {
    std::string data;
    for (int i = 0; i < count; ++i)
        data += static_cast<char>(i * 7);
    return data;
}

void Plant(const std::string& path, const std::string& name, DWORD type, const std::string& data) {
    ASSERT_TRUE(PlantValue(HKEY_CURRENT_USER, path, name, type, data));
}

// Deletes the tree with its backup, imports the backup with the registry
// editor and gives back the tree as it is then.
std::string DeletedAndRestored(const std::string& tree) {
    ScratchFolder folder("roundtrip");
    DeleteReport report =
        DeleteItems({{"HKEY_CURRENT_USER", tree, "", "", KeyRowMarker}}, folder.path(), nullptr);
    EXPECT_TRUE(report.backupOk) << report.backupError;
    EXPECT_EQ(report.outcomes, std::vector<DeleteOutcome>{DeleteOutcome::Deleted});
    EXPECT_TRUE(
        RegeditImport(report.backupPath, RegistryEditorPath(), RegeditWait::UntilEnd).finished);
    return DescribeTree(HKEY_CURRENT_USER, tree);
}

// The cleaner's path to undo: the backup written before a deletion, imported
// by the registry editor, gives back every key and value exactly. One value
// for each way a value is written: quoted text, dword, hex, hex(type) with a
// type number of one and of more digits, and their empty and wrapped forms.
TEST(RestoreRoundTrip, ImportingTheBackupGivesBackEveryKeyAndValueExactly) {
    ScratchKey scratch;
    const std::string tree = scratch.Sub("Tree");
    Plant(tree, "", REG_SZ, std::string("default \\ \"quoted\"", 19));
    Plant(tree, "plain", REG_SZ, std::string("C:\\Temp\\x.dll", 14));
    Plant(tree, "quote\"and\\slash", REG_SZ, std::string("\"\\\\\"", 5));
    Plant(tree, "accented \xe9", REG_SZ, std::string("caf\xe9", 5));
    Plant(tree, "embedded nul", REG_SZ, std::string("before\0after", 13));
    Plant(tree, "line break", REG_SZ, std::string("one\r\ntwo", 9));
    Plant(tree, "empty sz", REG_SZ, std::string("", 1));
    Plant(tree, "two terminators", REG_SZ, std::string("a\0\0", 3));
    Plant(tree, "no bytes", REG_SZ, "");
    Plant(tree, "@", REG_SZ, std::string("not the default", 16));
    Plant(tree, "expand", REG_EXPAND_SZ, std::string("%SystemRoot%\\a", 15));
    Plant(tree, "multi", REG_MULTI_SZ, std::string("a\0b\\c\0\0", 7));
    Plant(tree, "multi long", REG_MULTI_SZ, Sequence(24) + std::string(2, '\0'));
    Plant(tree, "binary long", REG_BINARY, Sequence(300));
    Plant(tree, "binary 23", REG_BINARY, Sequence(23));
    Plant(tree, "binary 24", REG_BINARY, Sequence(24));
    Plant(tree, "binary empty", REG_BINARY, "");
    Plant(tree, "dword", REG_DWORD, std::string("\x2a\x00\x00\x80", 4));
    Plant(tree, "short dword", REG_DWORD, std::string("\x01\x02", 2));
    Plant(tree, "empty dword", REG_DWORD, "");
    Plant(tree, "qword", REG_QWORD, std::string("\x01\x02\x03\x04\x05\x06\x07\x88", 8));
    Plant(tree, "none bytes", REG_NONE, std::string("\x00\xff", 2));
    Plant(tree, "requirements", REG_RESOURCE_REQUIREMENTS_LIST, Sequence(40));
    Plant(tree, "odd type", 0x1234, Sequence(3));
    Plant(tree + "\\Only\\In\\Sub", "deep", REG_DWORD, std::string("\x07\x00\x00\x00", 4));
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, tree + "\\Empty\\Nested Empty"));
    Plant(tree + "\\Key \"with\" [odd] name", "", REG_SZ, std::string("x", 2));
    const std::string before = DescribeTree(HKEY_CURRENT_USER, tree);
    EXPECT_EQ(DeletedAndRestored(tree), before);
}

// Under code page 932 a trail byte may be 0x5C; the file must not escape it,
// and the editor reads the file in the same code page.
TEST(RestoreRoundTrip, MultibyteNamesAndTextComeBackExactly) {
    ScratchKey scratch;
    const std::string table = "\x95\x5c";  // a character whose trail byte is "\"
    const std::string tree = scratch.Sub("Tree " + table);
    Plant(tree, table + "\\" + table, REG_SZ, table + "\\\"" + table + std::string(1, '\0'));
    Plant(tree, "expand", REG_EXPAND_SZ, "%" + table + "%" + std::string(1, '\0'));
    Plant(tree + "\\" + table, "", REG_MULTI_SZ,
          table + std::string(1, '\0') + table + std::string(2, '\0'));
    const std::string before = DescribeTree(HKEY_CURRENT_USER, tree);
    EXPECT_EQ(DeletedAndRestored(tree), before);
}

}  // namespace
