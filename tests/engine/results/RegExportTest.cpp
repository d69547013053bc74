#include <gtest/gtest.h>

#include <functional>

#include "TestSupport.h"
#include "results/RegExport.h"

namespace {

const std::string kHkcu = "HKEY_CURRENT_USER\\";

// What a writer puts into a fresh file.
std::string WrittenText(const std::function<void(RegFileWriter&)>& write) {
    ScratchFolder folder("export");
    std::string path = folder.Missing("out.reg");
    RegFileWriter out;
    EXPECT_TRUE(out.Open(path));
    write(out);
    EXPECT_TRUE(out.Close());
    return ReadWholeFile(path);
}

std::string Sequence(int count) {
    std::string data;
    for (int i = 0; i < count; ++i)
        data += static_cast<char>(i);
    return data;
}

TEST(RegExport, WritesTheDocumentedExamplesExactly) {
    ScratchKey scratch;
    std::string key = kHkcu + scratch.path();
    PlantString(scratch.root(), scratch.path(), "Path", "C:\\Temp");
    PlantDword(scratch.root(), scratch.path(), "", 1);
    PlantValue(scratch.root(), scratch.path(), "B", REG_BINARY, "\x01\xa0\xff");
    std::string text = WrittenText([&](RegFileWriter& out) {
        for (const char* name : {"Path", "", "B"})
            EXPECT_EQ(ExportValue(key, name, out), ExportResult::Written) << name;
    });
    EXPECT_EQ(text, RegText({"[" + key + "]", "\"Path\"=\"C:\\\\Temp\"", "[" + key + "]",
                             "@=dword:00000001", "[" + key + "]", "\"B\"=hex:01,a0,ff"}));
}

// Every line imports with the same type and bytes as the value it was made from.
TEST(RegExport, ValueLinesKeepEveryTypeAndByte) {
    const std::string first23 =
        "00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16";
    const std::string next22 = "17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c";
    const struct {
        std::string name;
        DWORD type;
        std::string data, line;
    } cases[] = {
        {"s", REG_SZ, std::string("text", 5), "\"s\"=\"text\""},
        {"", REG_SZ, std::string("", 1), "@=\"\""},
        {"d", REG_DWORD, std::string("\x2a\0\0\0", 4), "\"d\"=dword:0000002a"},
        {"d", REG_DWORD, "\xff\xff\xff\xff", "\"d\"=dword:ffffffff"},
        {"e", REG_EXPAND_SZ, std::string("%a%", 4), "\"e\"=hex(2):25,61,25,00"},
        {"m", REG_MULTI_SZ, std::string("a\0b\0", 5), "\"m\"=hex(7):61,00,62,00,00"},
        {"r", REG_RESOURCE_LIST, "\x01\x02", "\"r\"=hex(8):01,02"},
        {"f", REG_FULL_RESOURCE_DESCRIPTOR, "\x03", "\"f\"=hex(9):03"},
        // Types above 9 carry their number in hexadecimal, as the importer reads it.
        {"q", REG_RESOURCE_REQUIREMENTS_LIST, "\x04", "\"q\"=hex(a):04"},
        {"n", REG_NONE, "\x01\x02", "\"n\"=hex(0):01,02"},
        {"n", REG_NONE, "", "\"n\"=hex(0):"},
        {"b", REG_DWORD_BIG_ENDIAN, std::string("\0\0\0\x2a", 4), "\"b\"=hex(5):00,00,00,2a"},
        {"l", REG_LINK, std::string("A\0", 2), "\"l\"=hex(6):41,00"},
        {"q", REG_QWORD, std::string("\x01\0\0\0\0\0\0\x80", 8),
         "\"q\"=hex(b):01,00,00,00,00,00,00,80"},
        {"x", 0x1234, "\x07", "\"x\"=hex(1234):07"},
        // A DWORD whose data is not four bytes keeps exactly its bytes.
        {"d", REG_DWORD, "\x01\x02", "\"d\"=hex(4):01,02"},
        {"d", REG_DWORD, "\x01\x02\x03\x04\x05", "\"d\"=hex(4):01,02,03,04,05"},
        {"d", REG_DWORD, "", "\"d\"=hex(4):"},
        // Text after an embedded NUL, line breaks, a missing or doubled
        // terminator: the quoted form would lose or add bytes.
        {"s", REG_SZ, std::string("a\0b\0", 4), "\"s\"=hex(1):61,00,62,00"},
        {"s", REG_SZ, std::string("a\r\nb", 5), "\"s\"=hex(1):61,0d,0a,62,00"},
        {"s", REG_SZ, "ab", "\"s\"=hex(1):61,62"},
        {"s", REG_SZ, std::string("a\0\0", 3), "\"s\"=hex(1):61,00,00"},
        {"s", REG_SZ, "", "\"s\"=hex(1):"},
        // Backslashes and quotes are escaped in names and text; "@" is a name like any other.
        {"a\\b\"c", REG_SZ, std::string("x\\y\"z", 6), "\"a\\\\b\\\"c\"=\"x\\\\y\\\"z\""},
        {"\"", REG_BINARY, "", "\"\\\"\"=hex:"},
        {"@", REG_DWORD, std::string("\0\0\0\0", 4), "\"@\"=dword:00000000"},
        // Byte lists wrap after every twenty-second byte but the last.
        {"b", REG_BINARY, Sequence(23), "\"b\"=hex:" + first23},
        {"b", REG_BINARY, Sequence(24), "\"b\"=hex:" + first23 + ",\\\r\n17"},
        {"b", REG_BINARY, Sequence(45), "\"b\"=hex:" + first23 + ",\\\r\n" + next22},
        {"b", REG_BINARY, Sequence(46), "\"b\"=hex:" + first23 + ",\\\r\n" + next22 + ",\\\r\n2d"},
        {"m", REG_MULTI_SZ, Sequence(24), "\"m\"=hex(7):" + first23 + ",\\\r\n17"},
    };
    for (const auto& c : cases) {
        std::string line;
        EXPECT_TRUE(MakeValueLine(c.name, c.type, reinterpret_cast<const BYTE*>(c.data.data()),
                                  static_cast<DWORD>(c.data.size()), line));
        EXPECT_EQ(line, c.line);
    }
    // No line of a .reg file can hold a name with a line break.
    std::string line;
    EXPECT_FALSE(MakeValueLine("two\nlines", REG_SZ, reinterpret_cast<const BYTE*>("x"), 2, line));
}

TEST(RegExport, KeyTreeWritesEveryKeyWithAKeyLineBeforeEachValue) {
    ScratchKey scratch;
    std::string key = kHkcu + scratch.path();
    // Values only in sub keys, an empty key, and REG_NONE among them.
    PlantString(scratch.root(), scratch.Sub("A"), "one", "1");
    PlantString(scratch.root(), scratch.Sub("A"), "two", "2");
    PlantKey(scratch.root(), scratch.Sub("A\\Empty"));
    PlantValue(scratch.root(), scratch.Sub("B"), "none", REG_NONE, "");
    PlantDword(scratch.root(), scratch.Sub("C\\D\\E"), "", 7);

    ExportResult result = ExportResult::Missing;
    std::string text = WrittenText([&](RegFileWriter& out) { result = ExportKeyTree(key, out); });
    EXPECT_EQ(result, ExportResult::Written);
    EXPECT_EQ(text, RegText({"[" + key + "]", "[" + key + "\\A]", "\"one\"=\"1\"",
                             "[" + key + "\\A]", "\"two\"=\"2\"", "[" + key + "\\A\\Empty]",
                             "[" + key + "\\B]", "\"none\"=hex(0):", "[" + key + "\\C]",
                             "[" + key + "\\C\\D]", "[" + key + "\\C\\D\\E]", "@=dword:00000007"}));
}

TEST(RegExport, AKeyTreeWithANameNoLineCanHoldIsNotWrittenWhole) {
    ScratchKey scratch;
    PlantString(scratch.root(), scratch.Sub("Value"), "line\nbreak", "x");
    PlantString(scratch.root(), scratch.Sub("Value"), "plain", "y");
    PlantString(scratch.root(), scratch.Sub("Key\rName"), "plain", "y");
    PlantKey(scratch.root(), scratch.Sub("Empty\nKey"));
    for (const char* sub : {"Value", "Key\rName", "Empty\nKey"}) {
        ExportResult result = ExportResult::Written;
        std::string text = WrittenText(
            [&](RegFileWriter& out) { result = ExportKeyTree(kHkcu + scratch.Sub(sub), out); });
        EXPECT_EQ(result, ExportResult::Unreadable) << sub;
        EXPECT_EQ(text.find("break"), std::string::npos);
        EXPECT_EQ(text.find("Name]"), std::string::npos);
        EXPECT_EQ(text.find("Key]"), std::string::npos);
    }
}

TEST(RegExport, ListOfEntriesSkipsWhatCannotBeReadAndAnEmptyListLeavesAnEmptyFile) {
    ScratchKey scratch;
    std::string key = kHkcu + scratch.path();
    PlantString(scratch.root(), scratch.path(), "second", "2");
    std::vector<RegistryItem> items = {
        {"HKEY_CURRENT_USER", scratch.path(), "gone", "", REG_SZ},
        {"HKEY_CURRENT_USER", "", "second", "", REG_SZ},  // no sub key: does not split
        {"HKEY_CURRENT_USER", scratch.path() + "\\Missing", "", "", KeyRowMarker},
        {"NOT_A_ROOT", scratch.path(), "second", "", REG_SZ},
        {"HKEY_CURRENT_USER", scratch.path(), "second", "", REG_SZ},
        {"HKEY_CURRENT_USER", scratch.path(), "second", "", REG_SZ},
    };
    std::vector<ExportResult> results;
    std::string text =
        WrittenText([&](RegFileWriter& out) { results = ExportItems(items, out, nullptr); });
    EXPECT_EQ(text,
              RegText({"[" + key + "]", "\"second\"=\"2\"", "[" + key + "]", "\"second\"=\"2\""}));
    std::vector<ExportResult> expected = {ExportResult::Missing, ExportResult::InvalidPath,
                                          ExportResult::Missing, ExportResult::InvalidPath,
                                          ExportResult::Written, ExportResult::Written};
    EXPECT_EQ(results, expected);
    items.resize(1);
    EXPECT_EQ(WrittenText([&](RegFileWriter& out) { ExportItems(items, out, nullptr); }), "");
}

TEST(RegExport, ExportToFileReplacesTheFileOrSaysItCouldNotBeMade) {
    ScratchKey scratch;
    ScratchFolder folder("tofile");
    PlantDword(scratch.root(), scratch.path(), "d", 3);
    std::vector<RegistryItem> items = {{"HKEY_CURRENT_USER", scratch.path(), "d", "", REG_DWORD}};
    std::string file = folder.MakeFile("old.reg", "older and longer content");
    std::vector<ExportResult> results;
    EXPECT_EQ(ExportItemsToFile(file, items, nullptr, &results), FileExportResult::Complete);
    EXPECT_EQ(results, std::vector<ExportResult>{ExportResult::Written});
    EXPECT_EQ(ReadWholeFile(file),
              RegText({"[" + kHkcu + scratch.path() + "]", "\"d\"=dword:00000003"}));
    std::string nowhere = folder.Missing("no folder\\x.reg");
    EXPECT_EQ(ExportItemsToFile(nowhere, items, nullptr), FileExportResult::CannotCreate);
    EXPECT_FALSE(FileExists(nowhere));
}

// Reads the target file while the export runs, and counts the keys walked.
class PeekingProgress : public ProgressSink {
  public:
    explicit PeekingProgress(std::string path) : m_path(std::move(path)) {}
    void Begin(const std::string&, std::size_t) override {}
    void Step(std::size_t) override { seen = ReadWholeFile(m_path); }
    void End() override {}
    void KeyWalked() override { ++keys; }
    std::string seen;
    int keys = 0;

