#pragma once
// Planting registry keys and files in the test prefix, and taking them away again;
// recording what the engines report; running zdv.exe.

#include <windows.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "registry/Registry.h"
#include "registry/RowSink.h"

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
    explicit ScratchKey(const std::string& name = "Scratch");
    ~ScratchKey();

    HKEY root() const { return HKEY_CURRENT_USER; }
    // Sub key path relative to HKEY_CURRENT_USER.
    const std::string& path() const { return m_path; }
    std::string Sub(const std::string& relative) const { return m_path + "\\" + relative; }

  private:
    std::string m_path;
};

// Creates the key (and its parents) and the value; false on failure. data holds
// the value's bytes exactly.
bool PlantKey(HKEY root, const std::string& path);
bool PlantValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                const std::string& data);
bool PlantString(HKEY root, const std::string& path, const std::string& name,
                 const std::string& text, DWORD type = REG_SZ);
bool PlantDword(HKEY root, const std::string& path, const std::string& name, DWORD value);
bool RemoveTree(HKEY root, const std::string& path);
bool KeyExists(HKEY root, const std::string& path);
bool ValueExists(HKEY root, const std::string& path, const std::string& name);

// Values planted in a key that may be there already, as the fixed locations the
// cleaner reads are: each value is put back as it was when the object goes, and
// a key the object made is removed with everything below it.
class PlantedKey : NoCopy {
  public:
    PlantedKey(HKEY root, std::string path);
    // The key with one string value planted.
    PlantedKey(HKEY root, std::string path, const std::string& name, const std::string& text)
        : PlantedKey(root, std::move(path)) {
        String(name, text);
    }
    ~PlantedKey();

    void Value(const std::string& name, DWORD type, const std::string& data);
    void String(const std::string& name, const std::string& text, DWORD type = REG_SZ);
    void Dword(const std::string& name, DWORD value);
    const std::string& path() const { return m_path; }

  private:
    struct Saved {
        std::string name;
        bool existed;
        DWORD type;
        std::string data;
    };
    HKEY m_root;
    std::string m_path;
    bool m_existed;
    std::vector<Saved> m_saved;
};

// One line per key below path (relative, "." for path itself) and per value
// (name, type and every data byte in hex), in enumeration order: two trees
// with the same description hold the same keys and values.
std::string DescribeTree(HKEY root, const std::string& path);

// A row as "image|root|key|value|data|type".
std::string RowText(int image, const std::string& root, const std::string& key,
                    const std::string& value, const std::string& data, int type);

// Keeps the tasks begun and the rows given; with a stop flag, sets it once
// stopAfterRows rows have come.
class RecordingSink : public RowSink {
  public:
    void BeginTask(int task) override { tasks.push_back(task); }
    void AddRow(int image, const std::string& root, const std::string& key,
                const std::string& value, const std::string& data, int type) override;

    std::vector<int> tasks;
    std::vector<std::string> rows;
    StopFlag* stop = nullptr;
    std::size_t stopAfterRows = 0;
};

// The text of a .reg file: "REGEDIT4" and the given lines, each ending in CR LF.
std::string RegText(const std::vector<std::string>& lines);

// A file or folder made under C:\ of the prefix, removed when the object goes.
class ScratchFolder : NoCopy {
  public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();

    const std::string& path() const { return m_path; }
    // Makes a file (and the folders above it) at path()\relative; returns its full path.
    std::string MakeFile(const std::string& relative, const std::string& content = "x") const;
    std::string MakeFolder(const std::string& relative) const;
    // A path inside the folder that does not exist.
    std::string Missing(const std::string& relative) const { return m_path + "\\" + relative; }

  private:
    std::string m_path;
};

std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& content);
// A file or a folder.
bool FileExists(const std::string& path);

// What a run of zdv.exe gave back.
struct ZdvOutcome {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

// Where a run's standard output goes: a file, or a handle no write succeeds on.
enum class ZdvOutput { File, Unwritable };

// Runs zdv.exe (the one in the build folder unless exe names another copy)
// with standard output and error going to files, so neither can block it.
ZdvOutcome RunZdv(const std::string& arguments, std::string exe = std::string(),
                  ZdvOutput output = ZdvOutput::File);

// The lines of text (without line ends) that contain the given text.
std::vector<std::string> Lines(const std::string& text, const std::string& containing = "");
// Field index (from 0) of a line whose fields are separated by separator.
std::string Field(const std::string& line, std::size_t index, char separator = '\t');

// The build folder: the test programs sit one folder below it.
std::string BuildFolder();
// The language file the build puts beside the program.
std::string ShippedLanguageFile();

// Points the language table at a file for as long as the object lives: the
// given one, or one of the test's own holding the given key=text lines.
class LanguageFileScope : NoCopy {
  public:
    explicit LanguageFileScope(const std::string& path);
    explicit LanguageFileScope(const std::vector<std::string>& lines);
    ~LanguageFileScope();

    const std::string& path() const { return m_path; }

  private:
    std::unique_ptr<ScratchFolder> m_folder;
    std::string m_path;
    std::string m_previous;
};
