// What zdv scan and zdv search print: the row formats, and which options and
// settings reach the engines. The engines' own rules are tested in tests/engine.

#include <gtest/gtest.h>

#include <cstdio>

#include "TestSupport.h"

namespace {

const std::wstring kRunMru = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A tab, a letter of code page 1252, a word in Cyrillic and a surrogate without
// its pair, which UTF-8 cannot carry.
const std::wstring kData = L"x\ty\u00e9 \u041a\u043b\u044e\u0447 \xd800";

class ZdvScan : public ::testing::Test {
  protected:
    void SetUp() override {
        runMru.String(L"a", kData);
        runMru.Dword(L"b", 5);
        run.String(L"ZdvBare", L"tool.exe /start");
    }
    PlantedKey runMru{HKEY_CURRENT_USER, kRunMru};
    PlantedKey run{HKEY_CURRENT_USER, kRun};
};

TEST_F(ZdvScan, PrintsUtf8TsvWithEscapedTabsInTaskOrderASummaryAndExactJson) {
    ZdvOutcome outcome = RunZdv(L"scan --tasks 11,9,6 --quiet --summary", L"", ZdvOutput::Pipe);
    EXPECT_EQ(outcome.exitCode, 0u);
    std::vector<std::wstring> planted;
    std::size_t counts[12] = {};
    for (const std::wstring& line : Lines(outcome.out)) {
        ++counts[std::stoi(line) % 12];
        if (line.find(L"RunMRU") != std::wstring::npos ||
            line.find(L"ZdvBare") != std::wstring::npos)
            planted.push_back(line);
    }
    EXPECT_EQ(planted, (std::vector<std::wstring>{
                           L"6\tHKEY_CURRENT_USER\t" + kRunMru +
                               L"\ta\tx\\ty\u00e9 \u041a\u043b\u044e\u0447 \ufffd\t1",
                           L"6\tHKEY_CURRENT_USER\t" + kRunMru + L"\tb\t0x00000005 (5)\t4",
                           L"11\tHKEY_CURRENT_USER\t" + kRun + L"\tZdvBare\ttool.exe /start\t1"}));
    EXPECT_NE(outcome.outBytes.find("\xc3\xa9 \xd0\x9a\xd0\xbb\xd1\x8e\xd1\x87 \xef\xbf\xbd\t1"),
              std::string::npos);
    // The summary counts what each task printed, a task that found nothing too.
    wchar_t summary[3][128];
    std::swprintf(summary[0], 128, L"task  6  %6zu  History lists", counts[6]);
    std::swprintf(summary[1], 128, L"task  9  %6zu  Empty locale entries", counts[9]);
    std::swprintf(summary[2], 128, L"task 11  %6zu  Start-up programs", counts[11]);
    EXPECT_EQ(Lines(outcome.err, L"task "),
              (std::vector<std::wstring>{summary[0], summary[1], summary[2]}));

    outcome = RunZdv(L"scan --tasks 6 --format json", L"", ZdvOutput::Pipe);
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_EQ(outcome.err, L"");  // progress only on a console
    const std::wstring key =
        L"{\"task\":6,\"root\":\"HKEY_CURRENT_USER\",\"key\":\"Software\\\\Microsoft\\\\Windows\\\\"
        L"CurrentVersion\\\\Explorer\\\\RunMRU\",";
    EXPECT_EQ(Lines(outcome.out, L"RunMRU"),
              (std::vector<std::wstring>{
                  key + L"\"value\":\"a\",\"data\":\"x\\ty\u00e9 \u041a\u043b\u044e\u0447 "
                        L"\\ud800\",\"type\":1,\"problem\":\"History list entry\"}",
                  key + L"\"value\":\"b\",\"data\":\"0x00000005 (5)\",\"type\":4,"
                        L"\"problem\":\"History list entry\"}"}));
    EXPECT_NE(outcome.outBytes.find("\"x\\ty\xc3\xa9 \xd0\x9a\xd0\xbb\xd1\x8e\xd1\x87 \\ud800\""),
              std::string::npos);
}

TEST_F(ZdvScan, WithoutTasksUsesTheSelectionStoredBesideTheProgram) {
    ScratchFolder program(L"zdvcopy");
    std::wstring exe = program.path() + L"\\zdv.exe";
    ASSERT_TRUE(CopyFileW(L"zdv.exe", exe.c_str(), FALSE));
    // No usable custom list: the default one (task 11 only) applies.
    program.MakeFile(
        L"config.xml",
        "<?xml version=\"1.0\"?><config><zazadazivevevivozed><cleanersearchtasklist "
        "custom=\"\" default=\"0,0,0,0,0,0,0,0,0,0,1\"/></zazadazivevevivozed></config>");
    ZdvOutcome outcome = RunZdv(L"scan", exe);
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_EQ(Lines(outcome.out, L"ZdvBare").size(), 1u);
    for (const std::wstring& line : Lines(outcome.out))
        EXPECT_EQ(line.rfind(L"11\t", 0), 0u) << line;
}

// zdv.exe sits in the build folder, the folder the tests run in; it reads the
// program's language file there. The keyword is Cyrillic ("needle").
TEST(ZdvSearch, PrintsEveryHitInWalkOrderWithTheOptionsGiven) {
    ScratchKey scratch(L"CliSearch");
    const std::wstring needle =
        L"\u0418\u0433\u043b\u0430" + std::to_wstring(GetCurrentProcessId());
    const std::wstring values = scratch.Sub(L"Values"), root = L"HKEY_CURRENT_USER\t";
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, scratch.Sub(needle + L"\\Inner")));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, values, L"Tabbed", L"caf\xe9\t" + needle + L"\\x"));
    ASSERT_TRUE(PlantDword(HKEY_CURRENT_USER, values, needle, 255));
    const std::wstring keyRow = root + scratch.Sub(needle) + L"\t[Key]\t\t-1\n";
    const std::wstring dwordRow = root + values + L"\t" + needle + L"\t0x000000ff (255)\t4\n";

    const std::wstring tabbedRow = root + values + L"\tTabbed\tcaf\xe9\\t" + needle + L"\\x\t1\n";
    ZdvOutcome result = RunZdv(L"search " + needle + L" --roots HKCU");
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    // Cyrillic names come after Latin ones in the registry's order.
    EXPECT_EQ(result.out, tabbedRow + dwordRow + keyRow);
    EXPECT_EQ(result.err, L"");  // progress only on a console

    // Each option reaches the search: the same keyword finds less with it.
    EXPECT_EQ(RunZdv(L"search " + needle + L" --data --roots hkcu").out, tabbedRow);
    EXPECT_EQ(RunZdv(L"search " + needle + L" --keys --roots HKCU --quiet").out, keyRow);
    EXPECT_EQ(RunZdv(L"search " + needle.substr(1) + L" --keys --full-word --roots HKCU").out, L"");
    EXPECT_EQ(RunZdv(L"search \u0438" + needle.substr(1) + L" --keys --roots HKCU").out, keyRow);
    EXPECT_EQ(RunZdv(L"search \u0438" + needle.substr(1) + L" --keys --case --roots HKCU").out,
              L"");
    EXPECT_EQ(RunZdv(L"search --values --wildcard --roots HKCU \u0418?" + needle.substr(2)).out,
              dwordRow);

    result = RunZdv(L"search \"\" --format json");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.out + result.err, L"");
}

}  // namespace
