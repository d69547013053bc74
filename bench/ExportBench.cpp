// The REGEDIT4 export of the generated tree (the backup written before a
// deletion of it) against a raw enumeration of the same tree, in turns.

#include <cstdio>

#include "BenchCommon.h"
#include "results/RegExport.h"

int main() {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string file = std::string(folder) + "zdv-export-bench.reg";
    const std::string tree = std::string("HKEY_CURRENT_USER\\") + kBenchTreePath;
    RawStats stats;
    ExportResult result = ExportResult::Missing;
    auto raw = [&] { stats = RawEnumerate(HKEY_CURRENT_USER, kBenchTreePath); };
    auto exportTree = [&] {
        RegFileWriter out;
        out.Open(file);
        result = ExportKeyTree(tree, out);
        out.Close();
    };
    PairTimes times = BestOfInTurns(2, raw, exportTree);
    std::printf("export of %llu keys, %llu values: %s\n",
                static_cast<unsigned long long>(stats.keys),
                static_cast<unsigned long long>(stats.values),
                result == ExportResult::Written ? "complete" : "INCOMPLETE");
    PrintFigure("raw enumeration", times.a, "s");
    PrintFigure("export", times.b, "s");
    PrintFigure("ratio export / raw", times.b / times.a, "");
    PrintFigure("peak memory", PeakMemoryMiB(), "MiB");
    DeleteFileA(file.c_str());
    return 0;
}
