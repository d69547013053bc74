// What zdv scan and zdv search print: the row formats, and which options and
// settings reach the engines. The engines' own rules are tested in tests/engine.

#include <gtest/gtest.h>

#include <cstdio>

#include "TestSupport.h"

namespace {

const std::string kRunMru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class ZdvScan : public ::testing::Test {
  protected:
    void SetUp() override {
        // A tab and a non-ASCII character of code page 1252 (e acute).
        runMru.String("a", "x\ty\xe9");
        runMru.Dword("b", 5);
        run.String("ZdvBare", "tool.exe /start");
    }
    PlantedKey runMru{HKEY_CURRENT_USER, kRunMru};
    PlantedKey run{HKEY_CURRENT_USER, kRun};
};

TEST_F(ZdvScan, PrintsTsvWithEscapedTabsInTaskOrderASummaryAndExactJsonInUtf8) {
    ZdvOutcome outcome = RunZdv("scan --tasks 11,9,6 --quiet --summary");
    EXPECT_EQ(outcome.exitCode, 0u);
    std::vector<std::string> planted;
    std::size_t counts[12] = {};
    for (const std::string& line : Lines(outcome.out)) {
        ++counts[std::stoi(line) % 12];
        if (line.find("RunMRU") != std::string::npos || line.find("ZdvBare") != std::string::npos)
            planted.push_back(line);
    }
    EXPECT_EQ(planted, (std::vector<std::string>{
                           "6\tHKEY_CURRENT_USER\t" + kRunMru + "\ta\tx\\ty\xe9\t1",
                           "6\tHKEY_CURRENT_USER\t" + kRunMru + "\tb\t0x00000005 (5)\t4",
                           "11\tHKEY_CURRENT_USER\t" + kRun + "\tZdvBare\ttool.exe /start\t1"}));
    // The summary counts what each task printed, a task that found nothing too.
    char summary[3][128];
    std::snprintf(summary[0], 128, "task  6  %6zu  History lists", counts[6]);
    std::snprintf(summary[1], 128, "task  9  %6zu  Empty locale entries", counts[9]);
    std::snprintf(summary[2], 128, "task 11  %6zu  Start-up programs", counts[11]);
    EXPECT_EQ(Lines(outcome.err, "task "),
              (std::vector<std::string>{summary[0], summary[1], summary[2]}));

    outcome = RunZdv("scan --tasks 6 --format json");
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_EQ(outcome.err, "");  // progress only on a console
    const std::string key =
        "{\"task\":6,\"root\":\"HKEY_CURRENT_USER\",\"key\":\"Software\\\\Microsoft\\\\Windows\\\\"
        "CurrentVersion\\\\Explorer\\\\RunMRU\",";
    EXPECT_EQ(Lines(outcome.out, "RunMRU"),
              (std::vector<std::string>{
                  key + "\"value\":\"a\",\"data\":\"x\\ty\xc3\xa9\",\"type\":1}",
                  key + "\"value\":\"b\",\"data\":\"0x00000005 (5)\",\"type\":4}"}));
}

TEST_F(ZdvScan, WithoutTasksUsesTheSelectionStoredBesideTheProgram) {
    ScratchFolder program("zdvcopy");
    std::string exe = program.path() + "\\zdv.exe";
    ASSERT_TRUE(CopyFileA("zdv.exe", exe.c_str(), FALSE));
    // No usable custom list: the default one (task 11 only) applies.
    program.MakeFile(
        "config.xml",
        "<?xml version=\"1.0\"?><config><zazadazivevevivozed><cleanersearchtasklist "
        "custom=\"\" default=\"0,0,0,0,0,0,0,0,0,0,1\"/></zazadazivevevivozed></config>");
    ZdvOutcome outcome = RunZdv("scan", exe);
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_EQ(Lines(outcome.out, "ZdvBare").size(), 1u);
    for (const std::string& line : Lines(outcome.out))
        EXPECT_EQ(line.rfind("11\t", 0), 0u) << line;
}

// zdv.exe sits in the build folder, the folder the tests run in; it reads the
// program's language file there.
TEST(ZdvSearch, PrintsEveryHitInWalkOrderWithTheOptionsGiven) {
    ScratchKey scratch("CliSearch");
    const std::string needle = "Needle" + std::to_string(GetCurrentProcessId());
    const std::string values = scratch.Sub("Values"), root = "HKEY_CURRENT_USER\t";
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, scratch.Sub(needle + "\\Inner")));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, values, "Tabbed", "caf\xe9\t" + needle + "\\x"));
    ASSERT_TRUE(PlantDword(HKEY_CURRENT_USER, values, needle, 255));
    const std::string keyRow = root + scratch.Sub(needle) + "\t[Key]\t\t-1\n";
    const std::string dwordRow = root + values + "\t" + needle + "\t0x000000ff (255)\t4\n";

    const std::string tabbedRow = root + values + "\tTabbed\tcaf\xe9\\t" + needle + "\\x\t1\n";
    ZdvOutcome result = RunZdv("search " + needle + " --roots HKCU");
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(result.out, keyRow + dwordRow + tabbedRow);
    EXPECT_EQ(result.err, "");  // progress only on a console

    // Each option reaches the search: the same keyword finds less with it.
    EXPECT_EQ(RunZdv("search " + needle + " --data --roots hkcu").out, tabbedRow);
    EXPECT_EQ(RunZdv("search " + needle + " --keys --roots HKCU --quiet").out, keyRow);
    EXPECT_EQ(RunZdv("search " + needle.substr(1) + " --keys --full-word --roots HKCU").out, "");
    EXPECT_EQ(RunZdv("search n" + needle.substr(1) + " --keys --case --roots HKCU").out, "");
    EXPECT_EQ(RunZdv("search --values --wildcard --roots HKCU N?" + needle.substr(2)).out,
              dwordRow);

    result = RunZdv("search \"\" --format json");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.out + result.err, "");
}

}  // namespace
