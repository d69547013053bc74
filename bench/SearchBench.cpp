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

int main(int argc, char** argv) {
    // The program's language file, in the build folder above this one, so that
    // the status text is a real format with the key path in it.
    Language().SetFile(FolderOfPath(ModuleFolder(nullptr)) + "\\" + kProductName + ".language");
    SearchOptions options;
    options.keyword = argc > 1 ? argv[1] : "system32";
    options.includeKey = options.includeValue = options.includeData = true;
    options.searchHkcu = true;

    RawStats stats;
    CountingSink sink;
    unsigned long long statusTexts = 0;
    std::string lastStatus;
    // The status line is formatted once per key, as the page shows it.
    SearchStatus status = [&](const std::string& text) {
        lastStatus = text;
        ++statusTexts;
    };
    auto raw = [&] { stats = RawEnumerate(HKEY_CURRENT_USER, ""); };
    auto search = [&] {
        sink.rows = 0;
        statusTexts = 0;
        SearchRun(options, sink, status, nullptr);
    };
    PairTimes times = BestOfInTurns(3, raw, search);

    std::printf(
        "HKEY_CURRENT_USER: %llu keys, %llu values; keyword \"%s\": %zu rows, %llu status texts\n",
        static_cast<unsigned long long>(stats.keys), static_cast<unsigned long long>(stats.values),
        options.keyword.c_str(), sink.rows, statusTexts);
    PrintFigure("raw enumeration", times.a, "s");
    PrintFigure("search (substring, keys, values, data)", times.b, "s");
    PrintFigure("ratio search / raw (target <= 1.05)", times.b / times.a, "");
    PrintFigure("peak memory", PeakMemoryMiB(), "MiB");
    return 0;
}
