#pragma once
// The one layer through which the program reads the registry: the root key
// table, key path text, found entries, value display text and the walker.

#include <windows.h>

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "common/FunctionRef.h"
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

// Opens a key below parent (a root or an open key) for reading; an empty path
// opens parent itself.
UniqueRegKey OpenKeyForReading(HKEY parent, const char* path);
inline UniqueRegKey OpenKeyForReading(HKEY parent, const std::string& path) {
    return OpenKeyForReading(parent, path.c_str());
}

std::string ReadStringValue(HKEY root, const std::string& path, const std::string& name);

using StopFlag = std::atomic<bool>;

inline bool StopRequested(const StopFlag* stop) {
    return stop != nullptr && stop->load(std::memory_order_relaxed);
}

// A direct sub key, as EnumSubKeys finds it.
struct SubKey {
    HKEY root;
    const std::string& parentPath;
    std::string_view name;

    std::string Path() const;  // parent path, backslash, name
};
using SubKeyVisitor = FunctionRef<void(const SubKey&)>;

// Calls visitor once per direct sub key of the key (blanks and backslashes
// around path are ignored), in the registry's order. Stops early once stop is set.
void EnumSubKeys(HKEY root, const std::string& path, SubKeyVisitor visitor,
                 const StopFlag* stop = nullptr);

// Type masks of the walk. The mask is tested against the type number,
// (type & mask) != 0, not one bit per type.
constexpr DWORD kOddNumberedTypes = 1;   // REG_SZ, REG_BINARY, REG_MULTI_SZ, ...
constexpr DWORD kAllTypes = 0xFFFFFFFF;  // every type but REG_NONE, which no bit selects

struct WalkOptions {
    std::string path;                     // start key; outer backslashes are ignored
    bool recurse = true;                  // false: the start key's own values only
    std::vector<std::string> exclusions;  // see WalkKey
    DWORD typeMask = kAllTypes;
    bool includeRegNone = false;     // pass REG_NONE values whatever the type mask says
    const StopFlag* stop = nullptr;  // tested before every key and value

    // The whole tree below path, or only the values of the key at path.
    static WalkOptions Tree(std::string path, DWORD typeMask = kAllTypes,
                            std::vector<std::string> exclusions = {});
    static WalkOptions OwnValues(std::string path, DWORD typeMask = kAllTypes);
};

// A key the walk has opened, before any of its values. The counts are what the
// walk measured the key to hold (values of every type, REG_NONE too), so that
// a visitor can tell whether everything of the key reached it; counted is
// false when the key could not be measured.
struct WalkedKey {
    HKEY root;
    const std::string& path;
    bool counted = false;
    DWORD subKeyCount = 0;
    DWORD valueCount = 0;
};

// A value the walk has read whole; data is followed by a NUL byte that
// dataLength does not count, so no text read from it runs past the data.
struct WalkedValue {
    HKEY root;
    const std::string& keyPath;
    std::string_view name;
    DWORD type;
    const BYTE* data;
    DWORD dataLength;
};

using KeyVisitor = FunctionRef<void(const WalkedKey&)>;
using ValueVisitor = FunctionRef<void(const WalkedValue&)>;

// Depth-first pre-order walk: a key's key visitor, its values, then each child
// subtree. Keys whose path contains an exclusion (case-insensitive) are skipped
// with their subtree; values pass when (type & typeMask) != 0. Either visitor
// may be empty.
void WalkKey(HKEY root, const WalkOptions& options, ValueVisitor valueVisitor,
             KeyVisitor keyVisitor = {});
