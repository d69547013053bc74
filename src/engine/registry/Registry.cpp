#include "registry/Registry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/AnsiText.h"
#include "registry/EnumBuffers.h"

namespace {

const RootKeyEntry kRootKeys[] = {
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", HKEY_USERS},
    {"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA},
    {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    {"HKEY_DYN_DATA", HKEY_DYN_DATA},
};

struct Walk {
    Walk(HKEY root, const WalkOptions& options, ValueVisitor valueVisitor, KeyVisitor keyVisitor)
        : root(root), options(options), valueVisitor(valueVisitor), keyVisitor(keyVisitor) {
        for (const std::string& exclusion : options.exclusions) {
            // An empty text would be found in every path; it excludes nothing.
            if (!exclusion.empty())
                loweredExclusions.push_back(LowerCopy(exclusion));
        }
        path = TrimChars(options.path, "\\");
        if (!loweredExclusions.empty())
            loweredPath = LowerCopy(path);
    }

    HKEY root;
    const WalkOptions& options;
    ValueVisitor valueVisitor;
    KeyVisitor keyVisitor;
    std::vector<std::string> loweredExclusions;
    // One set for the whole walk: a key grows them when it needs more, and no
    // key allocates its own.
    EnumBuffers buffers{0, 0, 0};
    // The key being walked; each level appends its name and takes it off
    // again, so no path is copied per key. The lowered copy is kept only when
    // there are exclusions to test it against.
    std::string path;
    std::string loweredPath;
};

bool IsExcluded(const Walk& walk) {
    for (const std::string& exclusion : walk.loweredExclusions) {
        if (ContainsText(walk.loweredPath, exclusion))
            return true;
    }
    return false;
}

// The key at walk.path, opened as name below parent: the start key below the
// root, every other key below its parent's open handle, so the registry
// resolves one name per key rather than the whole path again at each depth.
void WalkLevel(Walk& walk, HKEY parent, const char* name) {
    if (StopRequested(walk.options.stop))
        return;
    if (IsExcluded(walk))
        return;

    UniqueRegKey key = OpenKeyForReading(parent, name);
    if (!key)
        return;

    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxValueName = 0, maxValueData = 0;
    bool counted =
        RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr,
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

    int attempt = 0;  // reads of the current entry that answered "more data"
    for (DWORD index = 0; index < valueEnd;) {
        if (StopRequested(walk.options.stop))
            return;
        DWORD nameLength = static_cast<DWORD>(buffers.valueName.size());
        DWORD dataLength = static_cast<DWORD>(buffers.data.size() - 1);
        DWORD type = 0;
        LONG result = RegEnumValueA(key.get(), index, buffers.valueName.data(), &nameLength,
                                    nullptr, &type, buffers.data.data(), &dataLength);
        if (result == ERROR_MORE_DATA) {
            // The value changed since the key was measured: read it again in
            // larger buffers, or past their limits skip it and go on.
            if (!buffers.GrowForValue(dataLength, ++attempt)) {
                ++index;
                attempt = 0;
            }
            continue;
        }
        if (result != ERROR_SUCCESS)
            break;
        buffers.data[dataLength] = 0;  // no visitor reading text can run past the data
        bool passes = (type & walk.options.typeMask) != 0 ||
                      (type == REG_NONE && walk.options.includeRegNone);
        if (walk.valueVisitor && passes) {
            walk.valueVisitor(WalkedValue{walk.root, walk.path,
                                          std::string_view(buffers.valueName.data(), nameLength),
                                          type, buffers.data.data(), dataLength});
        }
        ++index;
        attempt = 0;
    }

    if (!walk.options.recurse)
        return;
    attempt = 0;
    for (DWORD index = 0; index < subKeyEnd;) {
        if (StopRequested(walk.options.stop))
            return;
        DWORD nameLength = static_cast<DWORD>(buffers.subKeyName.size());
        LONG result = RegEnumKeyExA(key.get(), index, buffers.subKeyName.data(), &nameLength,
                                    nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA) {
            if (!buffers.GrowForSubKey(++attempt)) {
                ++index;
                attempt = 0;
            }
            continue;
        }
        if (result != ERROR_SUCCESS)
            break;
        ++index;
        attempt = 0;

        const std::size_t pathSize = walk.path.size();
        const std::size_t loweredSize = walk.loweredPath.size();
        if (!walk.path.empty())
            walk.path += '\\';
        walk.path.append(buffers.subKeyName.data(), nameLength);
        if (!walk.loweredExclusions.empty()) {
            walk.loweredPath.append(walk.path, pathSize, std::string::npos);
            CharLowerBuffA(&walk.loweredPath[loweredSize],
                           static_cast<DWORD>(walk.loweredPath.size() - loweredSize));
        }
        // The name is read from the buffer before the child's walk reuses it.
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

std::string RootKeyName(HKEY root) {
    for (const RootKeyEntry& entry : kRootKeys) {
        if (entry.handle == root)
            return entry.name;
    }
    return std::string();
}

HKEY RootKeyFromName(const std::string& name) {
    std::string upper = UpperCopy(name);
    for (const RootKeyEntry& entry : kRootKeys) {
        if (upper == entry.name)
            return entry.handle;
    }
    return nullptr;
}

SplitPath SplitKeyPath(const std::string& fullPath) {
    SplitPath result;
    std::string text = TrimChars(fullPath, "\\");
    std::size_t slash = FindChar(text, '\\');
    if (text.empty() || slash == std::string::npos)
        return result;
    HKEY root = RootKeyFromName(text.substr(0, slash));
    if (root == nullptr)
        return result;
    result.ok = true;
    result.root = root;
    result.subKey = text.substr(slash + 1);
    return result;
}

std::string FormatValueData(DWORD type, const BYTE* data, DWORD length) {
    if (data == nullptr)
        length = 0;
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
            return DataAsText(data, length);
        case REG_BINARY: {
            std::string text;
            DWORD shown = std::min<DWORD>(length, 20);
            char hex[4];
            for (DWORD i = 0; i < shown; ++i) {
                if (i > 0)
                    text += ' ';
                std::snprintf(hex, sizeof(hex), "%02x", data[i]);
                text += hex;
            }
            if (length > 20)
                text += "...";
            return text;
        }
        case REG_DWORD: {
            // Shorter data has no number to show; longer data shows its first four bytes.
            if (length < 4)
                return std::string();
            DWORD value = 0;
            std::memcpy(&value, data, sizeof(value));
            char text[40];
            std::snprintf(text, sizeof(text), "0x%08lx (%ld)", static_cast<unsigned long>(value),
                          static_cast<long>(static_cast<LONG>(value)));
            return text;
        }
        case REG_MULTI_SZ: {
            std::string text;
            DWORD pos = 0;
            while (pos < length && data[pos] != 0) {
                std::string part = DataAsText(data + pos, length - pos);
                if (!text.empty())
                    text += ' ';
                text += part;
                pos += static_cast<DWORD>(part.size()) + 1;
            }
            return text;
        }
        default:
            return std::string();
    }
}

UniqueRegKey OpenKeyForReading(HKEY parent, const char* path) {
    UniqueRegKey key;
    if (RegOpenKeyExA(parent, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        key.release();
    }
    return key;
}

std::string ReadStringValue(HKEY root, const std::string& path, const std::string& name) {
    UniqueRegKey key = OpenKeyForReading(root, path);
    if (!key)
        return std::string();
    char buffer[256] = {};
    DWORD size = 255;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                         &size) != ERROR_SUCCESS) {
        return std::string();
    }
    return DataAsText(reinterpret_cast<const BYTE*>(buffer), size);
}

std::string SubKey::Path() const {
    std::string path = parentPath;
    path += '\\';
    path += name;
    return path;
}

void EnumSubKeys(HKEY root, const std::string& path, SubKeyVisitor visitor, const StopFlag* stop) {
    std::string trimmed = TrimChars(path, " \\");
    UniqueRegKey key = OpenKeyForReading(root, trimmed);
    if (!key)
        return;
    std::vector<char> name(512);
    for (DWORD index = 0;; ++index) {
        if (StopRequested(stop))
            return;
        std::fill(name.begin(), name.end(), 0);
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumKeyExA(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS) {
            break;
        }
        if (visitor)
            visitor(SubKey{root, trimmed, name.data()});
    }
}

WalkOptions WalkOptions::Tree(std::string path, DWORD typeMask,
                              std::vector<std::string> exclusions) {
    WalkOptions options;
    options.path = std::move(path);
    options.typeMask = typeMask;
    options.exclusions = std::move(exclusions);
    return options;
}

WalkOptions WalkOptions::OwnValues(std::string path, DWORD typeMask) {
    WalkOptions options = Tree(std::move(path), typeMask);
    options.recurse = false;
    return options;
}

void WalkKey(HKEY root, const WalkOptions& options, ValueVisitor valueVisitor,
             KeyVisitor keyVisitor) {
    Walk walk(root, options, valueVisitor, keyVisitor);
    const std::string start = walk.path;
    WalkLevel(walk, root, start.c_str());
}
