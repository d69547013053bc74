#include "TestSupport.h"

#include <gtest/gtest.h>

#include "common/AnsiText.h"
#include "common/UniqueHandle.h"
#include "settings/ModulePath.h"
#include "text/LanguageTable.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

// A header line, then the lines, each ending in CR LF.
std::string CrLfText(std::string text, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

void RemoveFolderTree(const std::string& path) {
    const std::string from = path + std::string(2, '\0');  // a list of one
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&operation);
}

void DescribeKey(HKEY root, const std::string& path, const std::string& relative,
                 std::string& out) {
    UniqueRegKey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        out += "unreadable " + relative + "\n";
        return;
    }
    out += "key " + relative + "\n";
    std::vector<char> name(32768);
    std::vector<BYTE> data(1 << 20);
    DWORD nameLength = 32768, dataLength = 1 << 20, type = 0;
    for (DWORD i = 0; RegEnumValueA(key.get(), i, name.data(), &nameLength, nullptr, &type,
                                    data.data(), &dataLength) == ERROR_SUCCESS;
         ++i, nameLength = 32768, dataLength = 1 << 20) {
        out += "  value \"" + std::string(name.data(), nameLength) + "\" type " +
               std::to_string(type) + " bytes";
        for (DWORD b = 0; b < dataLength; ++b) {
            char hex[4];
            std::snprintf(hex, sizeof(hex), " %02x", data[b]);
            out += hex;
        }
        out += "\n";
    }
    for (DWORD i = 0;
         nameLength = 32768, RegEnumKeyExA(key.get(), i, name.data(), &nameLength, nullptr, nullptr,
                                           nullptr, nullptr) == ERROR_SUCCESS;
         ++i) {
        const std::string child(name.data(), nameLength);
        DescribeKey(root, path + "\\" + child, relative == "." ? child : relative + "\\" + child,
                    out);
    }
}

HANDLE InheritableFile(const std::string& path, DWORD access = GENERIC_WRITE) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ, &inherit, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
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
    UniqueRegKey key;
    return RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                           nullptr) == ERROR_SUCCESS;
}

