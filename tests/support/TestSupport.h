#pragma once
// Planting registry keys and files in the test prefix, and taking them away again;
// recording what the engines report; running zdv.exe.

#include <windows.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "registry/Registry.h"
#include "work/RowSink.h"

// The base of the objects below, each of which owns what it made.
struct NoCopy {
    NoCopy() = default;
    NoCopy(const NoCopy&) = delete;
    NoCopy& operator=(const NoCopy&) = delete;
};

// A key under HKEY_CURRENT_USER\Software\ZdvTests unique to this process, deleted
// with everything below it when the object goes.
class ScratchKey : NoCopy {
  public:
    explicit ScratchKey(const std::wstring& name = L"Scratch");
    ~ScratchKey();

    HKEY root() const { return HKEY_CURRENT_USER; }
    // Sub key path relative to HKEY_CURRENT_USER.
    const std::wstring& path() const { return m_path; }
    std::wstring Sub(const std::wstring& relative) const { return m_path + L"\\" + relative; }

  private:
    std::wstring m_path;
};

// Creates the key (and its parents) and the value; false on failure. data holds
// the value's bytes exactly; a string is planted as UTF-16 with its terminator.
bool PlantKey(HKEY root, const std::wstring& path);
bool PlantValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type,
                const std::string& data);
bool PlantString(HKEY root, const std::wstring& path, const std::wstring& name,
                 const std::wstring& text, DWORD type = REG_SZ);
bool PlantDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value);
bool RemoveTree(HKEY root, const std::wstring& path);
bool KeyExists(HKEY root, const std::wstring& path);
bool ValueExists(HKEY root, const std::wstring& path, const std::wstring& name);

// Values planted in a key that may be there already, as the fixed locations the
// cleaner reads are: each value is put back as it was when the object goes, and
// a key the object made is removed with everything below it.
class PlantedKey : NoCopy {
  public:
    PlantedKey(HKEY root, std::wstring path);
    // The key with one string value planted.
    PlantedKey(HKEY root, std::wstring path, const std::wstring& name, const std::wstring& text)
        : PlantedKey(root, std::move(path)) {
        String(name, text);
    }
    ~PlantedKey();

    void Value(const std::wstring& name, DWORD type, const std::string& data);
    void String(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ);
    void Dword(const std::wstring& name, DWORD value);
    const std::wstring& path() const { return m_path; }

  private:
    struct Saved {
        std::wstring name;
        bool existed;
        DWORD type;
        std::string data;
    };
    HKEY m_root;
    std::wstring m_path;
    bool m_existed;
    std::vector<Saved> m_saved;
};

// The registry's bytes of a text: UTF-16LE without a terminator.
std::string Utf16Bytes(const std::wstring& text);
// The text in the ANSI code page (a REGEDIT4 file's bytes); the test fails
// when it does not fit.
std::string Ansi(const std::wstring& text);

// One line per key below path (relative, "." for path itself) and per value
// (name, type and every data byte in hex), in enumeration order: two trees
// with the same description hold the same keys and values.
std::wstring DescribeTree(HKEY root, const std::wstring& path);

// A row as "image|root|key|value|data|type".
std::wstring RowText(int image, const std::wstring& root, const std::wstring& key,
                     const std::wstring& value, const std::wstring& data, int type);

// Keeps the tasks begun and the rows given; with a stop flag, sets it once
// stopAfterRows rows have come.
class RecordingSink : public RowSink {
  public:
    void BeginTask(int task) override { tasks.push_back(task); }
    void AddRow(const RegistryItem& item) override;

    std::vector<int> tasks;
    std::vector<std::wstring> rows;
    std::vector<RegistryItem> items;
    StopFlag* stop = nullptr;
    std::size_t stopAfterRows = 0;
};

// The bytes of a REGEDIT4 file: "REGEDIT4" and the given lines, each ending in
// CR LF, in the ANSI code page.
std::string RegText(const std::vector<std::wstring>& lines);
// The bytes of a Unicode .reg file: its byte-order mark, its header and the
// given lines, each ending in CR LF, in UTF-16LE.
std::string UnicodeRegText(const std::vector<std::wstring>& lines);

// A file or folder made under C:\ of the prefix, removed when the object goes.
class ScratchFolder : NoCopy {
  public:
    explicit ScratchFolder(const std::wstring& name);
    ~ScratchFolder();

    const std::wstring& path() const { return m_path; }
    // Makes a file (and the folders above it) at path()\relative; returns its full path.
    std::wstring MakeFile(const std::wstring& relative, const std::string& content = "x") const;
    std::wstring MakeFolder(const std::wstring& relative) const;
    // A path inside the folder that does not exist.
    std::wstring Missing(const std::wstring& relative) const { return m_path + L"\\" + relative; }

  private:
    std::wstring m_path;
};

std::string ReadWholeFile(const std::wstring& path);
bool WriteWholeFile(const std::wstring& path, const std::string& content);
// A file or a folder.
bool FileExists(const std::wstring& path);

// What a run of zdv.exe gave back: its output as text (read as UTF-8) and
// as the bytes it wrote.
struct ZdvOutcome {
    DWORD exitCode = 0xFFFFFFFF;
    std::wstring out;
    std::wstring err;
    std::string outBytes;
};

// Where a run's standard output goes: a file, a pipe, or a handle no write
// succeeds on.
enum class ZdvOutput { File, Pipe, Unwritable };

// Runs zdv.exe (the one in the build folder unless exe names another copy)
// with standard output and error going to files, so neither can block it.
ZdvOutcome RunZdv(const std::wstring& arguments, std::wstring exe = std::wstring(),
                  ZdvOutput output = ZdvOutput::File);

// The lines of text (without line ends) that contain the given text.
std::vector<std::wstring> Lines(const std::wstring& text, const std::wstring& containing = L"");
// Field index (from 0) of a line whose fields are separated by separator.
std::wstring Field(const std::wstring& line, std::size_t index, wchar_t separator = L'\t');

// The build folder: the test programs sit one folder below it.
std::wstring BuildFolder();
// The language file the build puts beside the program.
std::wstring ShippedLanguageFile();

// Points the language table at a file for as long as the object lives: the
// given one, or one of the test's own (UTF-16, so any script fits) holding the
// given key=text lines.
class LanguageFileScope : NoCopy {
  public:
    explicit LanguageFileScope(const std::wstring& path);
    explicit LanguageFileScope(const std::vector<std::wstring>& lines);
    ~LanguageFileScope();

    const std::wstring& path() const { return m_path; }

  private:
    std::unique_ptr<ScratchFolder> m_folder;
    std::wstring m_path;
    std::wstring m_previous;
};
