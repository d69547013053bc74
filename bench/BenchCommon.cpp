#include "BenchCommon.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/UniqueHandle.h"

namespace {

void RawLevel(HKEY parent, const wchar_t* name, RawStats& stats, const RawValueVisitor& onValue) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    ++stats.keys;
    DWORD maxSubKey = 0, maxValueName = 0, maxValueData = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &maxSubKey, nullptr, nullptr,
                     &maxValueName, &maxValueData, nullptr, nullptr);
    std::vector<wchar_t> subKey(maxSubKey + 256), valueName(maxValueName + 256);
    std::vector<BYTE> data(maxValueData + 256);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(valueName.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(key, index, valueName.data(), &nameLength, nullptr, &type, data.data(),
                          &dataLength) != ERROR_SUCCESS) {
            break;
        }
        ++stats.values;
        if (onValue)
            onValue(type, data.data(), dataLength);
    }
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(subKey.size());
        if (RegEnumKeyExW(key, index, subKey.data(), &nameLength, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS) {
            break;
        }
        RawLevel(key, subKey.data(), stats, onValue);
    }
    RegCloseKey(key);
}

}  // namespace

RawStats RawEnumerate(HKEY root, const std::wstring& path, const RawValueVisitor& onValue) {
    RawStats stats;
    RawLevel(root, path.c_str(), stats, onValue);
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

bool RunProgram(const std::wstring& commandLine, DWORD& exitCode) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
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
