#include "app/VersionInfo.h"

#include <cstring>
#include <cwchar>

#include "common/Text.h"
#include "framework/Dialog.h"

namespace {

// One block of a VS_VERSIONINFO tree: its length, the length of its value,
// its type, its key, then its value and its children, each starting on a
// 32-bit boundary.
struct Block {
    std::wstring_view key;
    const BYTE* value = nullptr;
    std::size_t valueBytes = 0;
    const BYTE* children = nullptr;
    const BYTE* end = nullptr;
};

const BYTE* Aligned(const BYTE* start, const BYTE* pointer) {
    return start + ((pointer - start + 3) & ~static_cast<std::ptrdiff_t>(3));
}

// The block at data, within limit; false when it does not fit there.
bool ReadBlock(const BYTE* base, const BYTE* data, const BYTE* limit, Block& block) {
    WORD header[3] = {};
    if (limit - data < static_cast<std::ptrdiff_t>(sizeof(header)))
        return false;
    std::memcpy(header, data, sizeof(header));
    const WORD length = header[0], valueLength = header[1], type = header[2];
    if (length < sizeof(header) || length > limit - data)
        return false;
    block.end = data + length;
    const wchar_t* key = reinterpret_cast<const wchar_t*>(data + sizeof(header));
    const std::size_t room = static_cast<std::size_t>(block.end - data - sizeof(header)) / 2;
    const std::size_t keyLength = wcsnlen(key, room);
    if (keyLength == room)
        return false;
    block.key = std::wstring_view(key, keyLength);
    block.value = Aligned(base, reinterpret_cast<const BYTE*>(key + keyLength + 1));
    // A text's value length counts characters, a binary value's bytes.
    block.valueBytes = type == 1 ? valueLength * sizeof(wchar_t) : valueLength;
    if (block.value + block.valueBytes > block.end)
        return false;
    block.children = Aligned(base, block.value + block.valueBytes);
    return true;
}

// The child of parent with the key (without regard to case).
bool FindChild(const BYTE* base, const Block& parent, std::wstring_view key, Block& child) {
    for (const BYTE* next = parent.children; next < parent.end; next = Aligned(base, child.end)) {
        if (!ReadBlock(base, next, parent.end, child))
            return false;
        if (EqualsIgnoringCase(child.key, key))
            return true;
    }
    return false;
}

}  // namespace

std::wstring VersionString(HMODULE module, const wchar_t* valueName) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const BYTE* base = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!base)
        return std::wstring();
    Block root, fileInfo, translation, strings, table, text;
    if (!ReadBlock(base, base, base + SizeofResource(module, found), root) ||
        !FindChild(base, root, L"VarFileInfo", fileInfo) ||
        !FindChild(base, fileInfo, L"Translation", translation) || translation.valueBytes < 4 ||
        !FindChild(base, root, L"StringFileInfo", strings)) {
        return std::wstring();
    }
    WORD language[2] = {};
    std::memcpy(language, translation.value, sizeof(language));
    wchar_t tableKey[16];
    std::swprintf(tableKey, 16, L"%04x%04x", language[0], language[1]);
    if (!FindChild(base, strings, tableKey, table) || !FindChild(base, table, valueName, text))
        return std::wstring();
    const wchar_t* value = reinterpret_cast<const wchar_t*>(text.value);
    return std::wstring(value, wcsnlen(value, text.valueBytes / sizeof(wchar_t)));
}

std::wstring ProductCaption() {
    return VersionString(ResourceInstance(), L"ProductName") + L" (" +
           VersionString(ResourceInstance(), L"ProductVersion") + L")";
}
