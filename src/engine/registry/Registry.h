#pragma once
// The one layer through which the program reads the registry: the root key
// table, key path text, found entries, value display text, opening keys,
// reading values and the walker.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/FunctionRef.h"
#include "common/UniqueHandle.h"

// type of a RegistryItem that stands for a whole key.
constexpr int KeyRowMarker = -1;

// Why the cleaner lists an entry. Stored in settings and rows by number:
// new reasons go at the end.
enum class Problem : std::uint8_t {
    None,  // a search row
    FileNotFound,
    ClassServerNotFound,
    OpenCommandNotFound,
    EmptyKey,
    UninstallWithoutValues,
    UninstallProgramNotFound,
    MenuOrderFolderGone,
    HistoryEntry,
    SharedLibraryMissing,
    EmptyLocale,
    TimeZoneNotInUse,
    StartupWithoutFullPath,
};
constexpr int kProblemCount = 13;

// One found entry, a whole key or one value, as the engines report it and the
// lists and zdv show it.
struct RegistryItem {
    std::wstring rootKey;  // name from the root key table
    std::wstring keyPath;  // sub key path, relative to the root
    std::wstring valueName;
    std::wstring dataText;  // display text, never written back to the registry
    int type = KeyRowMarker;
    int image = 0;  // the row's picture in its list
    // A cleaner row's reason, with the path or name that decided it, and for
    // a value the digest of its type and data bytes when it was judged.
    Problem problem = Problem::None;
    std::wstring problemArgument = {};
    std::uint64_t digest = 0;

    bool IsKey() const { return type == KeyRowMarker; }
};

// The seven root keys in table order.
struct RootKeyEntry {
    const wchar_t* name;
    HKEY handle;
};
const RootKeyEntry* RootKeyTable(std::size_t* count);

std::wstring RootKeyName(HKEY root);
HKEY RootKeyFromName(std::wstring_view name);

struct SplitPath {
    bool ok = false;
    HKEY root = nullptr;
    std::wstring subKey;
};
SplitPath SplitKeyPath(std::wstring_view fullPath);

// The display text of value data: the lists, the search and zdv show this.
std::wstring FormatValueData(DWORD type, const BYTE* data, DWORD length);
// A digest of a value's type and data bytes (64-bit FNV-1a): a changed value
// is told from the one that was judged.
std::uint64_t ValueDigest(DWORD type, const BYTE* data, std::size_t length);

// A key opened below parent (a root or an open key), or the error that kept
// it closed. An empty path opens parent itself.
struct OpenedKey {
    UniqueRegKey key;
    LONG error = ERROR_SUCCESS;

    explicit operator bool() const { return static_cast<bool>(key); }
    HKEY get() const { return key.get(); }
};
OpenedKey OpenKey(HKEY parent, const wchar_t* path, REGSAM access = KEY_READ);
inline OpenedKey OpenKey(HKEY parent, const std::wstring& path, REGSAM access = KEY_READ) {
    return OpenKey(parent, path.c_str(), access);
}
// True when the key is a symbolic link to another key.
bool IsLinkKey(HKEY parent, const std::wstring& path);

// A value's type and its whole data, read in a buffer that grows as needed.
struct ValueData {
    LONG error = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;

    explicit operator bool() const { return error == ERROR_SUCCESS; }
};
ValueData ReadValue(HKEY key, const std::wstring& name);

// The text of a value up to its first NUL; empty when the key or the value
// is missing or the value holds no string.
std::wstring ReadStringValue(HKEY key, const std::wstring& name);
std::wstring ReadStringValue(HKEY root, const std::wstring& path, const std::wstring& name);

// The numbers of sub keys and values a key holds; false when it cannot tell.
bool CountEntries(HKEY key, DWORD& subKeys, DWORD& values);

using StopFlag = std::atomic<bool>;

inline bool StopRequested(const StopFlag* stop) {
    return stop != nullptr && stop->load(std::memory_order_relaxed);
}

// A direct sub key, as EnumSubKeys finds it.
struct SubKey {
    HKEY root;
    const std::wstring& parentPath;
    std::wstring_view name;

    std::wstring Path() const;  // parent path, backslash, name
};
using SubKeyVisitor = FunctionRef<void(const SubKey&)>;

// Calls visitor once per direct sub key of the key (blanks and backslashes
// around path are ignored), in the registry's order. Stops early once stop is set.
void EnumSubKeys(HKEY root, const std::wstring& path, SubKeyVisitor visitor,
                 const StopFlag* stop = nullptr);

// Type masks of the walk. The mask is tested against the type number,
// (type & mask) != 0, not one bit per type.
constexpr DWORD kOddNumberedTypes = 1;   // REG_SZ, REG_BINARY, REG_MULTI_SZ, ...
constexpr DWORD kAllTypes = 0xFFFFFFFF;  // every type but REG_NONE, which no bit selects

struct WalkOptions {
    std::wstring path;                     // start key; outer backslashes are ignored
    bool recurse = true;                   // false: the start key's own values only
    std::vector<std::wstring> exclusions;  // see WalkKey
    DWORD typeMask = kAllTypes;
    bool includeRegNone = false;     // pass REG_NONE values whatever the type mask says
    const StopFlag* stop = nullptr;  // tested before every key and value

    // The whole tree below path, or only the values of the key at path.
    static WalkOptions Tree(std::wstring path, DWORD typeMask = kAllTypes,
                            std::vector<std::wstring> exclusions = {});
    static WalkOptions OwnValues(std::wstring path, DWORD typeMask = kAllTypes);
};

// A key the walk has opened, before any of its values. The counts are what the
// walk measured the key to hold (values of every type, REG_NONE too), so that
// a visitor can tell whether everything of the key reached it; counted is
// false when the key could not be measured.
struct WalkedKey {
    HKEY root;
    const std::wstring& path;
    bool counted = false;
    DWORD subKeyCount = 0;
    DWORD valueCount = 0;
};

// A value the walk has read whole; data is followed by two NUL bytes that
// dataLength does not count, so no text read from it runs past the data.
struct WalkedValue {
    HKEY root;
    const std::wstring& keyPath;
    std::wstring_view name;
    DWORD type;
    const BYTE* data;
    DWORD dataLength;
};

using KeyVisitor = FunctionRef<void(const WalkedKey&)>;
using ValueVisitor = FunctionRef<void(const WalkedValue&)>;

// Depth-first pre-order walk: a key's key visitor, its values, then each child
// subtree. Keys whose path contains an exclusion (without regard to case) are
// skipped with their subtree; values pass when (type & typeMask) != 0. Either
// visitor may be empty.
void WalkKey(HKEY root, const WalkOptions& options, ValueVisitor valueVisitor,
             KeyVisitor keyVisitor = {});
