#pragma once
// Shared by the benchmarks: the large tree's place, a raw enumeration of a key
// tree (the floor any walker pays), timing and memory figures.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cleaner/CleanerTasks.h"

// The generated tree lives here, under HKEY_CURRENT_USER, so that a walk of
// HKEY_CURRENT_USER\Software covers it.
constexpr wchar_t kBenchTreePath[] = L"Software\\ZdvBench";
// Files the generated values name; about one in ten of the distinct paths is missing.
constexpr wchar_t kBenchFilesFolder[] = L"C:\\ZdvBenchFiles";

struct RawStats {
    std::uint64_t keys = 0;
    std::uint64_t values = 0;
};

// Open, query info, enumerate values (name and data), enumerate sub keys,
// recurse, close: every call a walker must make, and nothing more. onValue,
// when given, sees each value's type and data.
using RawValueVisitor = std::function<void(DWORD type, const BYTE* data, DWORD length)>;
RawStats RawEnumerate(HKEY root, const std::wstring& path,
                      const RawValueVisitor& onValue = RawValueVisitor());

double NowSeconds();

// Runs fn repeats times and returns the shortest duration in seconds.
double BestOf(int repeats, const std::function<void()>& fn);

// Times the contenders in turns (first, second, ..., first, second, ...) and
// keeps each one's shortest run, so that all see the same machine: load from
// elsewhere shows in all of them or in none.
std::vector<double> BestOfInTurns(int rounds, const std::vector<std::function<void()>>& contenders);

struct PairTimes {
    double a = 0;
    double b = 0;
};
PairTimes BestOfInTurns(int rounds, const std::function<void()>& a, const std::function<void()>& b);

// Starts the command line, waits for the program to end and returns its exit
// code; false when it could not be started.
bool RunProgram(const std::wstring& commandLine, DWORD& exitCode);

// Peak working set of this process so far, in MiB.
double PeakMemoryMiB();

void PrintFigure(const char* name, double value, const char* unit);

// A row sink that only counts, so that a benchmark times the engine, not a list.
class CountingSink : public RowSink {
  public:
    void AddRow(const RegistryItem&) override { ++rows; }
    std::size_t rows = 0;
};
