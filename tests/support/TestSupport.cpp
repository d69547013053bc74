#include "TestSupport.h"

#include "text/LanguageTable.h"

#include <shlwapi.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

void MakeFolders(const std::string& path) {
    for (std::size_t pos = 3; pos <= path.size(); ++pos) {
        if (pos == path.size() || path[pos] == '\\')
            CreateDirectoryA(path.substr(0, pos).c_str(), nullptr);
    }
}

void RemoveFolderTree(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = path + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveFolderTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

}  // namespace

ScratchKey::ScratchKey(const std::string& name) {
    m_path = "Software\\ZdvTests\\" + name + std::to_string(GetCurrentProcessId());
    RemoveTree(HKEY_CURRENT_USER, m_path);
    PlantKey(HKEY_CURRENT_USER, m_path);
    // The shared parent keeps a value for good: an empty Software sub key is what
    // the cleaner's empty-key step reports, and a parent that comes and goes with
    // other test processes' scratch keys would make those rows come and go too.
    PlantString(HKEY_CURRENT_USER, "Software\\ZdvTests", "Purpose", "test scratch keys");
}

ScratchKey::~ScratchKey() {
    RemoveTree(HKEY_CURRENT_USER, m_path);
}

bool PlantKey(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

bool PlantValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                const void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG result = RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool PlantString(HKEY root, const std::string& path, const std::string& name,
                 const std::string& text, DWORD type) {
    return PlantValue(root, path, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

bool PlantDword(HKEY root, const std::string& path, const std::string& name, DWORD value) {
    return PlantValue(root, path, name, REG_DWORD, &value, sizeof(value));
}

bool RemoveTree(HKEY root, const std::string& path) {
    return SHDeleteKeyA(root, path.c_str()) == ERROR_SUCCESS;
}

bool RemoveValue(HKEY root, const std::string& path, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    LONG result = RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

namespace {

void DescribeKey(HKEY root, const std::string& path, const std::string& relative,
                 std::string& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        out += "unreadable " + relative + "\n";
        return;
    }
    out += "key " + relative + "\n";
    std::vector<char> name(32768);
    std::vector<BYTE> data(1 << 20);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueA(key, i, name.data(), &nameLength, nullptr, &type, data.data(),
                          &dataLength) != ERROR_SUCCESS) {
            break;
        }
        char head[64];
        std::snprintf(head, sizeof(head), "\" type %lu bytes", static_cast<unsigned long>(type));
        out += "  value \"" + std::string(name.data(), nameLength) + head;
        for (DWORD b = 0; b < dataLength; ++b) {
            char hex[4];
            std::snprintf(hex, sizeof(hex), " %02x", data[b]);
            out += hex;
        }
        out += "\n";
    }
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        if (RegEnumKeyExA(key, i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        children.emplace_back(name.data(), nameLength);
    }
    RegCloseKey(key);
    for (const std::string& child : children) {
        std::string childRelative = relative == "." ? child : relative + "\\" + child;
        DescribeKey(root, path + "\\" + child, childRelative, out);
    }
}

}  // namespace

std::string DescribeTree(HKEY root, const std::string& path) {
    std::string out;
    DescribeKey(root, path, ".", out);
    return out;
}

ScratchFolder::ScratchFolder(const std::string& name) {
    m_path = "C:\\zdvtest\\" + name + std::to_string(GetCurrentProcessId());
    RemoveFolderTree(m_path);
    MakeFolders(m_path);
}

ScratchFolder::~ScratchFolder() {
    RemoveFolderTree(m_path);
}

std::string ScratchFolder::MakeFile(const std::string& relative, const std::string& content) const {
    std::string full = m_path + "\\" + relative;
    MakeFolders(full.substr(0, full.rfind('\\')));
    WriteWholeFile(full, content);
    return full;
}

std::string ScratchFolder::MakeFolder(const std::string& relative) const {
    std::string full = m_path + "\\" + relative;
    MakeFolders(full);
    return full;
}

namespace {

HANDLE InheritableFile(const std::string& path, DWORD access = GENERIC_WRITE) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ, &inherit, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ZdvOutcome RunZdv(const std::string& arguments, std::string exe, ZdvOutput output) {
    if (exe.empty()) {
        char full[MAX_PATH] = {};
        GetFullPathNameA("zdv.exe", MAX_PATH, full, nullptr);
        exe = full;
    }
    // Fresh names per run: a child's console host may hold the last files a moment longer.
    static ScratchFolder folder("zdvout");
    static int runs = 0;
    std::string run = std::to_string(++runs);
    std::string outPath = folder.path() + "\\out" + run + ".txt";
    std::string errPath = folder.path() + "\\err" + run + ".txt";
    ZdvOutcome outcome;
    HANDLE out = InheritableFile(outPath, output == ZdvOutput::File ? GENERIC_WRITE : GENERIC_READ);
    HANDLE err = InheritableFile(errPath);
    if (out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = out;
        startup.hStdError = err;
        std::string commandLine = "\"" + exe + "\" " + arguments;
        PROCESS_INFORMATION process = {};
        if (CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                           nullptr, nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            WaitForSingleObject(process.hProcess, 120000);
            GetExitCodeProcess(process.hProcess, &outcome.exitCode);
            CloseHandle(process.hProcess);
        }
    }
    if (out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    if (err != INVALID_HANDLE_VALUE)
        CloseHandle(err);
    outcome.out = ReadWholeFile(outPath);
    outcome.err = ReadWholeFile(errPath);
    return outcome;
}

std::vector<std::string> Lines(const std::string& text, const std::string& containing) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find(containing) != std::string::npos)
            lines.push_back(line);
    }
    return lines;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out);
}

LanguageFileScope::LanguageFileScope(const std::string& path) : m_previous(Language().File()) {
    Language().SetFile(path);
}

LanguageFileScope::~LanguageFileScope() {
    Language().SetFile(m_previous);
}

bool WriteLanguageFile(const std::string& path, const std::vector<std::string>& lines) {
    std::string content = "[String]\r\n";
    for (const std::string& line : lines)
        content += line + "\r\n";
    return WriteWholeFile(path, content);
}
