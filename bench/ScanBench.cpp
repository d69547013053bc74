// Task 1's scan of HKEY_CURRENT_USER\Software (which holds the generated tree)
// against a raw enumeration of the same keys and against the scan's floor: the
// raw enumeration that also looks up, once, each string value that begins with
// a drive path. Timed in turns. The existence tests the scan makes are replayed
// on their own to show the file system's share.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "cleaner/CleanerTasks.h"
#include "cleaner/PathValidation.h"
#include "common/Text.h"

namespace {

// The paths task 1 tests for existence, in the order it tests them.
void CollectTestedPaths(const WalkedValue& value, std::vector<std::wstring>& paths) {
    if (value.type != REG_SZ)
        return;
    std::wstring path;
    if (PathFromText(std::wstring(value.name), path)) {
        paths.push_back(path);
        if (!PathExists(path))
            return;
    }
    if (PathFromText(TextFromData(value.data, value.dataLength), path))
        paths.push_back(path);
}

// The floor's look-up: a REG_SZ that begins with "X:\" is asked for on disk.
unsigned long long g_lookups = 0;
void LookUpDrivePath(DWORD type, const BYTE* data, DWORD length) {
    if (type != REG_SZ || length < 8)
        return;
    wchar_t start[3];
    std::memcpy(start, data, sizeof(start));
    if (start[1] != L':' || start[2] != L'\\')
        return;
    ++g_lookups;
    GetFileAttributesW(TextFromData(data, length).c_str());
}

}  // namespace

int wmain() {
    const wchar_t kScanned[] = L"Software";
    RawStats stats;
    std::size_t rows = 0;
    auto raw = [&] { stats = RawEnumerate(HKEY_CURRENT_USER, kScanned); };
    auto floor = [&] {
        g_lookups = 0;
        RawEnumerate(HKEY_CURRENT_USER, kScanned, LookUpDrivePath);
    };
    auto scan = [&] {
        CountingSink sink;
        TaskEnvironment env;
        env.sink = &sink;
        RunTask(1, env);
        rows = sink.rows;
    };
    std::vector<double> times = BestOfInTurns(3, {raw, floor, scan});

    std::vector<std::wstring> paths;
    WalkKey(HKEY_CURRENT_USER, WalkOptions::Tree(kScanned, kOddNumberedTypes, {L"CLSID"}),
            [&paths](const WalkedValue& value) { CollectTestedPaths(value, paths); });
    double fileSystem = BestOf(3, [&] {
        for (const std::wstring& path : paths)
            PathExists(path);
    });

    std::printf(
        "HKEY_CURRENT_USER\\Software: %llu keys, %llu values; task 1 found %zu rows, "
        "made %zu existence tests; the floor looked up %llu values\n",
        static_cast<unsigned long long>(stats.keys), static_cast<unsigned long long>(stats.values),
        rows, paths.size(), g_lookups);
    PrintFigure("raw enumeration", times[0], "s");
    PrintFigure("floor (raw and one look-up per path)", times[1], "s");
    PrintFigure("task 1 scan", times[2], "s");
    PrintFigure("ratio scan / raw", times[2] / times[0], "");
    PrintFigure("ratio scan / floor (target <= 1.05)", times[2] / times[1], "");
    PrintFigure("of which existence tests", fileSystem, "s");
    PrintFigure("ratio without existence tests", (times[2] - fileSystem) / times[0], "");
    PrintFigure("peak memory", PeakMemoryMiB(), "MiB");
    return 0;
}
