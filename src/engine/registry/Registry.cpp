#include "registry/Registry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "common/Text.h"
#include "registry/EnumBuffers.h"

namespace {

const RootKeyEntry kRootKeys[] = {
    {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {L"HKEY_USERS", HKEY_USERS},
    {L"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA},
    {L"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    {L"HKEY_DYN_DATA", HKEY_DYN_DATA},
};

struct Walk {
    Walk(HKEY root, const WalkOptions& options, ValueVisitor valueVisitor, KeyVisitor keyVisitor)
        : root(root), options(options), valueVisitor(valueVisitor), keyVisitor(keyVisitor) {
        for (const std::wstring& exclusion : options.exclusions) {
            // An empty text would be found in every path; it excludes nothing.
            if (!exclusion.empty())
                loweredExclusions.push_back(LowerCopy(exclusion));
        }
        path = TrimChars(options.path, L"\\");
        if (!loweredExclusions.empty())
            loweredPath = LowerCopy(path);
    }

    HKEY root;
    const WalkOptions& options;
    ValueVisitor valueVisitor;
    KeyVisitor keyVisitor;
    std::vector<std::wstring> loweredExclusions;
    // One set for the whole walk: a key grows them when it needs more, and no
    // key allocates its own.
    EnumBuffers buffers{0, 0, 0};
    // The key being walked; each level appends its name and takes it off
    // again, so no path is copied per key. The lowered copy is kept only when
    // there are exclusions to test it against.
    std::wstring path;
    std::wstring loweredPath;
};

bool IsExcluded(const Walk& walk) {
    for (const std::wstring& exclusion : walk.loweredExclusions) {
        if (ContainsText(walk.loweredPath, exclusion))
            return true;
    }
    return false;
}

// The key at walk.path, opened as name below parent: the start key below the
// root, every other key below its parent's open handle, so the registry
// resolves one name per key rather than the whole path again at each depth.
void WalkLevel(Walk& walk, HKEY parent, const wchar_t* name) {
    if (StopRequested(walk.options.stop))
        return;
    if (IsExcluded(walk))
        return;

    OpenedKey key = OpenKey(parent, name);
    if (!key)
        return;

    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxValueName = 0, maxValueData = 0;
    bool counted =
        RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr,
                         &values, &maxValueName, &maxValueData, nullptr, nullptr) == ERROR_SUCCESS;
    if (!counted)
        subKeys = maxSubKey = values = maxValueName = maxValueData = 0;

    if (walk.keyVisitor)
        walk.keyVisitor(WalkedKey{walk.root, walk.path, counted, subKeys, values});

    EnumBuffers& buffers = walk.buffers;
    buffers.Fit(maxSubKey, maxValueName, maxValueData);
    // A measured key is read up to its counts: the call past the last entry
    // would only answer "no more items", and under Wine every call is a round
    // trip to the server.
    const DWORD valueEnd = counted ? values : MAXDWORD;
    const DWORD subKeyEnd = counted ? subKeys : MAXDWORD;

    for (DWORD index = 0; index < valueEnd; ++index) {
        if (StopRequested(walk.options.stop))
            return;
        const EnumRead read = buffers.ReadValue(key.get(), index);
        if (read == EnumRead::End)
            break;
        if (read == EnumRead::Skipped)
            continue;
        const DWORD type = buffers.Type();
        bool passes = (type & walk.options.typeMask) != 0 ||
                      (type == REG_NONE && walk.options.includeRegNone);
        if (walk.valueVisitor && passes) {
            walk.valueVisitor(WalkedValue{walk.root, walk.path, buffers.ValueName(), type,
                                          buffers.Data(), buffers.DataLength()});
        }
    }

    if (!walk.options.recurse)
        return;
    for (DWORD index = 0; index < subKeyEnd; ++index) {
        if (StopRequested(walk.options.stop))
            return;
        const EnumRead read = buffers.ReadSubKey(key.get(), index);
        if (read == EnumRead::End)
            break;
        if (read == EnumRead::Skipped)
            continue;
        const std::wstring_view child = buffers.SubKeyName();
        const std::size_t pathSize = walk.path.size();
        const std::size_t loweredSize = walk.loweredPath.size();
        if (!walk.path.empty())
            walk.path += L'\\';
        walk.path.append(child);
        if (!walk.loweredExclusions.empty())
            walk.loweredPath += LowerCopy(walk.path.substr(pathSize));
        // The child opens its key by the name in the buffer (which the call
        // ends with a NUL) before anything reuses the buffer.
        WalkLevel(walk, key.get(), buffers.subKeyName.data());
        walk.path.resize(pathSize);
        walk.loweredPath.resize(loweredSize);
    }
}

}  // namespace

const RootKeyEntry* RootKeyTable(std::size_t* count) {
    if (count)
        *count = sizeof(kRootKeys) / sizeof(kRootKeys[0]);
    return kRootKeys;
}

std::wstring RootKeyName(HKEY root) {
    for (const RootKeyEntry& entry : kRootKeys) {
        if (entry.handle == root)
            return entry.name;
    }
    return std::wstring();
}

HKEY RootKeyFromName(std::wstring_view name) {
    for (const RootKeyEntry& entry : kRootKeys) {
        if (EqualsIgnoringCase(name, entry.name))
            return entry.handle;
    }
    return nullptr;
}

SplitPath SplitKeyPath(std::wstring_view fullPath) {
    SplitPath result;
    const std::wstring text = TrimChars(fullPath, L"\\");
    const std::size_t slash = text.find(L'\\');
    if (text.empty() || slash == std::wstring::npos)
        return result;
    HKEY root = RootKeyFromName(std::wstring_view(text).substr(0, slash));
    if (root == nullptr)
        return result;
    result.ok = true;
    result.root = root;
    result.subKey = text.substr(slash + 1);
    return result;
}

bool IsLinkKey(HKEY parent, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, path.c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    DWORD type = REG_NONE;
    const bool link = RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr,
                                       nullptr) == ERROR_SUCCESS &&
                      type == REG_LINK;
    RegCloseKey(key);
    return link;
}

std::uint64_t ValueDigest(DWORD type, const BYTE* data, std::size_t length) {
    std::uint64_t digest = 14695981039346656037ull;
    auto add = [&digest](BYTE byte) {
        digest ^= byte;
        digest *= 1099511628211ull;
    };
    for (int shift = 0; shift < 32; shift += 8)
        add(static_cast<BYTE>(type >> shift));
    for (std::size_t i = 0; i < length; ++i)
        add(data[i]);
    return digest;
}

std::wstring FormatValueData(DWORD type, const BYTE* data, DWORD length) {
    if (data == nullptr)
        length = 0;
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
            return TextFromData(data, length);
        case REG_BINARY: {
            std::wstring text;
            DWORD shown = std::min<DWORD>(length, 20);
            wchar_t hex[4];
            for (DWORD i = 0; i < shown; ++i) {
                if (i > 0)
                    text += L' ';
                std::swprintf(hex, 4, L"%02x", data[i]);
                text += hex;
            }
            if (length > 20)
                text += L"...";
            return text;
        }
        case REG_DWORD: {
            // Shorter data has no number to show; longer data shows its first four bytes.
            if (length < 4)
                return std::wstring();
            DWORD value = 0;
            std::memcpy(&value, data, sizeof(value));
            wchar_t text[40];
            std::swprintf(text, 40, L"0x%08lx (%ld)", static_cast<unsigned long>(value),
                          static_cast<long>(static_cast<LONG>(value)));
            return text;
        }
        case REG_MULTI_SZ: {
            // The strings up to the empty one that ends the list, joined by blanks.
            std::wstring text;
            DWORD pos = 0;
            while (pos + 1 < length && (data[pos] != 0 || data[pos + 1] != 0)) {
                std::wstring part = TextFromData(data + pos, length - pos);
                if (!text.empty())
                    text += L' ';
                text += part;
                pos += static_cast<DWORD>((part.size() + 1) * sizeof(wchar_t));
            }
            return text;
        }
        default:
            return std::wstring();
    }
}

