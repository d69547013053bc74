#include "app/VersionInfo.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "settings/ModulePath.h"

std::wstring VersionString(const std::wstring& file, const wchar_t* valueName) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size == 0)
        return std::wstring();
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
        return std::wstring();
    WORD* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < 4 || !translation) {
        return std::wstring();
    }
    wchar_t query[128];
    std::swprintf(query, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1],
                  valueName);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&value), &length) || !value ||
        length == 0) {
        return std::wstring();
    }
    return std::wstring(value);
}

std::wstring ProductCaption() {
    const std::wstring program = ModulePath(nullptr);
    return VersionString(program, L"ProductName") + L" (" +
           VersionString(program, L"ProductVersion") + L")";
}
