#include "backup/Regedit.h"

#include <shellapi.h>

#include <cstdio>

namespace {

bool FileData(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
           !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The header line followed by the end of the line or of the file.
bool StartsWithLine(const std::string& text, const std::string& line) {
    return text.compare(0, line.size(), line) == 0 &&
           (text.size() == line.size() || text[line.size()] == '\r' || text[line.size()] == '\n');
}

RegeditRun Launch(const std::string& program, const std::string& parameters, RegeditWait wait) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof(info);
    // Every caller reports a failed start itself, in its own words.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
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
    } else if (wait == RegeditWait::No) {
        run.process = std::move(process);
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

bool HasRegistryFileHeader(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    char head[80] = {};
    std::size_t length = std::fread(head, 1, sizeof(head), file);
    std::fclose(file);
    std::string text(head, length);
    if (text.compare(0, 2, "\xff\xfe") == 0) {
        std::string narrow;
        for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
            if (text[i + 1] != '\0')
                break;
            narrow += text[i];
        }
        text = narrow;
    }
    return StartsWithLine(text, "REGEDIT4") ||
           StartsWithLine(text, "Windows Registry Editor Version 5.00");
}

ExportTarget ExportTargetBefore(const std::string& path) {
    ExportTarget target;
    WIN32_FILE_ATTRIBUTE_DATA data;
    target.existed = FileData(path, data);
    if (target.existed)
        target.lastWrite = data.ftLastWriteTime;
    return target;
}

bool ExportWritten(const std::string& path, const ExportTarget& before) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!FileData(path, data) || (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0))
        return false;
    if (before.existed && CompareFileTime(&data.ftLastWriteTime, &before.lastWrite) <= 0)
        return false;
    return HasRegistryFileHeader(path);
}
