#include "TestSupport.h"

#include <gtest/gtest.h>

#include "common/Text.h"
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
std::wstring CrLfText(std::wstring text, const std::vector<std::wstring>& lines) {
    for (const std::wstring& line : lines)
        text += line + L"\r\n";
    return text;
}

void RemoveFolderTree(const std::wstring& path) {
    const std::wstring from = path + std::wstring(2, L'\0');  // a list of one
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&operation);
}

void DescribeKey(HKEY root, const std::wstring& path, const std::wstring& relative,
                 std::wstring& out) {
    UniqueRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        out += L"unreadable " + relative + L"\n";
        return;
    }
    out += L"key " + relative + L"\n";
    std::vector<wchar_t> name(32768);
    std::vector<BYTE> data(1 << 20);
    DWORD nameLength = 32768, dataLength = 1 << 20, type = 0;
    for (DWORD i = 0; RegEnumValueW(key.get(), i, name.data(), &nameLength, nullptr, &type,
                                    data.data(), &dataLength) == ERROR_SUCCESS;
         ++i, nameLength = 32768, dataLength = 1 << 20) {
        out += L"  value \"" + std::wstring(name.data(), nameLength) + L"\" type " +
               std::to_wstring(type) + L" bytes";
        for (DWORD b = 0; b < dataLength; ++b) {
            wchar_t hex[4];
            std::swprintf(hex, 4, L" %02x", data[b]);
            out += hex;
        }
        out += L"\n";
    }
    for (DWORD i = 0;
         nameLength = 32768, RegEnumKeyExW(key.get(), i, name.data(), &nameLength, nullptr, nullptr,
                                           nullptr, nullptr) == ERROR_SUCCESS;
         ++i) {
        const std::wstring child(name.data(), nameLength);
        DescribeKey(root, path + L"\\" + child, relative == L"." ? child : relative + L"\\" + child,
                    out);
    }
}

HANDLE InheritableFile(const std::wstring& path, DWORD access = GENERIC_WRITE) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ, &inherit, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ScratchKey::ScratchKey(const std::wstring& name) {
    m_path = L"Software\\ZdvTests\\" + name + std::to_wstring(GetCurrentProcessId());
    RemoveTree(HKEY_CURRENT_USER, m_path);
    PlantKey(HKEY_CURRENT_USER, m_path);
    // The shared parent keeps a value for good: an empty Software sub key is what
    // the cleaner's empty-key step reports, and a parent that comes and goes with
    // other test processes' scratch keys would make those rows come and go too.
    PlantString(HKEY_CURRENT_USER, L"Software\\ZdvTests", L"Purpose", L"test scratch keys");
}

ScratchKey::~ScratchKey() {
    RemoveTree(HKEY_CURRENT_USER, m_path);
}

bool PlantKey(HKEY root, const std::wstring& path) {
    UniqueRegKey key;
    return RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                           nullptr) == ERROR_SUCCESS;
}

bool PlantValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type,
                const std::string& data) {
    // The registry counts a NUL that follows a string's data as its terminator
    // (Windows does so, and Wine): what follows here is none.
    const std::string buffer = data + "\xff\xff";
    return RegSetKeyValueW(root, path.c_str(), name.c_str(), type, buffer.data(),
                           static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

std::string Utf16Bytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

std::string Ansi(const std::wstring& text) {
    std::string ansi;
    EXPECT_TRUE(AnsiFromWideExactly(text, ansi)) << "not in the code page: " << text;
    return ansi;
}

bool PlantString(HKEY root, const std::wstring& path, const std::wstring& name,
                 const std::wstring& text, DWORD type) {
    return PlantValue(root, path, name, type, Utf16Bytes(text + L'\0'));
}

bool PlantDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value) {
    return PlantValue(root, path, name, REG_DWORD,
                      std::string(reinterpret_cast<const char*>(&value), sizeof(value)));
}

bool RemoveTree(HKEY root, const std::wstring& path) {
    return RegDeleteTreeW(root, path.c_str()) == ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::wstring& path) {
    UniqueRegKey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const std::wstring& path, const std::wstring& name) {
    return RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, nullptr,
                        nullptr, nullptr) == ERROR_SUCCESS;
}

PlantedKey::PlantedKey(HKEY root, std::wstring path)
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
            RegDeleteKeyValueW(m_root, m_path.c_str(), saved->name.c_str());
        }
    }
}

void PlantedKey::Value(const std::wstring& name, DWORD type, const std::string& data) {
    Saved saved = {name, false, REG_NONE, std::string(1 << 16, '\0')};
    DWORD size = static_cast<DWORD>(saved.data.size());
    saved.existed = RegGetValueW(m_root, m_path.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                                 &saved.type, &saved.data[0], &size) == ERROR_SUCCESS;
    saved.data.resize(saved.existed ? size : 0);
    m_saved.push_back(saved);
    EXPECT_TRUE(PlantValue(m_root, m_path, name, type, data)) << m_path << ":" << name;
}

void PlantedKey::String(const std::wstring& name, const std::wstring& text, DWORD type) {
    Value(name, type, Utf16Bytes(text + L'\0'));
}

void PlantedKey::Dword(const std::wstring& name, DWORD value) {
    Value(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof(value)));
}

std::wstring DescribeTree(HKEY root, const std::wstring& path) {
    std::wstring out;
    DescribeKey(root, path, L".", out);
    return out;
}

std::wstring RowText(int image, const std::wstring& root, const std::wstring& key,
                     const std::wstring& value, const std::wstring& data, int type) {
    return std::to_wstring(image) + L"|" + root + L"|" + key + L"|" + value + L"|" + data + L"|" +
           std::to_wstring(type);
}

