#include <gtest/gtest.h>

#include <functional>

#include "TestSupport.h"
#include "results/RegExport.h"

// Every value type's line is proved by the restore round trip: what is exported
// imports with the same type and bytes. Here: the bytes of the files.

namespace {

const std::wstring kHkcu = L"HKEY_CURRENT_USER\\";

// What a writer puts into a fresh file.
std::string WrittenText(const std::function<void(RegFileWriter&)>& write) {
    ScratchFolder folder(L"export");
    std::wstring path = folder.Missing(L"out.reg");
    RegFileWriter out;
    EXPECT_TRUE(out.Open(path));
    write(out);
    EXPECT_TRUE(out.Close());
    return ReadWholeFile(path);
}

TEST(RegExport, KeyTreeWritesEveryKeyWithAKeyLineBeforeEachValue) {
    ScratchKey scratch;
    std::wstring key = kHkcu + scratch.path();
    // Values only in sub keys, an empty key, and a default value.
    PlantString(scratch.root(), scratch.Sub(L"A"), L"one", L"C:\\Temp");
    PlantString(scratch.root(), scratch.Sub(L"A"), L"two", L"2");
    PlantKey(scratch.root(), scratch.Sub(L"A\\Empty"));
    PlantValue(scratch.root(), scratch.Sub(L"B"), L"bin", REG_BINARY, "\x01\xa0\xff");
    PlantDword(scratch.root(), scratch.Sub(L"C\\D\\E"), L"", 7);

    ExportResult result = ExportResult::Missing;
    std::string text = WrittenText([&](RegFileWriter& out) { result = ExportKeyTree(key, out); });
    EXPECT_EQ(result, ExportResult::Written);
    EXPECT_EQ(text,
              RegText({L"[" + key + L"]", L"[" + key + L"\\A]", L"\"one\"=\"C:\\\\Temp\"",
                       L"[" + key + L"\\A]", L"\"two\"=\"2\"", L"[" + key + L"\\A\\Empty]",
                       L"[" + key + L"\\B]", L"\"bin\"=hex:01,a0,ff", L"[" + key + L"\\C]",
                       L"[" + key + L"\\C\\D]", L"[" + key + L"\\C\\D\\E]", L"@=dword:00000007"}));
}

TEST(RegExport, ListOfEntriesSkipsWhatCannotBeReadAndAnEmptyListLeavesAnEmptyFile) {
    ScratchKey scratch;
    std::wstring key = kHkcu + scratch.path();
    PlantString(scratch.root(), scratch.path(), L"second", L"2");
    std::vector<RegistryItem> items = {
        {L"HKEY_CURRENT_USER", scratch.path(), L"gone", L"", REG_SZ},
        {L"HKEY_CURRENT_USER", L"", L"second", L"", REG_SZ},  // no sub key: does not split
        {L"HKEY_CURRENT_USER", scratch.path() + L"\\Missing", L"", L"", KeyRowMarker},
        {L"HKEY_CURRENT_USER", scratch.path(), L"second", L"", REG_SZ},
        {L"HKEY_CURRENT_USER", scratch.path(), L"second", L"", REG_SZ},
    };
    std::vector<ExportResult> results;
    std::string text =
        WrittenText([&](RegFileWriter& out) { results = ExportItems(items, out, nullptr); });
    EXPECT_EQ(text, RegText({L"[" + key + L"]", L"\"second\"=\"2\"", L"[" + key + L"]",
                             L"\"second\"=\"2\""}));
    std::vector<ExportResult> expected = {ExportResult::Missing, ExportResult::InvalidPath,
                                          ExportResult::Missing, ExportResult::Written,
                                          ExportResult::Written};
    EXPECT_EQ(results, expected);
    items.resize(1);
    EXPECT_EQ(WrittenText([&](RegFileWriter& out) { ExportItems(items, out, nullptr); }), "");
}

const wchar_t kExact[] = L"\r\n;ZazaDaziveveVivozed exact \"v\"=";

// Each string value as each form writes it: REGEDIT4 only what it gives back
// exactly; beside a line the registry editor would import differently, the
// exact bytes in a comment.
TEST(RegFile, EachFormWritesAStringSoThatItComesBackExactly) {
    const struct {
        DWORD type;
        std::string bytes;
        const wchar_t* regedit4;  // null: only the Unicode form can carry it
        std::wstring unicode;
    } cases[] = {
        {REG_SZ, Utf16Bytes(std::wstring(L"caf\u00e9\\\"\0", 7)), L"\"caf\u00e9\\\\\\\"\"",
         L"\"caf\u00e9\\\\\\\"\""},
        {REG_SZ, Utf16Bytes(std::wstring(L"\u041a\u043b\0", 3)), nullptr, L"\"\u041a\u043b\""},
        {REG_SZ, Utf16Bytes(std::wstring(L"a\nb\0", 4)), L"hex(1):61,0a,62,00",
         L"hex(1):61,00,0a,00,62,00,00,00"},
        {REG_SZ, "", L"hex(1):", L"hex(1):"},
        // Whole bytes the editor keeps: a NUL inside, an unpaired surrogate.
        {REG_SZ, Utf16Bytes(std::wstring(L"a\0b\0", 4)), nullptr,
         L"hex(1):61,00,00,00,62,00,00,00"},
        {REG_SZ, Utf16Bytes(std::wstring(L"a\xd800\0", 3)), nullptr, L"hex(1):61,00,00,d8,00,00"},
        // No terminator, an odd count, a single byte (a line the editor does not
        // crash on): the comment carries the bytes.
        {REG_SZ, Utf16Bytes(L"ab"), nullptr,
         L"hex(1):61,00,62,00" + std::wstring(kExact) + L"hex(1):61,00,62,00"},
        {REG_EXPAND_SZ, std::string("a\0b", 3), nullptr,
         L"hex(2):61,00,62" + std::wstring(kExact) + L"hex(2):61,00,62"},
        {REG_MULTI_SZ, "A", nullptr, L"hex(7):41,00" + std::wstring(kExact) + L"hex(7):41"},
        {REG_EXPAND_SZ, Utf16Bytes(std::wstring(L"%x%\0", 4)), L"hex(2):25,78,25,00",
         L"hex(2):25,00,78,00,25,00,00,00"},
        {REG_MULTI_SZ, Utf16Bytes(std::wstring(L"a\0\u00e9\0\0", 5)), L"hex(7):61,00,e9,00,00",
         L"hex(7):61,00,00,00,e9,00,00,00,00,00"},
    };
    for (const auto& c : cases) {
        const BYTE* data = reinterpret_cast<const BYTE*>(c.bytes.data());
        const DWORD length = static_cast<DWORD>(c.bytes.size());
        std::wstring line;
        const LineMade made =
            MakeValueLine(RegFileForm::Regedit4, L"v", c.type, data, length, line);
        EXPECT_EQ(made, c.regedit4 ? LineMade::Made : LineMade::NotInForm) << c.unicode;
        if (c.regedit4) {
            EXPECT_EQ(line, L"\"v\"=" + std::wstring(c.regedit4));
        }
        EXPECT_EQ(MakeValueLine(RegFileForm::Unicode, L"v", c.type, data, length, line),
                  LineMade::Made);
        EXPECT_EQ(line, L"\"v\"=" + c.unicode);
    }
    std::wstring line;
    EXPECT_EQ(MakeValueLine(RegFileForm::Unicode, L"a\nb", REG_SZ, nullptr, 0, line),
              LineMade::NoLineCanDo);
}

// A tree whose first keys the code page holds and a later one it does not: the
// whole file comes out as if written in the Unicode form from its first line.
TEST(RegFile, AFileSwitchesToUnicodeAtTheFirstTextOutsideTheCodePage) {
    ScratchKey scratch;
    const std::wstring key = kHkcu + scratch.path();
    // Long enough to wrap; the Unicode form wraps it elsewhere.
    const std::wstring list = std::wstring(L"first\0", 6) + std::wstring(20, L'x') + L'\0' + L'\0';
    const std::wstring later = L"\u0411\u0443\u043a\u0432\u044b";
    PlantValue(scratch.root(), scratch.Sub(L"A"), L"expand", REG_EXPAND_SZ,
               Utf16Bytes(std::wstring(L"%x%\0", 4)));
    PlantValue(scratch.root(), scratch.Sub(L"A"), L"list", REG_MULTI_SZ, Utf16Bytes(list));
    PlantString(scratch.root(), scratch.Sub(later), later, later);
    const std::string written = WrittenText([&](RegFileWriter& out) {
        EXPECT_EQ(ExportKeyTree(key, out), ExportResult::Written);
        EXPECT_EQ(out.Form(), RegFileForm::Unicode);
    });
    auto value = [](const std::wstring& name, DWORD type, const std::string& bytes) {
        std::wstring line;
        MakeValueLine(RegFileForm::Unicode, name, type, reinterpret_cast<const BYTE*>(bytes.data()),
                      static_cast<DWORD>(bytes.size()), line);
        return line;
    };
    EXPECT_EQ(written,
              UnicodeRegText(
                  {L"[" + key + L"]", L"[" + key + L"\\A]",
                   value(L"expand", REG_EXPAND_SZ, Utf16Bytes(std::wstring(L"%x%\0", 4))),
                   L"[" + key + L"\\A]", value(L"list", REG_MULTI_SZ, Utf16Bytes(list)),
                   L"[" + key + L"\\" + later + L"]", L"\"" + later + L"\"=\"" + later + L"\""}));
}

// Reads the target file while the export runs, and counts the keys walked.
class PeekingProgress : public ProgressSink {
  public:
    explicit PeekingProgress(std::wstring path) : m_path(std::move(path)) {}
    void Begin(ProgressPhase, std::size_t) override {}
    void Step(std::size_t) override { seen = ReadWholeFile(m_path); }
    void End() override {}
    void KeyWalked() override { ++keys; }
    std::string seen;
    int keys = 0;

