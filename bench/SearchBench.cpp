// A search of HKEY_CURRENT_USER (the generated tree and the little else the
// prefix holds there) for a substring in key names, value names and value
// data, against a raw enumeration of the same keys, in turns.
//   bench_SearchBench.exe [KEYWORD]    (default: system32)

#include <cstdio>
#include <string>

#include "BenchCommon.h"
#include "settings/ModulePath.h"
#include "text/LanguageTable.h"
#include "search/SearchEngine.h"
#include "text/FormatText.h"

int wmain(int argc, wchar_t** argv) {
    // The program's language file, in the build folder above this one, so that
    // the status text is a real format with the key path in it.
    Language().SetFile(FolderOfPath(ModuleFolder(nullptr)) + L"\\" + kProductName + L".language");
    const std::wstring walking = GetText(L"_PageRegistrySearchState2");
    SearchOptions options;
    options.keyword = argc > 1 ? argv[1] : L"system32";
    options.includeKey = options.includeValue = options.includeData = true;
    options.searchHkcu = true;

    RawStats stats;
    CountingSink sink;
    unsigned long long statusTexts = 0;
    std::wstring lastStatus;
    // The status line formatted once per key: more than the page does, which
    // formats the newest key only when it shows it.
    SearchProgress progress = [&](const std::wstring& keyPath) {
        lastStatus = FormatPath(walking, keyPath);
        ++statusTexts;
    };
    auto raw = [&] { stats = RawEnumerate(HKEY_CURRENT_USER, L""); };
    auto search = [&] {
        sink.rows = 0;
        statusTexts = 0;
        SearchRun(options, sink, progress, nullptr);
    };
    PairTimes times = BestOfInTurns(3, raw, search);

    std::printf(
        "HKEY_CURRENT_USER: %llu keys, %llu values; keyword \"%ls\": %zu rows, %llu status texts\n",
        static_cast<unsigned long long>(stats.keys), static_cast<unsigned long long>(stats.values),
        options.keyword.c_str(), sink.rows, statusTexts);
    PrintFigure("raw enumeration", times.a, "s");
    PrintFigure("search (substring, keys, values, data)", times.b, "s");
    PrintFigure("ratio search / raw (target <= 1.05)", times.b / times.a, "");
    PrintFigure("peak memory", PeakMemoryMiB(), "MiB");
    return 0;
}