OpenedKey OpenKey(HKEY parent, const wchar_t* path, REGSAM access) {
    OpenedKey opened;
    opened.error = RegOpenKeyExW(parent, path, 0, access, opened.key.put());
    if (opened.error != ERROR_SUCCESS)
        opened.key.release();
    return opened;
}

ValueData ReadValue(HKEY key, const std::wstring& name) {
    ValueData value;
    DWORD length = 0;
    value.error = RegQueryValueExW(key, name.c_str(), nullptr, &value.type, nullptr, &length);
    // The value may grow between the two calls: ask again in a larger buffer.
    for (int attempt = 0; attempt < 4 && value.error == ERROR_SUCCESS; ++attempt) {
        value.bytes.resize(length);
        length = static_cast<DWORD>(value.bytes.size());
        value.error = RegQueryValueExW(key, name.c_str(), nullptr, &value.type,
                                       value.bytes.empty() ? nullptr : value.bytes.data(), &length);
        if (value.error == ERROR_SUCCESS) {
            value.bytes.resize(length);
            return value;
        }
        if (value.error == ERROR_MORE_DATA)
            value.error = ERROR_SUCCESS;
    }
    if (value.error == ERROR_SUCCESS)
        value.error = ERROR_MORE_DATA;
    value.bytes.clear();
    return value;
}

