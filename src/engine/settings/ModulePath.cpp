#include "settings/ModulePath.h"

#include "common/AnsiText.h"

std::string ModulePath(HMODULE module) {
    char buffer[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(module, buffer, MAX_PATH);
    return std::string(buffer, length < MAX_PATH ? length : MAX_PATH - 1);
}

std::string FolderOfPath(const std::string& path) {
    std::size_t slash = FindLastChar(path, '\\');
    if (slash != std::string::npos)
        return path.substr(0, slash);
    std::size_t colon = FindLastChar(path, ':');
    if (colon != std::string::npos)
        return path.substr(0, colon + 1);
    return std::string();
}

std::string BaseNameOfPath(const std::string& path, Extension extension) {
    std::size_t slash = FindLastChar(path, '\\');
    std::size_t colon = FindLastChar(path, ':');
    std::size_t cut = std::string::npos;
    if (slash != std::string::npos)
        cut = slash;
    if (colon != std::string::npos && (cut == std::string::npos || colon > cut))
        cut = colon;
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    if (extension == Extension::Drop) {
        std::size_t dot = FindLastChar(name, '.');
        if (dot != std::string::npos)
            name.resize(dot);
    }
    return name;
}

std::string ModuleFolder(HMODULE module) {
    return FolderOfPath(ModulePath(module));
}

std::string ModuleBaseName(HMODULE module, Extension extension) {
    return BaseNameOfPath(ModulePath(module), extension);
}

std::string LanguageFilePath(const std::string& baseName) {
    return ModuleFolder(nullptr) + "\\" + baseName + ".language";
}

std::string ConfigFilePath() {
    return ModuleFolder(nullptr) + "\\config.xml";
}

std::string BackupFolderPath() {
    return ModuleFolder(nullptr) + "\\Data\\" + kProductName + "\\Backup\\";
}
