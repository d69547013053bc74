// Task 1's scan of HKEY_CURRENT_USER\Software (which holds the generated tree)
// against a raw enumeration of the same keys and against the scan's floor: the
// raw enumeration that also looks up, once, each string value that begins with
// a drive path. Timed in turns. The existence tests the scan makes are replayed
// on their own to show the file system's share. The same scan with the
// factory protected places and an ignore list of a hundred entries, against
// it unfiltered, and the matching alone: every row found, and every key
// walked, judged by the filter.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "cleaner/CleanerTasks.h"
#include "cleaner/EntryFilter.h"
#include "cleaner/PathValidation.h"
#include "cleaner/ScanDriver.h"
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

// Keeps the rows, to judge them again on their own.
class RecordingRows : public RowSink {
  public:
    void AddRow(const RegistryItem& item) override { items.push_back(item); }
    std::vector<RegistryItem> items;
};

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
    std::vector<IgnoredEntry> ignored;
    for (int i = 0; i < 100; ++i)
        ignored.push_back(
            {L"HKEY_CURRENT_USER", L"Software\\Ignored\\" + std::to_wstring(i), L"", true});
    const EntryFilter filter(FactoryProtectedPlaces(), ignored, CurrentUserSid());
    std::vector<bool> task1(1, true);
    RecordingRows found;
    std::size_t shown = 0;
    auto scan = [&] {
        found.items.clear();
        rows = RunScan(task1, found, nullptr, nullptr);
    };
    auto filtered = [&] {
        CountingSink sink;
        RunScan(task1, sink, nullptr, nullptr, &filter);
        shown = sink.rows;
    };
    std::vector<double> times = BestOfInTurns(3, {raw, floor, scan, filtered});
    const double matchRows = BestOf(3, [&] {
        for (const RegistryItem& item : found.items)
            filter.Hides(item);
    });
    std::vector<std::wstring> keyPaths;
    WalkKey(
        HKEY_CURRENT_USER, WalkOptions::Tree(kScanned, 0), [](const WalkedValue&) {},
        [&keyPaths](const WalkedKey& key) { keyPaths.push_back(key.path); });
    const double matchKeys = BestOf(3, [&] {
        for (const std::wstring& path : keyPaths)
            filter.Hides(L"HKEY_CURRENT_USER", path, L"", true);
    });

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
    std::printf(
        "with the factory places and 100 ignored entries: %zu rows shown; %zu keys walked\n", shown,
        keyPaths.size());
    PrintFigure("task 1 scan, filtered", times[3], "s");
    PrintFigure("ratio filtered / unfiltered (target <= 1.05)", times[3] / times[2], "");
    PrintFigure("matching the rows alone", matchRows, "s");
    PrintFigure("matching every key walked alone", matchKeys, "s");
    PrintFigure("peak memory", PeakMemoryMiB(), "MiB");
    return 0;
}