bool PlantValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                const std::string& data) {
    return RegSetKeyValueA(root, path.c_str(), name.c_str(), type, data.data(),
                           static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool PlantString(HKEY root, const std::string& path, const std::string& name,
                 const std::string& text, DWORD type) {
    return PlantValue(root, path, name, type, std::string(text.c_str(), text.size() + 1));
}

bool PlantDword(HKEY root, const std::string& path, const std::string& name, DWORD value) {
    return PlantValue(root, path, name, REG_DWORD,
                      std::string(reinterpret_cast<const char*>(&value), sizeof(value)));
}

bool RemoveTree(HKEY root, const std::string& path) {
    return RegDeleteTreeA(root, path.c_str()) == ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::string& path) {
    UniqueRegKey key;
    return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const std::string& path, const std::string& name) {
    return RegGetValueA(root, path.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, nullptr,
                        nullptr, nullptr) == ERROR_SUCCESS;
}

PlantedKey::PlantedKey(HKEY root, std::string path)
    : m_root(root), m_path(std::move(path)), m_existed(KeyExists(root, m_path)) {
    PlantKey(root, m_path);
}

PlantedKey::~PlantedKey() {
    if (!m_existed) {
        RemoveTree(m_root, m_path);
        return;
    }
    for (auto saved = m_saved.rbegin(); saved != m_saved.rend(); ++saved) {
        if (saved->existed) {
            PlantValue(m_root, m_path, saved->name, saved->type, saved->data);
        } else {
            RegDeleteKeyValueA(m_root, m_path.c_str(), saved->name.c_str());
        }
    }
}

void PlantedKey::Value(const std::string& name, DWORD type, const std::string& data) {
    Saved saved = {name, false, REG_NONE, std::string(1 << 16, '\0')};
    DWORD size = static_cast<DWORD>(saved.data.size());
    saved.existed = RegGetValueA(m_root, m_path.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                                 &saved.type, &saved.data[0], &size) == ERROR_SUCCESS;
    saved.data.resize(saved.existed ? size : 0);
    m_saved.push_back(saved);
    EXPECT_TRUE(PlantValue(m_root, m_path, name, type, data)) << m_path << ":" << name;
}

void PlantedKey::String(const std::string& name, const std::string& text, DWORD type) {
    Value(name, type, std::string(text.c_str(), text.size() + 1));
}

void PlantedKey::Dword(const std::string& name, DWORD value) {
    Value(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof(value)));
}

std::string DescribeTree(HKEY root, const std::string& path) {
    std::string out;
    DescribeKey(root, path, ".", out);
    return out;
}

std::string RowText(int image, const std::string& root, const std::string& key,
                    const std::string& value, const std::string& data, int type) {
    return std::to_string(image) + "|" + root + "|" + key + "|" + value + "|" + data + "|" +
           std::to_string(type);
}

void RecordingSink::AddRow(int image, const std::string& root, const std::string& key,
                           const std::string& value, const std::string& data, int type) {
    rows.push_back(RowText(image, root, key, value, data, type));
    if (stop && rows.size() == stopAfterRows)
        stop->store(true);
}

std::string RegText(const std::vector<std::string>& lines) {
    return CrLfText("REGEDIT4\r\n", lines);
}

ScratchFolder::ScratchFolder(const std::string& name) {
    m_path = "C:\\zdvtest\\" + name + std::to_string(GetCurrentProcessId());
    RemoveFolderTree(m_path);
    SHCreateDirectoryExA(nullptr, m_path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    RemoveFolderTree(m_path);
}

std::string ScratchFolder::MakeFile(const std::string& relative, const std::string& content) const {
    std::string full = m_path + "\\" + relative;
    SHCreateDirectoryExA(nullptr, full.substr(0, full.rfind('\\')).c_str(), nullptr);
    WriteWholeFile(full, content);
    return full;
}

std::string ScratchFolder::MakeFolder(const std::string& relative) const {
    std::string full = m_path + "\\" + relative;
    SHCreateDirectoryExA(nullptr, full.c_str(), nullptr);
    return full;
}

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
    UniqueFileHandle out(
        InheritableFile(outPath, output == ZdvOutput::File ? GENERIC_WRITE : GENERIC_READ));
    UniqueFileHandle err(InheritableFile(errPath));
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out.get();
    startup.hStdError = err.get();
    std::string commandLine = "\"" + exe + "\" " + arguments;
    PROCESS_INFORMATION process = {};
    if (out && err &&
        CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                       nullptr, nullptr, &startup, &process)) {
        UniqueKernelHandle thread(process.hThread), child(process.hProcess);
        WaitForSingleObject(child.get(), 120000);
        GetExitCodeProcess(child.get(), &outcome.exitCode);
    }
    out.reset();
    err.reset();
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

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Field(const std::string& line, std::size_t index, char separator) {
    std::vector<std::string> fields = SplitText(line, std::string(1, separator), EmptyFields::Keep);
    return index < fields.size() ? fields[index] : std::string();
}

std::string BuildFolder() {
    return FolderOfPath(ModuleFolder(nullptr));
}

std::string ShippedLanguageFile() {
    return BuildFolder() + "\\ZazaDaziveveVivozed.language";
}

LanguageFileScope::LanguageFileScope(const std::string& path)
    : m_path(path), m_previous(Language().File()) {
    Language().SetFile(path);
}

LanguageFileScope::LanguageFileScope(const std::vector<std::string>& lines)
    : m_previous(Language().File()) {
    static int scopes = 0;
    m_folder = std::make_unique<ScratchFolder>("language" + std::to_string(++scopes) + "-");
    m_path = m_folder->path() + "\\test.language";
    EXPECT_TRUE(WriteWholeFile(m_path, CrLfText("[String]\r\n", lines)));
    Language().SetFile(m_path);
}

LanguageFileScope::~LanguageFileScope() {
    Language().SetFile(m_previous);
}
