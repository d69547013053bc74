#include <gtest/gtest.h>

#include <windows.h>

#include "TestSupport.h"
#include "results/EntryEdit.h"

namespace {

const std::wstring kLong(600, L'z');

TEST(ReadValueNow, GivesTheWholeTextOnlyForAPlainString) {
    struct Case {
        std::string bytes;
        ValueNowState state;
        std::wstring text;
    } cases[] = {
        {Utf16Bytes(kLong + L'\0'), ValueNowState::EditableText, kLong},
        {Utf16Bytes(std::wstring(L"abc\0\0\0\0", 7)), ValueNowState::EditableText,
         L"abc"},  // padded
        {Utf16Bytes(std::wstring(L"a\0b\0", 4)), ValueNowState::NotEditable, L"a"},
        // An odd byte would be lost on saving.
        {Utf16Bytes(L"ab") + "c", ValueNowState::NotEditable, L"ab"},
    };
    ScratchKey scratch;
    for (const Case& c : cases) {
        PlantValue(scratch.root(), scratch.path(), L"v", REG_SZ, c.bytes);
        ValueNow now = ReadValueNow(L"HKEY_CURRENT_USER", scratch.path(), L"v");
        EXPECT_EQ(now.state, c.state) << c.text;
        EXPECT_EQ(now.text, c.text);
    }
}

TEST(WriteEditedValue, WritesTheTextWithItsTerminatorAndRenamesWithoutLosingAValue) {
    const struct {
        const wchar_t* newName;
        std::wstring text;
        ValueEditResult result;
        const wchar_t* name;  // the edited value afterwards, and its text
        std::wstring stored;
    } cases[] = {
        {L"x", L"b", ValueEditResult::Written, L"x", L"b"},
        {L"x", kLong, ValueEditResult::Written, L"x", kLong},
        {L"X", L"old", ValueEditResult::Written, L"X", L"old"},
        {L"OTHER", L"b", ValueEditResult::NameTaken, L"x", L"old"},
    };
    for (const auto& c : cases) {
        ScratchKey scratch, expected(L"Expected");
        PlantString(scratch.root(), scratch.path(), L"x", L"old");
        PlantString(scratch.root(), scratch.path(), L"other", L"o");
        PlantString(scratch.root(), expected.path(), L"other", L"o");
        PlantString(scratch.root(), expected.path(), c.name, c.stored);
        EXPECT_EQ(WriteEditedValue(L"HKEY_CURRENT_USER", scratch.path(), L"x", c.newName, c.text),
                  c.result)
            << c.newName;
        EXPECT_EQ(DescribeTree(scratch.root(), scratch.path()),
                  DescribeTree(scratch.root(), expected.path()))
            << c.newName;
    }
    // A plain rename, and a key gone meanwhile, the result list's editor tests show.
}

TEST(RegeditLastKey, NamesTheKeyWithoutATrailingBackslash) {
    EXPECT_EQ(RegeditLastKeyText(L"HKEY_USERS", L"\u8868"), L"HKEY_USERS\\\u8868");
    EXPECT_EQ(RegeditLastKeyText(L"HKEY_USERS", L""), L"HKEY_USERS");
}

}  // namespace
