#include <gtest/gtest.h>

#include "TestSupport.h"
#include "backup/Regedit.h"
#include "results/DeleteEntries.h"
#include "results/RegFile.h"
#include "search/SearchEngine.h"

namespace {

std::string Sequence(int count) {
    std::string data;
    for (int i = 0; i < count; ++i)
        data += static_cast<char>(i * 7);
    return data;
}

void Plant(const std::wstring& path, const std::wstring& name, DWORD type,
           const std::string& data) {
    ASSERT_TRUE(PlantValue(HKEY_CURRENT_USER, path, name, type, data));
}

// A string value's bytes: the text and its terminator, unless the text holds its own end.
std::string Text(const std::wstring& text) {
    return Utf16Bytes(text + L'\0');
}

struct Restored {
    std::wstring tree;   // DescribeTree after the restore
    std::string header;  // the backup's first bytes
};

// Deletes the tree with its backup, imports the backup with the registry
// editor and sets what it carries exactly, as Restore does, and gives back
// the tree as it is then.
Restored DeletedAndRestored(const std::wstring& tree) {
    ScratchFolder folder(L"roundtrip");
    DeleteReport report = DeleteItems({{L"HKEY_CURRENT_USER", tree, L"", L"", KeyRowMarker}},
                                      folder.Missing(L"backup.reg"), nullptr);
    EXPECT_TRUE(report.backupOk) << report.BackupError();
    EXPECT_EQ(report.outcomes, std::vector<DeleteOutcome>{DeleteOutcome::Deleted});
    const RegeditRun run =
        RegeditImport(report.backupPath, RegistryEditorPath(), RegeditWait::UntilEnd);
    // Wine's editor ends with 5 when it crashes on a line.
    EXPECT_TRUE(run.finished && run.exitCode == 0) << run.exitCode;
    EXPECT_TRUE(SetExactValues(report.backupPath));
    return {DescribeTree(HKEY_CURRENT_USER, tree), ReadWholeFile(report.backupPath).substr(0, 8)};
}

// The cleaner's path to undo: the backup written before a deletion, imported
// by the registry editor, gives back every key and value exactly. One value
// for each way a value is written: quoted text, dword, hex, hex(type) with a
// type number of one and of more digits, and their empty and wrapped forms.
// All of it in the code page: the file is REGEDIT4, as other tools expect.
TEST(RestoreRoundTrip, ImportingTheBackupGivesBackEveryKeyAndValueExactly) {
    ScratchKey scratch;
    const std::wstring tree = scratch.Sub(L"Tree");
    Plant(tree, L"", REG_SZ, Text(L"default \\ \"quoted\""));
    Plant(tree, L"plain", REG_SZ, Text(L"C:\\Temp\\x.dll"));
    Plant(tree, L"quote\"and\\slash", REG_SZ, Text(L"\"\\\\\""));
    Plant(tree, L"accented \u00e9", REG_SZ, Text(L"caf\u00e9 \u20ac"));
    Plant(tree, L"line break", REG_SZ, Text(L"one\r\ntwo"));
    Plant(tree, L"empty sz", REG_SZ, Text(L""));
    Plant(tree, L"no bytes", REG_SZ, "");
    Plant(tree, L"@", REG_SZ, Text(L"not the default"));
    Plant(tree, L"expand", REG_EXPAND_SZ, Text(L"%SystemRoot%\\a"));
    Plant(tree, L"multi", REG_MULTI_SZ, Utf16Bytes(std::wstring(L"a\0b\\c\0\0", 7)));
    Plant(tree, L"multi long", REG_MULTI_SZ,
          Utf16Bytes(std::wstring(24, L'm') + L'\0') + std::string(2, '\0'));
    Plant(tree, L"binary long", REG_BINARY, Sequence(300));
    Plant(tree, L"binary 23", REG_BINARY, Sequence(23));
    Plant(tree, L"binary 24", REG_BINARY, Sequence(24));
    Plant(tree, L"binary empty", REG_BINARY, "");
    Plant(tree, L"dword", REG_DWORD, std::string("\x2a\x00\x00\x80", 4));
    Plant(tree, L"short dword", REG_DWORD, std::string("\x01\x02", 2));
    Plant(tree, L"empty dword", REG_DWORD, "");
    Plant(tree, L"qword", REG_QWORD, std::string("\x01\x02\x03\x04\x05\x06\x07\x88", 8));
    Plant(tree, L"none bytes", REG_NONE, std::string("\x00\xff", 2));
    Plant(tree, L"requirements", REG_RESOURCE_REQUIREMENTS_LIST, Sequence(40));
    Plant(tree, L"odd type", 0x1234, Sequence(3));
    Plant(tree + L"\\Only\\In\\Sub", L"deep", REG_DWORD, std::string("\x07\x00\x00\x00", 4));
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, tree + L"\\Empty\\Nested Empty"));
    Plant(tree + L"\\Key \"with\" [odd] name", L"", REG_SZ, Text(L"x"));
    const std::wstring before = DescribeTree(HKEY_CURRENT_USER, tree);
    const Restored after = DeletedAndRestored(tree);
    EXPECT_EQ(after.header, "REGEDIT4");
    EXPECT_EQ(after.tree, before);
}

