#pragma once
// The one layer through which the program reads the registry: the root key
// table, key path text, found entries, value display text and the walker.

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "common/UniqueHandle.h"

// type of a RegistryItem that stands for a whole key.
constexpr int KeyRowMarker = -1;

struct RegistryItem {
    std::string rootKey;  // name from the root key table
    std::string keyPath;  // sub key path, relative to the root
    std::string valueName;
    std::string dataText;
    int type = KeyRowMarker;

    bool IsKey() const { return type == KeyRowMarker; }
};

// The seven root keys in table order.
struct RootKeyEntry {
    const char* name;
    HKEY handle;
};
const RootKeyEntry* RootKeyTable(std::size_t* count);

std::string RootKeyName(HKEY root);
HKEY RootKeyFromName(const std::string& name);

struct SplitPath {
    bool ok = false;
    HKEY root = nullptr;
    std::string subKey;
};
SplitPath SplitKeyPath(const std::string& fullPath);

std::string FormatValueData(DWORD type, const BYTE* data, DWORD length);

// Opens a key for reading; an empty path opens the root itself.
UniqueRegKey OpenKeyForReading(HKEY root, const std::string& path);

std::string ReadStringValue(HKEY root, const std::string& path, const std::string& name);

// One call shape for the walk's value and key visitors and for EnumSubKeys.
using RegistryVisitor = void (*)(HKEY root, const char* path, const char* name, DWORD nameLength,
                                 DWORD type, const BYTE* data, DWORD dataLength, void* context);

using StopFlag = std::atomic<bool>;

inline bool StopRequested(const StopFlag* stop) {
    return stop != nullptr && stop->load(std::memory_order_relaxed);
}

// Calls visitor once per direct sub key, with the parent's path and the sub
// key's name. Stops early once stop is set.
void EnumSubKeys(HKEY root, const std::string& path, RegistryVisitor visitor, void* context,
                 const StopFlag* stop = nullptr);

struct WalkOptions {
    const StopFlag* stop = nullptr;  // tested before every key and value
    bool includeRegNone = false;     // pass REG_NONE values whatever the type mask says
};

// Depth-first pre-order walk: a key's key visitor, its values, then each child
// subtree. Keys whose path contains an exclusion (case-insensitive) are skipped
// with their subtree; values pass when (type & typeMask) != 0.
void WalkKey(HKEY root, const std::string& path, bool recurse, RegistryVisitor valueVisitor,
             void* valueContext, RegistryVisitor keyVisitor, void* keyContext, DWORD typeMask,
             const std::vector<std::string>& exclusions, const WalkOptions& options = {});