void RecordingSink::AddRow(const RegistryItem& item) {
    rows.push_back(
        RowText(item.image, item.rootKey, item.keyPath, item.valueName, item.dataText, item.type));
    items.push_back(item);
    if (stop && rows.size() == stopAfterRows)
        stop->store(true);
}

std::string RegText(const std::vector<std::wstring>& lines) {
    return Ansi(CrLfText(L"REGEDIT4\r\n", lines));
}

std::string UnicodeRegText(const std::vector<std::wstring>& lines) {
    return "\xff\xfe" + Utf16Bytes(CrLfText(L"Windows Registry Editor Version 5.00\r\n", lines));
}

ScratchFolder::ScratchFolder(const std::wstring& name) {
    m_path = L"C:\\zdvtest\\" + name + std::to_wstring(GetCurrentProcessId());
    RemoveFolderTree(m_path);
    SHCreateDirectoryExW(nullptr, m_path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    RemoveFolderTree(m_path);
}

std::wstring ScratchFolder::MakeFile(const std::wstring& relative,
                                     const std::string& content) const {
    std::wstring full = m_path + L"\\" + relative;
    SHCreateDirectoryExW(nullptr, full.substr(0, full.rfind(L'\\')).c_str(), nullptr);
    WriteWholeFile(full, content);
    return full;
}

std::wstring ScratchFolder::MakeFolder(const std::wstring& relative) const {
    std::wstring full = m_path + L"\\" + relative;
    SHCreateDirectoryExW(nullptr, full.c_str(), nullptr);
    return full;
}

ZdvOutcome RunZdv(const std::wstring& arguments, std::wstring exe, ZdvOutput output) {
    if (exe.empty())
        exe = BuildFolder() + L"\\zdv.exe";
    // Fresh names per run: a child's console host may hold the last files a moment longer.
    static ScratchFolder folder(L"zdvout");
    static int runs = 0;
    const std::wstring run = std::to_wstring(++runs);
    const std::wstring outPath = folder.path() + L"\\out" + run + L".txt";
    const std::wstring errPath = folder.path() + L"\\err" + run + L".txt";
    ZdvOutcome outcome;
    UniqueFileHandle out(
        InheritableFile(outPath, output == ZdvOutput::Unwritable ? GENERIC_READ : GENERIC_WRITE));
    UniqueFileHandle err(InheritableFile(errPath));
    UniqueKernelHandle pipeRead, pipeWrite;
    if (output == ZdvOutput::Pipe) {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        CreatePipe(pipeRead.put(), pipeWrite.put(), &inherit, 0);
        SetHandleInformation(pipeRead.get(), HANDLE_FLAG_INHERIT, 0);
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output == ZdvOutput::Pipe ? pipeWrite.get() : out.get();
    startup.hStdError = err.get();
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    PROCESS_INFORMATION process = {};
    // A failed start is said in the outcome, never taken for zdv's answer.
    std::wstring failure;
    if (!out || !err) {
        failure = L"cannot open " + (out ? errPath : outPath);
    } else if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                               CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
        const DWORD error = GetLastError();
        failure = L"cannot start " + exe + L" (error " + std::to_wstring(error) + L")";
    } else {
        UniqueKernelHandle thread(process.hThread), child(process.hProcess);
        // The pipe is read while the child writes, up to its end.
        pipeWrite.reset();
        char buffer[4096];
        DWORD read = 0;
        while (pipeRead && ReadFile(pipeRead.get(), buffer, sizeof(buffer), &read, nullptr) && read)
            outcome.outBytes.append(buffer, read);
        WaitForSingleObject(child.get(), 120000);
        GetExitCodeProcess(child.get(), &outcome.exitCode);
    }
    out.reset();
    err.reset();
    if (output != ZdvOutput::Pipe)
        outcome.outBytes = ReadWholeFile(outPath);
    outcome.out = WideFromUtf8(outcome.outBytes);
    outcome.err = failure.empty() ? WideFromUtf8(ReadWholeFile(errPath)) : failure;
    return outcome;
}

std::vector<std::wstring> Lines(const std::wstring& text, const std::wstring& containing) {
    std::vector<std::wstring> lines;
    std::wistringstream in(text);
    for (std::wstring line; std::getline(in, line);) {
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        if (line.find(containing) != std::wstring::npos)
            lines.push_back(line);
    }
    return lines;
}

std::string ReadWholeFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool WriteWholeFile(const std::wstring& path, const std::string& content) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out);
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Field(const std::wstring& line, std::size_t index, wchar_t separator) {
    std::vector<std::wstring> fields =
        SplitText(line, std::wstring(1, separator), EmptyFields::Keep);
    return index < fields.size() ? fields[index] : std::wstring();
}

std::wstring BuildFolder() {
    return FolderOfPath(ModuleFolder(nullptr));
}

std::wstring ShippedLanguageFile() {
    return BuildFolder() + L"\\ZazaDaziveveVivozed.language";
}

LanguageFileScope::LanguageFileScope(const std::wstring& path)
    : m_path(path), m_previous(Language().File()) {
    Language().SetFile(path);
}

LanguageFileScope::LanguageFileScope(const std::vector<std::wstring>& lines)
    : m_previous(Language().File()) {
    static int scopes = 0;
    m_folder = std::make_unique<ScratchFolder>(L"language" + std::to_wstring(++scopes) + L"-");
    m_path = m_folder->path() + L"\\test.language";
    EXPECT_TRUE(WriteWholeFile(m_path, "\xff\xfe" + Utf16Bytes(CrLfText(L"[String]\r\n", lines))));
    Language().SetFile(m_path);
}

LanguageFileScope::~LanguageFileScope() {
    Language().SetFile(m_previous);
}