// Strings that are not whole text come back byte for byte: the file is the
// Unicode one, and what the editor would change its comments carry.
TEST(RestoreRoundTrip, StringsThatAreNotWholeTextComeBackByteForByte) {
    ScratchKey scratch;
    const std::wstring tree = scratch.Sub(L"Odd");
    for (DWORD type : {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ}) {
        const std::wstring t = std::to_wstring(type);
        Plant(tree, t + L" no terminator", type, Utf16Bytes(L"ab"));
        Plant(tree, t + L" odd count", type, Utf16Bytes(L"ab") + "c");
        Plant(tree, t + L" one byte", type, "c");
        Plant(tree, t + L" unpaired surrogate", type, Text(L"a\xdc00z"));
        Plant(tree, t + L" nul inside", type, Utf16Bytes(std::wstring(L"a\0\0", 3)));
    }
    const std::wstring before = DescribeTree(HKEY_CURRENT_USER, tree);
    const Restored after = DeletedAndRestored(tree);
    EXPECT_EQ(after.header, std::string("\xff\xfeW\0i\0n\0", 8));
    EXPECT_EQ(after.tree, before);
}

// Names and data in several scripts: found by the search in every mode
// (letter case ignored where the script has case), listed with their own
// text, and deleted and restored exactly.
TEST(RestoreRoundTrip, TextInAnyScriptIsFoundListedAndRestoredExactly) {
    const struct {
        std::wstring word, otherCase, pattern;
    } words[] = {
        {L"\u0417\u043d\u0430\u0447\u0435\u043d\u0438\u0435",
         L"\u0437\u041d\u0410\u0427\u0415\u041d\u0418\u0415", L"\u0417?\u0430*\u0435"},  // Cyrillic
        {L"\u03a3\u03bf\u03c6\u03b9\u03b1", L"\u03c3\u039f\u03a6\u0399\u0391",
         L"?\u03bf\u03c6*"},                             // Greek
        {L"\u8868\u8a08\u7b97", L"", L"\u8868?\u7b97"},  // CJK
        {L"x\U0001F600y", L"", L"x?y"},                  // an emoji: one character, two units
        {L"Cafe\u0301", L"cAFE\u0301", L"Caf?\u0301"},   // a combining accent
    };
    ScratchKey scratch(L"Scripts");
    const std::wstring tree = scratch.Sub(L"Tree");
    for (const auto& w : words) {
        ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, tree + L"\\K " + w.word, L"V " + w.word,
                                L"D " + w.word));
    }
    for (const auto& w : words) {
        const std::wstring key = tree + L"\\K " + w.word;
        const std::wstring keyRow = RowText(0, L"HKEY_CURRENT_USER", key, L"<key>", L"", -1);
        const std::wstring valueRow =
            RowText(1, L"HKEY_CURRENT_USER", key, L"V " + w.word, L"D " + w.word, REG_SZ);
        auto search = [&](const std::wstring& keyword, bool wildcard, bool whole, bool letterCase) {
            SearchOptions options;
            options.keyword = keyword;
            options.keyRowText = L"<key>";
            options.includeKey = options.includeValue = options.includeData = true;
            options.useWildcard = wildcard;
            options.fullWordMatch = whole;
            options.caseSensitive = letterCase;
            options.searchHkcu = true;
            RecordingSink sink;
            SearchRun(options, sink, SearchProgress(), nullptr);
            std::vector<std::wstring> rows;
            for (const std::wstring& row : sink.rows) {
                if (row.find(tree) != std::wstring::npos)
                    rows.push_back(row);
            }
            return rows;
        };
        using Rows = std::vector<std::wstring>;
        EXPECT_EQ(search(w.word, false, false, true), (Rows{keyRow, valueRow})) << w.word;
        EXPECT_EQ(search(L"V " + w.word, false, true, true), Rows{valueRow}) << w.word;
        EXPECT_EQ(search(L"D " + w.pattern, true, false, true), Rows{valueRow}) << w.word;
        if (!w.otherCase.empty()) {
            EXPECT_EQ(search(w.otherCase, false, false, false), (Rows{keyRow, valueRow})) << w.word;
            EXPECT_EQ(search(w.otherCase, false, false, true), Rows{}) << w.word;
        }
    }
    const std::wstring before = DescribeTree(HKEY_CURRENT_USER, tree);
    const Restored after = DeletedAndRestored(tree);
    EXPECT_EQ(after.header.substr(0, 2), "\xff\xfe");
    EXPECT_EQ(after.tree, before);
}

// Under code page 932 a trail byte may be 0x5C: the REGEDIT4 file must not
// escape it, and the editor reads the file in the same code page.
TEST(RestoreRoundTrip, MultibyteNamesAndTextComeBackExactlyInARegedit4File) {
    ScratchKey scratch;
    const std::wstring table = L"\u8868";  // 0x95 0x5C in code page 932
    const std::wstring tree = scratch.Sub(L"Tree " + table);
    Plant(tree, table + L"\\" + table, REG_SZ, Text(table + L"\\\"" + table));
    Plant(tree, L"expand", REG_EXPAND_SZ, Text(L"%" + table + L"%"));
    Plant(tree + L"\\" + table, L"", REG_MULTI_SZ,
          Utf16Bytes(table + L'\0' + table + L'\0' + L'\0'));
    const std::wstring before = DescribeTree(HKEY_CURRENT_USER, tree);
    const Restored after = DeletedAndRestored(tree);
    EXPECT_EQ(after.header, "REGEDIT4");
    EXPECT_EQ(after.tree, before);
}

}  // namespace
