#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

const std::string kRunMru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

class ZdvScan : public ::testing::Test {
  protected:
    void SetUp() override {
        // A tab and a non-ASCII character of code page 1252 (e acute).
        PlantString(HKEY_CURRENT_USER, kRunMru, "a", "x\ty\xe9");
        PlantDword(HKEY_CURRENT_USER, kRunMru, "b", 5);
        PlantString(HKEY_CURRENT_USER, kRun, "ZdvBare", "tool.exe /start");
    }
    void TearDown() override {
        RemoveTree(HKEY_CURRENT_USER, kRunMru);
        RemoveValue(HKEY_CURRENT_USER, kRun, "ZdvBare");
    }
    const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
};

TEST_F(ZdvScan, PrintsExactJsonRowsInUtf8) {
    ZdvOutcome outcome = RunZdv("scan --tasks 6 --format json");
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_EQ(outcome.err, "");  // progress only on a console
    std::vector<std::string> expected = {
        "{\"task\":6,\"root\":\"HKEY_CURRENT_USER\",\"key\":\"Software\\\\Microsoft\\\\Windows\\\\"
        "CurrentVersion\\\\Explorer\\\\RunMRU\",\"value\":\"a\",\"data\":\"x\\ty\xc3\xa9\","
        "\"type\":1}",
        "{\"task\":6,\"root\":\"HKEY_CURRENT_USER\",\"key\":\"Software\\\\Microsoft\\\\Windows\\\\"
        "CurrentVersion\\\\Explorer\\\\RunMRU\",\"value\":\"b\",\"data\":\"0x00000005 (5)\","
        "\"type\":4}",
    };
    EXPECT_EQ(Lines(outcome.out, "RunMRU"), expected);
}

TEST_F(ZdvScan, PrintsTsvWithEscapedTabsAndTasksInTaskOrder) {
    ZdvOutcome outcome = RunZdv("scan --tasks 11,6 --quiet");
    EXPECT_EQ(outcome.exitCode, 0u);
    std::vector<std::string> lines = Lines(outcome.out);
    std::vector<std::string> expected = {
        "6\tHKEY_CURRENT_USER\t" + kRunMru + "\ta\tx\\ty\xe9\t1",
        "6\tHKEY_CURRENT_USER\t" + kRunMru + "\tb\t0x00000005 (5)\t4",
        "11\tHKEY_CURRENT_USER\t" + kRun + "\tZdvBare\ttool.exe /start\t1",
    };
    std::vector<std::string> planted;
    for (const std::string& line : lines) {
        if (line.find("RunMRU") != std::string::npos || line.find("ZdvBare") != std::string::npos) {
            planted.push_back(line);
        }
    }
    EXPECT_EQ(planted, expected);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_LE(std::stoi(lines[i - 1]), std::stoi(lines[i])) << lines[i];
    }
}

TEST_F(ZdvScan, WithoutTasksUsesTheSelectionStoredBesideTheProgram) {
    ScratchFolder program("zdvcopy");
    std::string exe = program.path() + "\\zdv.exe";
    ASSERT_TRUE(CopyFileA("zdv.exe", exe.c_str(), FALSE));
    const std::string head = "<?xml version=\"1.0\"?><config><zazadazivevevivozed>";
    const std::string tail = "</zazadazivevevivozed></config>";
    // No usable custom list: the default one (task 11 only) applies.
    program.MakeFile("config.xml", head +
                                       "<cleanersearchtasklist custom=\"\" "
                                       "default=\"0,0,0,0,0,0,0,0,0,0,1\"/>" +
                                       tail);
    ZdvOutcome outcome = RunZdv("scan", exe);
    EXPECT_EQ(outcome.exitCode, 0u);
    std::vector<std::string> lines = Lines(outcome.out);
    EXPECT_EQ(Lines(outcome.out, "ZdvBare").size(), 1u);
    for (const std::string& line : lines)
        EXPECT_EQ(line.rfind("11\t", 0), 0u) << line;

    program.MakeFile("config.xml", head +
                                       "<cleanersearchtasklist custom=\"0,0,0,0,0,1,0\" "
                                       "default=\"0,0,0,0,0,0,0,0,0,0,1\"/>" +
                                       tail);
    outcome = RunZdv("scan --format json", exe);
    EXPECT_EQ(Lines(outcome.out, "RunMRU").size(), 2u);
    EXPECT_EQ(Lines(outcome.out, "ZdvBare").size(), 0u);
}

TEST(ZdvScanUsage, RejectsBadArgumentsWithOneLineAndExitTwo) {
    for (const char* arguments : {"scan --tasks 0", "scan --tasks 3-1", "scan --tasks",
                                  "scan --format xml", "scan --bogus", "scan 6"}) {
        ZdvOutcome outcome = RunZdv(arguments);
        EXPECT_EQ(outcome.exitCode, 2u) << arguments;
        EXPECT_EQ(outcome.out, "") << arguments;
        EXPECT_EQ(outcome.err.rfind("zdv: scan: ", 0), 0u) << outcome.err;
        EXPECT_EQ(Lines(outcome.err).size(), 1u) << outcome.err;
    }
}

}  // namespace