  private:
    std::string m_path;
};

TEST(RegExport, ExportToFileReplacesAFileOnlyOnceTheNewOneIsComplete) {
    ScratchKey scratch;
    ScratchFolder folder("replace");
    PlantString(scratch.root(), scratch.Sub("T\\A"), "a", "1");
    PlantKey(scratch.root(), scratch.Sub("T\\B"));
    std::string file = folder.MakeFile("mine.reg", "the user's file");
    PeekingProgress progress(file);
    std::vector<RegistryItem> items = {{"HKEY_CURRENT_USER", scratch.Sub("T"), "", "", -1}};
    EXPECT_EQ(ExportItemsToFile(file, items, &progress), FileExportResult::Complete);
    EXPECT_EQ(progress.seen, "the user's file");
    EXPECT_EQ(progress.keys, 3);
    EXPECT_EQ(ReadWholeFile(file).compare(0, 10, "REGEDIT4\r\n"), 0);
    EXPECT_EQ(GetFileAttributesA((file + ".partial").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(RegExport, MultibyteTextIsEscapedByCharacterNotByByte) {
    // Under code page 932 the trail byte of this character is 0x5C, a backslash.
    const std::string table = "\x95\x5c", data = table + "\\" + std::string(1, '\0');
    std::string line;
    ASSERT_TRUE(MakeValueLine(table, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                              static_cast<DWORD>(data.size()), line));
    EXPECT_EQ(line, "\"" + table + "\"=\"" + table + "\\\\\"");
}

}  // namespace
