#pragma once
// Planting registry keys and files in the test prefix, and taking them away again.

#include <windows.h>

#include <string>
#include <vector>

// A key under HKEY_CURRENT_USER\Software\ZdvTests unique to this process, deleted
// with everything below it when the object goes.
class ScratchKey {
  public:
    explicit ScratchKey(const std::string& name = "Scratch");
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    HKEY root() const { return HKEY_CURRENT_USER; }
    // Sub key path relative to HKEY_CURRENT_USER.
    const std::string& path() const { return m_path; }
    std::string Sub(const std::string& relative) const { return m_path + "\\" + relative; }

  private:
    std::string m_path;
};

// Creates the key (and its parents); returns false on failure.
bool PlantKey(HKEY root, const std::string& path);
bool PlantValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                const void* data, DWORD size);
bool PlantString(HKEY root, const std::string& path, const std::string& name,
                 const std::string& text, DWORD type = REG_SZ);
bool PlantDword(HKEY root, const std::string& path, const std::string& name, DWORD value);
bool RemoveTree(HKEY root, const std::string& path);
bool RemoveValue(HKEY root, const std::string& path, const std::string& name);
bool KeyExists(HKEY root, const std::string& path);

// One line per key below path (relative, "." for path itself) and per value
// (name, type and every data byte in hex), in enumeration order: two trees
// with the same description hold the same keys and values.
std::string DescribeTree(HKEY root, const std::string& path);

// A file or folder made under C:\ of the prefix, removed when the object goes.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return m_path; }
    // Makes a file (and the folders above it) at path()\relative; returns its full path.
    std::string MakeFile(const std::string& relative, const std::string& content = "x") const;
    std::string MakeFolder(const std::string& relative) const;
    // A path inside the folder that does not exist.
    std::string Missing(const std::string& relative) const { return m_path + "\\" + relative; }

  private:
    std::string m_path;
};

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

std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& content);

// Points the language table at a file for as long as the object lives.
class LanguageFileScope {
  public:
    explicit LanguageFileScope(const std::string& path);
    ~LanguageFileScope();
    LanguageFileScope(const LanguageFileScope&) = delete;
    LanguageFileScope& operator=(const LanguageFileScope&) = delete;

  private:
    std::string m_previous;
};

// Writes a language file ([String] section, CRLF) with the given key=text lines.
bool WriteLanguageFile(const std::string& path, const std::vector<std::string>& lines);
