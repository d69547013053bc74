#pragma once
// Registry values as REGEDIT4 text, the form the registry editor imports with
// "regedit /s". Every value is written so that importing the file gives back
// the same type and the same bytes: the automatic backup before a deletion is
// the only way back for what the deletion removed.

#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "registry/ProgressSink.h"
#include "registry/Registry.h"

// One .reg file being written. Lines end in CR LF; the "REGEDIT4" header is
// written before the first line, so a file that receives no line stays empty.
class RegFileWriter {
  public:
    RegFileWriter() = default;
    ~RegFileWriter();
    RegFileWriter(const RegFileWriter&) = delete;
    RegFileWriter& operator=(const RegFileWriter&) = delete;

    // Creates the file, or truncates it when it exists.
    bool Open(const std::string& path);
    bool IsOpen() const { return m_file != nullptr; }
    // True when the file was open, every write succeeded and the file closed
    // cleanly: only then does it hold everything that was written to it.
    // Otherwise the file is removed, since a partial file would pose as the
    // whole export.
    bool Close();

    void WriteLine(const std::string& line);
    bool Failed() const { return m_failed; }
    bool Started() const { return m_started; }

  private:
    std::FILE* m_file = nullptr;
    std::string m_path;
    bool m_started = false;
    bool m_failed = false;
};

enum class ExportResult {
    Written,      // the entry is in the file
    Missing,      // the key or value does not exist
    Unreadable,   // it exists but could not be read (whole), so it is not in the file
    InvalidPath,  // the key path names no key below a root
};

// Writes one value of the key (root long name, backslash, sub key path); an
// empty name is the default value.
ExportResult ExportValue(const std::string& keyPath, const std::string& valueName,
                         RegFileWriter& out);

// Writes every value of the key and, when recursive, of all its sub keys,
// REG_NONE included, and a bare key line for every key that holds no value,
// so that importing the file recreates the whole tree. Unreadable when any
// key or value of the tree could not be read. progress, when given, hears of
// every key walked.
ExportResult ExportKeyTree(const std::string& keyPath, RegFileWriter& out, bool recursive = true,
                           ProgressSink* progress = nullptr);

// The key path of a found entry as the file writes it.
std::string ItemKeyPath(const RegistryItem& item);

// Writes each entry in order: a key entry (type KeyRowMarker) as its key tree,
// a value entry as its value. One result per entry.
std::vector<ExportResult> ExportItems(const std::vector<RegistryItem>& items, RegFileWriter& out,
                                      ProgressSink* progress);

enum class FileExportResult {
    Complete,      // every line reached the file
    CannotCreate,  // the file could not be created; nothing was written
    CannotWrite,   // a write failed; the partial file was removed again
};

// Writes the entries, as ExportItems does, into a new file beside path and
// puts it in place of path only once it is complete, so a failed export
// leaves a file that was there untouched; results, when given, receives one
// result per entry.
FileExportResult ExportItemsToFile(const std::string& path, const std::vector<RegistryItem>& items,
                                   ProgressSink* progress,
                                   std::vector<ExportResult>* results = nullptr);

// The value line ("name part=data part") for the data as the registry holds it.
// Returns false when no line of the form can give back this value (a name
// holding a line break).
bool MakeValueLine(std::string_view name, DWORD type, const BYTE* data, DWORD length,
                   std::string& line);
