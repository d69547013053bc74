#include <gtest/gtest.h>

#include <windows.h>

#include "TestSupport.h"
#include "results/EntryEdit.h"

namespace {

const std::string kLong(600, 'z');

TEST(ReadValueNow, GivesTheWholeTextOnlyForAPlainString) {
    struct Case {
        std::string bytes;
        ValueNowState state;
        std::string text;
    } cases[] = {
        {kLong + '\0', ValueNowState::EditableText, kLong},
        {std::string("abc\0\0\0\0", 7), ValueNowState::EditableText, "abc"},  // padded
        {std::string("a\0b\0", 4), ValueNowState::NotEditable, "a"},
    };
    ScratchKey scratch;
    for (const Case& c : cases) {
        PlantValue(scratch.root(), scratch.path(), "v", REG_SZ, c.bytes);
        ValueNow now = ReadValueNow("HKEY_CURRENT_USER", scratch.path(), "v");
        EXPECT_EQ(now.state, c.state) << c.text;
        EXPECT_EQ(now.text, c.text);
    }
}

TEST(WriteEditedValue, WritesTheTextWithItsTerminatorAndRenamesWithoutLosingAValue) {
    const struct {
        const char* newName;
        std::string text;
        ValueEditResult result;
        const char* name;  // the edited value afterwards, and its text
        std::string stored;
    } cases[] = {
        {"x", "b", ValueEditResult::Written, "x", "b"},
        {"x", kLong, ValueEditResult::Written, "x", kLong},
        {"X", "old", ValueEditResult::Written, "X", "old"},
        {"OTHER", "b", ValueEditResult::NameTaken, "x", "old"},
    };
    for (const auto& c : cases) {
        ScratchKey scratch, expected("Expected");
        PlantString(scratch.root(), scratch.path(), "x", "old");
        PlantString(scratch.root(), scratch.path(), "other", "o");
        PlantString(scratch.root(), expected.path(), "other", "o");
        PlantString(scratch.root(), expected.path(), c.name, c.stored);
        EXPECT_EQ(WriteEditedValue("HKEY_CURRENT_USER", scratch.path(), "x", c.newName, c.text),
                  c.result)
            << c.newName;
        EXPECT_EQ(DescribeTree(scratch.root(), scratch.path()),
                  DescribeTree(scratch.root(), expected.path()))
            << c.newName;
    }
    // A plain rename, and a key gone meanwhile, the result list's editor tests show.
}

TEST(RegeditLastKey, MultibyteNameEndingInTrailByte5CKeepsItsLastCharacter) {
    const std::string table = "\x95\x5c";
    EXPECT_EQ(RegeditLastKeyText("HKEY_USERS", table), "HKEY_USERS\\" + table);
}

}  // namespace
