// The floor: a raw enumeration of the generated tree, run against itself in
// turns. The ratio shows how far two runs of the same work differ here, which
// is the noise every other ratio carries.

#include <cstdio>

#include "BenchCommon.h"

int wmain() {
    RawStats stats;
    auto raw = [&] { stats = RawEnumerate(HKEY_CURRENT_USER, kBenchTreePath); };
    PairTimes times = BestOfInTurns(2, raw, raw);
    std::printf("raw enumeration of %llu keys, %llu values\n",
                static_cast<unsigned long long>(stats.keys),
                static_cast<unsigned long long>(stats.values));
    PrintFigure("raw, first of each turn", times.a, "s");
    PrintFigure("raw, second of each turn", times.b, "s");
    PrintFigure("ratio (noise)", times.b / times.a, "");
    PrintFigure("peak memory", PeakMemoryMiB(), "MiB");
    return 0;
}
