#include "app/VersionInfo.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "settings/ModulePath.h"

std::string VersionString(const std::string& file, const char* valueName) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
    if (size == 0)
        return std::string();
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, block.data()))
        return std::string();
    WORD* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < 4 || !translation) {
        return std::string();
    }
    char query[128];
    std::snprintf(query, sizeof(query), "\\StringFileInfo\\%04x%04x\\%s", translation[0],
                  translation[1], valueName);
    char* value = nullptr;
    if (!VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&value), &length) || !value ||
        length == 0) {
        return std::string();
    }
    return std::string(value);
}

std::string ProductCaption() {
    const std::string program = ModulePath(nullptr);
    return VersionString(program, "ProductName") + " (" + VersionString(program, "ProductVersion") +
           ")";
}