  private:
    std::wstring m_path;
};

TEST(RegExport, ExportToFileReplacesAFileOnlyOnceTheNewOneIsComplete) {
    ScratchKey scratch;
    ScratchFolder folder(L"replace");
    PlantDword(scratch.root(), scratch.Sub(L"T\\A"), L"d", 3);
    PlantKey(scratch.root(), scratch.Sub(L"T\\B"));
    std::wstring file = folder.MakeFile(L"mine.reg", "the user's file");
    PeekingProgress progress(file);
    std::vector<RegistryItem> items = {{L"HKEY_CURRENT_USER", scratch.Sub(L"T"), L"", L"", -1}};
    std::vector<ExportResult> results;
    EXPECT_EQ(ExportItemsToFile(file, items, &progress, &results), FileExportResult::Complete);
    EXPECT_EQ(results, std::vector<ExportResult>{ExportResult::Written});
    EXPECT_EQ(progress.seen, "the user's file");
    EXPECT_EQ(progress.keys, 3);
    const std::wstring key = kHkcu + scratch.Sub(L"T");
    const std::string exported = RegText(
        {L"[" + key + L"]", L"[" + key + L"\\A]", L"\"d\"=dword:00000003", L"[" + key + L"\\B]"});
    EXPECT_EQ(ReadWholeFile(file), exported);
    EXPECT_FALSE(FileExists(file + L".partial"));

    // An export that cannot be made leaves the file that is there as it was.
    folder.MakeFolder(L"mine.reg.partial");
    EXPECT_EQ(ExportItemsToFile(file, items, nullptr), FileExportResult::CannotCreate);
    EXPECT_EQ(ReadWholeFile(file), exported);
}

}  // namespace
