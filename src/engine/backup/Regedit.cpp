#include "backup/Regedit.h"

#include <shellapi.h>

#include "common/UniqueHandle.h"

namespace {

RegeditRun Launch(const std::string& program, const std::string& parameters, RegeditWait wait) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    RegeditRun run;
    if (program.empty())
        return run;
    run.started = ShellExecuteExA(&info) != FALSE;
    UniqueKernelHandle process(info.hProcess);
    if (run.started && wait == RegeditWait::UntilEnd && process) {
        WaitForSingleObject(process.get(), INFINITE);
        run.finished = GetExitCodeProcess(process.get(), &run.exitCode) != FALSE;
    }
    return run;
}

}  // namespace

std::string RegistryEditorPath() {
    char folder[MAX_PATH] = {};
    UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        std::string path(folder, length);
        if (path.back() != '\\')
            path += '\\';
        path += "regedit.exe";
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return path;
        }
    }
    return std::string();
}

std::string RegeditExportParameters(const std::string& filePath) {
    return "/e \"" + filePath + "\" ";
}

std::string RegeditImportParameters(const std::string& filePath) {
    return "/s \"" + filePath + "\" ";
}

RegeditRun RegeditExport(const std::string& filePath, const std::string& program,
                         RegeditWait wait) {
    return Launch(program, RegeditExportParameters(filePath), wait);
}

RegeditRun RegeditImport(const std::string& filePath, const std::string& program,
                         RegeditWait wait) {
    return Launch(program, RegeditImportParameters(filePath), wait);
}
