#include "results/EntryEdit.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "common/AnsiText.h"
#include "common/UniqueHandle.h"
#include "registry/Registry.h"

namespace {

UniqueRegKey OpenKey(const std::string& rootName, const std::string& subKey, REGSAM access) {
    UniqueRegKey key;
    HKEY root = RootKeyFromName(rootName);
    if (!root || RegOpenKeyExA(root, subKey.c_str(), 0, access, key.put()) != ERROR_SUCCESS)
        key.release();
    return key;
}

// The value's whole data; false when it cannot be read.
bool QueryValue(HKEY key, const std::string& name, DWORD& type, std::vector<BYTE>& data,
                LONG& error) {
    DWORD length = 0;
    error = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &length);
    while (error == ERROR_SUCCESS || error == ERROR_MORE_DATA) {
        data.resize(length + 1);
        length = static_cast<DWORD>(data.size());
        error = RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &length);
        if (error == ERROR_SUCCESS) {
            data.resize(length);
            return true;
        }
    }
    return false;
}

// NULs only at the end (a terminator, or the padding of a fixed-size write)
// leave the text whole in an edit field; a NUL inside it would cut it there.
bool IsPlainText(const std::vector<BYTE>& data) {
    auto nul = std::find(data.begin(), data.end(), BYTE(0));
    return std::find_if(nul, data.end(), [](BYTE b) { return b != 0; }) == data.end();
}

bool SetText(HKEY key, const std::string& name, const std::string& text) {
    return RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool ValueExists(HKEY key, const std::string& name) {
    return RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) !=
           ERROR_FILE_NOT_FOUND;
}

}  // namespace

ValueNow ReadValueNow(const std::string& rootName, const std::string& subKey,
                      const std::string& valueName) {
    ValueNow now;
    UniqueRegKey key = OpenKey(rootName, subKey, KEY_QUERY_VALUE);
    if (!key)
        return now;
    DWORD type = 0;
    std::vector<BYTE> data;
    LONG error = ERROR_SUCCESS;
    if (!QueryValue(key.get(), valueName, type, data, error)) {
        if (error != ERROR_FILE_NOT_FOUND)
            now.state = ValueNowState::NotEditable;
        return now;
    }
    now.type = type;
    now.state = type == REG_SZ && IsPlainText(data) ? ValueNowState::EditableText
                                                    : ValueNowState::NotEditable;
    now.text = FormatValueData(type, data.data(), static_cast<DWORD>(data.size()));
    return now;
}

ValueEditResult WriteEditedValue(const std::string& rootName, const std::string& subKey,
                                 const std::string& oldName, const std::string& newName,
                                 const std::string& text) {
    UniqueRegKey key = OpenKey(rootName, subKey, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key)
        return ValueEditResult::KeyUnavailable;
    const bool sameName = oldName == newName;
    // The registry finds names without regard to case: a name it finds that
    // differs from the old one only in case is the old value itself.
    const bool caseOnly = !sameName && UpperCopy(oldName) == UpperCopy(newName);
    if (!sameName && !caseOnly && ValueExists(key.get(), newName))
        return ValueEditResult::NameTaken;
    if (!caseOnly) {
        if (!SetText(key.get(), newName, text))
            return ValueEditResult::WriteFailed;
        if (!sameName)
            RegDeleteValueA(key.get(), oldName.c_str());
        return ValueEditResult::Written;
    }
    // Writing under the old name first proves the key takes the text; only the
    // deletion then lets the new spelling of the name stand.
    if (!SetText(key.get(), oldName, text))
        return ValueEditResult::WriteFailed;
    RegDeleteValueA(key.get(), oldName.c_str());
    if (!SetText(key.get(), newName, text)) {
        SetText(key.get(), oldName, text);
        return ValueEditResult::WriteFailed;
    }
    return ValueEditResult::Written;
}

std::string RegeditLastKeyText(const std::string& rootName, const std::string& subKey) {
    std::string text = rootName + "\\" + subKey;
    if (FindLastChar(text, '\\') == text.size() - 1)
        text.pop_back();
    return text;
}

bool WriteRegeditLastKey(const std::string& text) {
    UniqueRegKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kRegeditSettingsKey, 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        key.release();
        return false;
    }
    return SetText(key.get(), kRegeditLastKeyValue, text);
}
