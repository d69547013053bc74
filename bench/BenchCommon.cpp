#include "BenchCommon.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/UniqueHandle.h"

namespace {

void RawLevel(HKEY parent, const char* name, RawStats& stats) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, name, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    ++stats.keys;
    DWORD maxSubKey = 0, maxValueName = 0, maxValueData = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &maxSubKey, nullptr, nullptr,
                     &maxValueName, &maxValueData, nullptr, nullptr);
    std::vector<char> subKey(maxSubKey * 2 + 256), valueName(maxValueName * 2 + 256);
    std::vector<BYTE> data(maxValueData + 256);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(valueName.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueA(key, index, valueName.data(), &nameLength, nullptr, &type, data.data(),
                          &dataLength) != ERROR_SUCCESS) {
            break;
        }
        ++stats.values;
    }
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(subKey.size());
        if (RegEnumKeyExA(key, index, subKey.data(), &nameLength, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS) {
            break;
        }
        RawLevel(key, subKey.data(), stats);
    }
    RegCloseKey(key);
}

}  // namespace

RawStats RawEnumerate(HKEY root, const std::string& path) {
    RawStats stats;
    RawLevel(root, path.c_str(), stats);
    return stats;
}

double NowSeconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double BestOf(int repeats, const std::function<void()>& fn) {
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        double start = NowSeconds();
        fn();
        double elapsed = NowSeconds() - start;
        if (elapsed < best)
            best = elapsed;
    }
    return best;
}

std::vector<double> BestOfInTurns(int rounds,
                                  const std::vector<std::function<void()>>& contenders) {
    std::vector<double> best(contenders.size(), 1e300);
    for (int i = 0; i < rounds; ++i) {
        for (std::size_t c = 0; c < contenders.size(); ++c)
            best[c] = std::min(best[c], BestOf(1, contenders[c]));
    }
    return best;
}

PairTimes BestOfInTurns(int rounds, const std::function<void()>& a,
                        const std::function<void()>& b) {
    std::vector<double> best = BestOfInTurns(rounds, {a, b});
    return PairTimes{best[0], best[1]};
}

bool RunProgram(const std::string& commandLine, DWORD& exitCode) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    UniqueKernelHandle thread(process.hThread);
    UniqueKernelHandle program(process.hProcess);
    WaitForSingleObject(program.get(), INFINITE);
    return GetExitCodeProcess(program.get(), &exitCode) != FALSE;
}

double PeakMemoryMiB() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)))
        return 0;
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

void PrintFigure(const char* name, double value, const char* unit) {
    std::printf("%-34s %12.3f %s\n", name, value, unit);
    std::fflush(stdout);
}
