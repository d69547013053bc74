#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

std::size_t RowsOfTask(const std::string& out, const std::string& task) {
    std::size_t rows = 0;
    for (const std::string& line : Lines(out))
        rows += line.compare(0, task.size() + 1, task + "\t") == 0 ? 1 : 0;
    return rows;
}

// The summary counts what each task printed, including a task that found nothing.
TEST(ZdvScanSummary, GivesEachTaskThatRanItsCountAndName) {
    const std::string runMru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
    PlantString(HKEY_CURRENT_USER, runMru, "a", "notepad");
    PlantString(HKEY_CURRENT_USER, runMru, "b", "regedit");
    ZdvOutcome outcome = RunZdv("scan --tasks 6,9 --summary --quiet");
    RemoveTree(HKEY_CURRENT_USER, runMru);

    EXPECT_EQ(outcome.exitCode, 0u);
    std::vector<std::string> summary = Lines(outcome.err, "task ");
    ASSERT_EQ(summary.size(), 2u) << outcome.err;
    const std::size_t sixes = RowsOfTask(outcome.out, "6");
    const std::size_t nines = RowsOfTask(outcome.out, "9");
    EXPECT_GE(sixes, 2u);
    char expected[2][128];
    std::snprintf(expected[0], sizeof(expected[0]), "task  6  %6zu  History lists", sixes);
    std::snprintf(expected[1], sizeof(expected[1]), "task  9  %6zu  Empty locale entries", nines);
    EXPECT_EQ(summary[0], expected[0]);
    EXPECT_EQ(summary[1], expected[1]);
}

}  // namespace
