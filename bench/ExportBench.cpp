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

std::uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

// Runs the program on a fresh file: true when it ended with 0 and wrote something.
bool RunExport(const std::wstring& commandLine, const std::wstring& file) {
    DeleteFileW(file.c_str());
    DWORD exitCode = 1;
    return RunProgram(commandLine, exitCode) && exitCode == 0 && FileSize(file) > 0;
}

}  // namespace

int wmain() {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring file = std::wstring(folder) + L"zdv-export-bench.reg";
    const std::wstring zdvFile = std::wstring(folder) + L"zdv-export-bench-zdv.reg";
    const std::wstring regeditFile = std::wstring(folder) + L"zdv-export-bench-regedit.reg";
    const std::wstring tree = std::wstring(L"HKEY_CURRENT_USER\\") + kBenchTreePath;
    // zdv.exe is in the build folder, above this program's.
    const std::wstring zdv = FolderOfPath(ModuleFolder(nullptr)) + L"\\zdv.exe";
    const std::wstring regedit = RegistryEditorPath();
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
        zdvOk =
            RunExport(L"\"" + zdv + L"\" export \"" + zdvFile + L"\" \"" + tree + L"\"", zdvFile) &&
            zdvOk;
    };
    auto regeditExport = [&] {
        regeditOk = RunExport(L"\"" + regedit + L"\" /e \"" + regeditFile + L"\" \"" + tree + L"\"",
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
    for (const std::wstring& written : {file, zdvFile, regeditFile})
        DeleteFileW(written.c_str());
    return 0;
}
