#pragma once
// Changing a found entry in place: the string value the entry editor shows,
// written back under its old or a new name, and the key the registry editor
// selects when it starts.

#include <string>

enum class ValueNowState {
    EditableText,  // a REG_SZ that an edit field can hold whole
    NotEditable,   // another type now, or a text with a NUL inside it
    Missing,       // the key or the value is gone
};

struct ValueNow {
    ValueNowState state = ValueNowState::Missing;
    unsigned long type = 0;
    std::wstring text;  // the whole text; for NotEditable its display text
};

// The value as the registry holds it now (rootName is a root key's long name).
ValueNow ReadValueNow(const std::wstring& rootName, const std::wstring& subKey,
                      const std::wstring& valueName);

enum class ValueEditResult {
    Written,         // the text stands under the new name; a renamed value is gone
    KeyUnavailable,  // the key cannot be opened for writing
    NameTaken,       // another value of the key already has the new name
    WriteFailed,     // the registry refused the write; nothing changed
};

// Writes text as a REG_SZ (the text and its terminating NUL) under newName and,
// when newName names another value than oldName, deletes oldName. Names are
// compared as the registry compares them, without regard to letter case: a
// rename that changes only the case keeps the value, and a rename onto a name
// that another value of the key has is refused rather than overwriting it.
ValueEditResult WriteEditedValue(const std::wstring& rootName, const std::wstring& subKey,
                                 const std::wstring& oldName, const std::wstring& newName,
                                 const std::wstring& text);

// Where the registry editor keeps the key it selects when it starts
// (below HKEY_CURRENT_USER), and that value's name.
constexpr wchar_t kRegeditSettingsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
constexpr wchar_t kRegeditLastKeyValue[] = L"LastKey";

// "root\sub key" without a trailing backslash: the root alone for an empty sub key.
std::wstring RegeditLastKeyText(const std::wstring& rootName, const std::wstring& subKey);
// Writes the text as "LastKey", creating the editor's settings key when the
// editor never ran. False when it could not be written.
bool WriteRegeditLastKey(const std::wstring& text);