std::wstring ReadStringValue(HKEY key, const std::wstring& name) {
    ValueData value = ReadValue(key, name);
    if (!value || (value.type != REG_SZ && value.type != REG_EXPAND_SZ))
        return std::wstring();
    return TextFromData(value.bytes.data(), value.bytes.size());
}

std::wstring ReadStringValue(HKEY root, const std::wstring& path, const std::wstring& name) {
    OpenedKey key = OpenKey(root, path);
    return key ? ReadStringValue(key.get(), name) : std::wstring();
}

bool CountEntries(HKEY key, DWORD& subKeys, DWORD& values) {
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::wstring SubKey::Path() const {
    std::wstring path = parentPath;
    path += L'\\';
    path += name;
    return path;
}

void EnumSubKeys(HKEY root, const std::wstring& path, SubKeyVisitor visitor, const StopFlag* stop) {
    const std::wstring trimmed = TrimChars(path, L" \\");
    OpenedKey key = OpenKey(root, trimmed);
    if (!key)
        return;
    EnumBuffers buffers(0, 0, 0);
    for (DWORD index = 0;; ++index) {
        if (StopRequested(stop))
            return;
        const EnumRead read = buffers.ReadSubKey(key.get(), index);
        if (read == EnumRead::End)
            break;
        if (read == EnumRead::Read && visitor)
            visitor(SubKey{root, trimmed, buffers.SubKeyName()});
    }
}

WalkOptions WalkOptions::Tree(std::wstring path, DWORD typeMask,
                              std::vector<std::wstring> exclusions) {
    WalkOptions options;
    options.path = std::move(path);
    options.typeMask = typeMask;
    options.exclusions = std::move(exclusions);
    return options;
}

WalkOptions WalkOptions::OwnValues(std::wstring path, DWORD typeMask) {
    WalkOptions options = Tree(std::move(path), typeMask);
    options.recurse = false;
    return options;
}

void WalkKey(HKEY root, const WalkOptions& options, ValueVisitor valueVisitor,
             KeyVisitor keyVisitor) {
    Walk walk(root, options, valueVisitor, keyVisitor);
    const std::wstring start = walk.path;
    WalkLevel(walk, root, start.c_str());
}
