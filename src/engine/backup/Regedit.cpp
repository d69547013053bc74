#include "backup/Regedit.h"

#include <shellapi.h>

#include <cstdio>

#include "common/Text.h"

namespace {

bool FileData(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
           !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The header line followed by the end of the line or of the file.
bool StartsWithLine(const std::wstring& text, const std::wstring& line) {
    return text.compare(0, line.size(), line) == 0 &&
           (text.size() == line.size() || text[line.size()] == L'\r' || text[line.size()] == L'\n');
}

RegeditRun Launch(const std::wstring& program, const std::wstring& parameters, RegeditWait wait) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    // Every caller reports a failed start itself, in its own words.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    RegeditRun run;
    if (program.empty())
        return run;
    run.started = ShellExecuteExW(&info) != FALSE;
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

std::wstring RegistryEditorPath() {
    wchar_t folder[MAX_PATH] = {};
    UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        std::wstring path(folder, length);
        if (path.back() != L'\\')
            path += L'\\';
        path += L"regedit.exe";
        DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return path;
    }
    return std::wstring();
}

std::wstring RegeditExportParameters(const std::wstring& filePath) {
    return L"/e \"" + filePath + L"\" ";
}

std::wstring RegeditImportParameters(const std::wstring& filePath) {
    return L"/s \"" + filePath + L"\" ";
}

RegeditRun RegeditExport(const std::wstring& filePath, const std::wstring& program,
                         RegeditWait wait) {
    return Launch(program, RegeditExportParameters(filePath), wait);
}

RegeditRun RegeditImport(const std::wstring& filePath, const std::wstring& program,
                         RegeditWait wait) {
    return Launch(program, RegeditImportParameters(filePath), wait);
}

bool HasRegistryFileHeader(const std::wstring& path) {
    std::FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return false;
    char head[80] = {};
    const std::size_t length = std::fread(head, 1, sizeof(head), file);
    std::fclose(file);
    std::wstring text;
    if (length >= 2 && head[0] == '\xff' && head[1] == '\xfe') {
        for (std::size_t i = 2; i + 1 < length; i += 2)
            text += static_cast<wchar_t>(static_cast<unsigned char>(head[i]) |
                                         static_cast<unsigned char>(head[i + 1]) << 8);
    } else {
        text = WideFromAnsi(std::string_view(head, length));
    }
    return StartsWithLine(text, L"REGEDIT4") ||
           StartsWithLine(text, L"Windows Registry Editor Version 5.00");
}

ExportTarget ExportTargetBefore(const std::wstring& path) {
    ExportTarget target;
    WIN32_FILE_ATTRIBUTE_DATA data;
    target.existed = FileData(path, data);
    if (target.existed)
        target.lastWrite = data.ftLastWriteTime;
    return target;
}

bool ExportWritten(const std::wstring& path, const ExportTarget& before) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!FileData(path, data) || (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0))
        return false;
    if (before.existed && CompareFileTime(&data.ftLastWriteTime, &before.lastWrite) <= 0)
        return false;
    return HasRegistryFileHeader(path);
}
