// Task 1's scan of HKEY_CURRENT_USER\Software (which holds the generated tree)
// against a raw enumeration of the same keys, timed in turns. The existence
// tests the scan makes are replayed on their own to show the file system's share.

#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "cleaner/CleanerTasks.h"
#include "cleaner/PathValidation.h"
#include "common/AnsiText.h"

namespace {

// The paths task 1 tests for existence, in the order it tests them.
void CollectTestedPaths(const WalkedValue& value, std::vector<std::string>& paths) {
    if (value.type != REG_SZ)
        return;
    std::string path;
    if (PathFromText(std::string(value.name), path)) {
        paths.push_back(path);
        if (!PathExists(path))
            return;
    }
    if (PathFromText(DataAsText(value.data, value.dataLength), path))
        paths.push_back(path);
}

}  // namespace

int main() {
    const char kScanned[] = "Software";
    RawStats stats;
    std::size_t rows = 0;
    auto raw = [&] { stats = RawEnumerate(HKEY_CURRENT_USER, kScanned); };
    auto scan = [&] {
        CountingSink sink;
        TaskEnvironment env;
        env.sink = &sink;
        RunTask(1, env);
        rows = sink.rows;
    };
    PairTimes times = BestOfInTurns(3, raw, scan);

    std::vector<std::string> paths;
    WalkKey(HKEY_CURRENT_USER, WalkOptions::Tree(kScanned, kOddNumberedTypes, {"CLSID"}),
            [&paths](const WalkedValue& value) { CollectTestedPaths(value, paths); });
    double fileSystem = BestOf(3, [&] {
        for (const std::string& path : paths)
            PathExists(path);
    });

    std::printf(
        "HKEY_CURRENT_USER\\%s: %llu keys, %llu values; task 1 found %zu rows, "
        "made %zu existence tests\n",
        kScanned, static_cast<unsigned long long>(stats.keys),
        static_cast<unsigned long long>(stats.values), rows, paths.size());
    PrintFigure("raw enumeration", times.a, "s");
    PrintFigure("task 1 scan", times.b, "s");
    PrintFigure("ratio scan / raw (target <= 1.05)", times.b / times.a, "");
    PrintFigure("of which existence tests", fileSystem, "s");
    PrintFigure("ratio without existence tests", (times.b - fileSystem) / times.a, "");
    PrintFigure("peak memory", PeakMemoryMiB(), "MiB");
    return 0;
}
