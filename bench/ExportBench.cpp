// The REGEDIT4 export of the generated tree (the backup written before a
// deletion of it), in this process and as `zdv export`, against the registry
// editor's own export of the same tree (`regedit /e`) and a raw enumeration,
// all four in turns.

#include <cstdio>

#include "BenchCommon.h"
#include "backup/Regedit.h"
#include "results/RegExport.h"
#include "settings/ModulePath.h"

namespace {

std::uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

// Runs the program on a fresh file: true when it ended with 0 and wrote something.
bool RunExport(const std::string& commandLine, const std::string& file) {
    DeleteFileA(file.c_str());
    DWORD exitCode = 1;
    return RunProgram(commandLine, exitCode) && exitCode == 0 && FileSize(file) > 0;
}

}  // namespace

int main() {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string file = std::string(folder) + "zdv-export-bench.reg";
    const std::string zdvFile = std::string(folder) + "zdv-export-bench-zdv.reg";
    const std::string regeditFile = std::string(folder) + "zdv-export-bench-regedit.reg";
    const std::string tree = std::string("HKEY_CURRENT_USER\\") + kBenchTreePath;
    // zdv.exe is in the build folder, above this program's.
    const std::string zdv = FolderOfPath(ModuleFolder(nullptr)) + "\\zdv.exe";
    const std::string regedit = RegistryEditorPath();
    if (regedit.empty()) {
        std::fprintf(stderr, "no regedit.exe in the Windows folder\n");
        return 1;
    }

    RawStats stats;
    ExportResult result = ExportResult::Missing;
    bool zdvOk = true, regeditOk = true;
    auto raw = [&] { stats = RawEnumerate(HKEY_CURRENT_USER, kBenchTreePath); };
    auto exportTree = [&] {
        RegFileWriter out;
        out.Open(file);
        result = ExportKeyTree(tree, out);
        out.Close();
    };
    auto zdvExport = [&] {
        zdvOk = RunExport("\"" + zdv + "\" export \"" + zdvFile + "\" \"" + tree + "\"", zdvFile) &&
                zdvOk;
    };
    auto regeditExport = [&] {
        regeditOk = RunExport("\"" + regedit + "\" /e \"" + regeditFile + "\" \"" + tree + "\"",
                              regeditFile) &&
                    regeditOk;
    };
    std::vector<double> times = BestOfInTurns(3, {raw, exportTree, zdvExport, regeditExport});
    const double rawTime = times[0], exportTime = times[1], zdvTime = times[2],
                 regeditTime = times[3];

    std::printf("export of %llu keys, %llu values: %s; zdv export: %s; regedit /e: %s\n",
                static_cast<unsigned long long>(stats.keys),
                static_cast<unsigned long long>(stats.values),
                result == ExportResult::Written ? "complete" : "INCOMPLETE",
                zdvOk ? "complete" : "FAILED", regeditOk ? "complete" : "FAILED");
    std::printf("file sizes: export %llu bytes, regedit /e %llu bytes (UTF-16)\n",
                static_cast<unsigned long long>(FileSize(file)),
                static_cast<unsigned long long>(FileSize(regeditFile)));
    PrintFigure("raw enumeration", rawTime, "s");
    PrintFigure("export (in process)", exportTime, "s");
    PrintFigure("zdv export", zdvTime, "s");
    PrintFigure("regedit /e", regeditTime, "s");
    PrintFigure("ratio raw / regedit", rawTime / regeditTime, "");
    PrintFigure("ratio export / regedit", exportTime / regeditTime, "");
    PrintFigure("ratio zdv export / regedit (<= 1.10)", zdvTime / regeditTime, "");
    PrintFigure("ratio export / raw", exportTime / rawTime, "");
    PrintFigure("peak memory", PeakMemoryMiB(), "MiB");
    for (const std::string& written : {file, zdvFile, regeditFile})
        DeleteFileA(written.c_str());
    return 0;
}
