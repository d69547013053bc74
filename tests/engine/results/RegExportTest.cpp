#include <gtest/gtest.h>

#include <functional>

#include "TestSupport.h"
#include "results/RegExport.h"

// Every value type's line is proved by the restore round trip: what is exported
// imports with the same type and bytes.

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

TEST(RegExport, KeyTreeWritesEveryKeyWithAKeyLineBeforeEachValue) {
    ScratchKey scratch;
    std::string key = kHkcu + scratch.path();
    // Values only in sub keys, an empty key, and a default value.
    PlantString(scratch.root(), scratch.Sub("A"), "one", "C:\\Temp");
    PlantString(scratch.root(), scratch.Sub("A"), "two", "2");
    PlantKey(scratch.root(), scratch.Sub("A\\Empty"));
    PlantValue(scratch.root(), scratch.Sub("B"), "bin", REG_BINARY, "\x01\xa0\xff");
    PlantDword(scratch.root(), scratch.Sub("C\\D\\E"), "", 7);

    ExportResult result = ExportResult::Missing;
    std::string text = WrittenText([&](RegFileWriter& out) { result = ExportKeyTree(key, out); });
    EXPECT_EQ(result, ExportResult::Written);
    EXPECT_EQ(text, RegText({"[" + key + "]", "[" + key + "\\A]", "\"one\"=\"C:\\\\Temp\"",
                             "[" + key + "\\A]", "\"two\"=\"2\"", "[" + key + "\\A\\Empty]",
                             "[" + key + "\\B]", "\"bin\"=hex:01,a0,ff", "[" + key + "\\C]",
                             "[" + key + "\\C\\D]", "[" + key + "\\C\\D\\E]", "@=dword:00000007"}));
}

TEST(RegExport, ListOfEntriesSkipsWhatCannotBeReadAndAnEmptyListLeavesAnEmptyFile) {
    ScratchKey scratch;
    std::string key = kHkcu + scratch.path();
    PlantString(scratch.root(), scratch.path(), "second", "2");
    std::vector<RegistryItem> items = {
        {"HKEY_CURRENT_USER", scratch.path(), "gone", "", REG_SZ},
        {"HKEY_CURRENT_USER", "", "second", "", REG_SZ},  // no sub key: does not split
        {"HKEY_CURRENT_USER", scratch.path() + "\\Missing", "", "", KeyRowMarker},
        {"HKEY_CURRENT_USER", scratch.path(), "second", "", REG_SZ},
        {"HKEY_CURRENT_USER", scratch.path(), "second", "", REG_SZ},
    };
    std::vector<ExportResult> results;
    std::string text =
        WrittenText([&](RegFileWriter& out) { results = ExportItems(items, out, nullptr); });
    EXPECT_EQ(text,
              RegText({"[" + key + "]", "\"second\"=\"2\"", "[" + key + "]", "\"second\"=\"2\""}));
    std::vector<ExportResult> expected = {ExportResult::Missing, ExportResult::InvalidPath,
                                          ExportResult::Missing, ExportResult::Written,
                                          ExportResult::Written};
    EXPECT_EQ(results, expected);
    items.resize(1);
    EXPECT_EQ(WrittenText([&](RegFileWriter& out) { ExportItems(items, out, nullptr); }), "");
}

// The narrow interface cannot plant a string without its terminator (the wide
// one can), so the round trip cannot show that it keeps exactly its bytes.
TEST(RegExport, AStringWithoutItsTerminatorKeepsExactlyItsBytes) {
    std::string line;
    ASSERT_TRUE(MakeValueLine("s", REG_SZ, reinterpret_cast<const BYTE*>("ab"), 2, line));
    EXPECT_EQ(line, "\"s\"=hex(1):61,62");
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
    PlantDword(scratch.root(), scratch.Sub("T\\A"), "d", 3);
    PlantKey(scratch.root(), scratch.Sub("T\\B"));
    std::string file = folder.MakeFile("mine.reg", "the user's file");
    PeekingProgress progress(file);
    std::vector<RegistryItem> items = {{"HKEY_CURRENT_USER", scratch.Sub("T"), "", "", -1}};
    std::vector<ExportResult> results;
    EXPECT_EQ(ExportItemsToFile(file, items, &progress, &results), FileExportResult::Complete);
    EXPECT_EQ(results, std::vector<ExportResult>{ExportResult::Written});
    EXPECT_EQ(progress.seen, "the user's file");
    EXPECT_EQ(progress.keys, 3);
    const std::string key = kHkcu + scratch.Sub("T");
    const std::string exported =
        RegText({"[" + key + "]", "[" + key + "\\A]", "\"d\"=dword:00000003", "[" + key + "\\B]"});
    EXPECT_EQ(ReadWholeFile(file), exported);
    EXPECT_FALSE(FileExists(file + ".partial"));

    // An export that cannot be made leaves the file that is there as it was.
    folder.MakeFolder("mine.reg.partial");
    EXPECT_EQ(ExportItemsToFile(file, items, nullptr), FileExportResult::CannotCreate);
    EXPECT_EQ(ReadWholeFile(file), exported);
}

}  // namespace
