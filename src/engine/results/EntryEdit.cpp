#include "results/EntryEdit.h"

#include <windows.h>

#include <algorithm>

#include "common/Text.h"
#include "registry/Registry.h"

namespace {

OpenedKey OpenEntryKey(const std::wstring& rootName, const std::wstring& subKey, REGSAM access) {
    HKEY root = RootKeyFromName(rootName);
    if (!root)
        return OpenedKey{UniqueRegKey(), ERROR_FILE_NOT_FOUND};
    return OpenKey(root, subKey, access);
}

// Whole characters with NULs only at the end (a terminator, or the padding of
// a fixed-size write) leave the text whole in an edit field; a NUL inside it
// would cut it there.
bool IsPlainText(const std::vector<BYTE>& data) {
    if (data.size() % sizeof(wchar_t) != 0)
        return false;
    std::wstring units(data.size() / sizeof(wchar_t), L'\0');
    std::copy(data.begin(), data.end(), reinterpret_cast<BYTE*>(&units[0]));
    const std::size_t nul = units.find(L'\0');
    return nul == std::wstring::npos || units.find_first_not_of(L'\0', nul) == std::wstring::npos;
}

bool SetText(HKEY key, const std::wstring& name, const std::wstring& text) {
    return RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool ValueExists(HKEY key, const std::wstring& name) {
    return RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) !=
           ERROR_FILE_NOT_FOUND;
}

}  // namespace

ValueNow ReadValueNow(const std::wstring& rootName, const std::wstring& subKey,
                      const std::wstring& valueName) {
    ValueNow now;
    OpenedKey key = OpenEntryKey(rootName, subKey, KEY_QUERY_VALUE);
    if (!key)
        return now;
    const ValueData value = ReadValue(key.get(), valueName);
    if (!value) {
        if (value.error != ERROR_FILE_NOT_FOUND)
            now.state = ValueNowState::NotEditable;
        return now;
    }
    now.type = value.type;
    now.state = value.type == REG_SZ && IsPlainText(value.bytes) ? ValueNowState::EditableText
                                                                 : ValueNowState::NotEditable;
    now.text =
        FormatValueData(value.type, value.bytes.data(), static_cast<DWORD>(value.bytes.size()));
    return now;
}

ValueEditResult WriteEditedValue(const std::wstring& rootName, const std::wstring& subKey,
                                 const std::wstring& oldName, const std::wstring& newName,
                                 const std::wstring& text) {
    OpenedKey key = OpenEntryKey(rootName, subKey, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key)
        return ValueEditResult::KeyUnavailable;
    const bool sameName = oldName == newName;
    // The registry finds names without regard to case: a name it finds that
    // differs from the old one only in case is the old value itself.
    const bool caseOnly = !sameName && EqualsIgnoringCase(oldName, newName);
    if (!sameName && !caseOnly && ValueExists(key.get(), newName))
        return ValueEditResult::NameTaken;
    if (!caseOnly) {
        if (!SetText(key.get(), newName, text))
            return ValueEditResult::WriteFailed;
        if (!sameName)
            RegDeleteValueW(key.get(), oldName.c_str());
        return ValueEditResult::Written;
    }
    // Writing under the old name first proves the key takes the text; only the
    // deletion then lets the new spelling of the name stand.
    if (!SetText(key.get(), oldName, text))
        return ValueEditResult::WriteFailed;
    RegDeleteValueW(key.get(), oldName.c_str());
    if (!SetText(key.get(), newName, text)) {
        SetText(key.get(), oldName, text);
        return ValueEditResult::WriteFailed;
    }
    return ValueEditResult::Written;
}

std::wstring RegeditLastKeyText(const std::wstring& rootName, const std::wstring& subKey) {
    std::wstring text = rootName + L"\\" + subKey;
    if (!text.empty() && text.back() == L'\\')
        text.pop_back();
    return text;
}

bool WriteRegeditLastKey(const std::wstring& text) {
    UniqueRegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRegeditSettingsKey, 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        key.release();
        return false;
    }
    return SetText(key.get(), kRegeditLastKeyValue, text);
}
