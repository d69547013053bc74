#pragma once
// Found entries written into a .reg file: single values, or whole key trees
// with every key and value below them.

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "work/ProgressSink.h"
#include "registry/Registry.h"
#include "results/RegFile.h"

enum class ExportResult {
    Written,      // the entry is in the file
    Missing,      // the key or value does not exist
    Unreadable,   // it exists but could not be read (whole), so it is not in the file
    InvalidPath,  // the key path names no key below a root
};

// Writes one value of the key (root long name, backslash, sub key path); an
// empty name is the default value.
ExportResult ExportValue(const std::wstring& keyPath, const std::wstring& valueName,
                         RegFileWriter& out);

// Writes every value of the key and, when recursive, of all its sub keys,
// REG_NONE included, and a bare key line for every key that holds no value,
// so that importing the file recreates the whole tree. Unreadable when any
// key or value of the tree could not be read. progress, when given, hears of
// every key walked.
ExportResult ExportKeyTree(const std::wstring& keyPath, RegFileWriter& out, bool recursive = true,
                           ProgressSink* progress = nullptr);

// The key path of a found entry as the file writes it.
std::wstring ItemKeyPath(const RegistryItem& item);

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
FileExportResult ExportItemsToFile(const std::wstring& path, const std::vector<RegistryItem>& items,
                                   ProgressSink* progress,
                                   std::vector<ExportResult>* results = nullptr);
