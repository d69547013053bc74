#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "TestSupport.h"
#include "results/EntryEdit.h"

namespace {

const std::string kLong(600, 'z');

// DescribeTree's line for a REG_SZ holding text and one terminating NUL.
std::string StringLine(const std::string& name, const std::string& text) {
    std::string line = "  value \"" + name + "\" type 1 bytes";
    for (char c : text + '\0') {
        char hex[4];
        std::snprintf(hex, sizeof(hex), " %02x", static_cast<unsigned char>(c));
        line += hex;
    }
    return line + "\n";
}

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
    struct Case {
        const char* newName;
        std::string text;
        ValueEditResult result;
        std::string value;  // the edited value afterwards, listed after "other"
    } cases[] = {
        {"x", "b", ValueEditResult::Written, StringLine("x", "b")},
        {"x", kLong, ValueEditResult::Written, StringLine("x", kLong)},
        {"y", "new", ValueEditResult::Written, StringLine("y", "new")},
        {"X", "old", ValueEditResult::Written, StringLine("X", "old")},
        {"OTHER", "b", ValueEditResult::NameTaken, StringLine("x", "old")},
    };
    for (const Case& c : cases) {
        ScratchKey scratch;
        PlantString(scratch.root(), scratch.path(), "x", "old");
        PlantString(scratch.root(), scratch.path(), "other", "o");
        EXPECT_EQ(WriteEditedValue("HKEY_CURRENT_USER", scratch.path(), "x", c.newName, c.text),
                  c.result)
            << c.newName;
        EXPECT_EQ(DescribeTree(scratch.root(), scratch.path()),
                  "key .\n" + StringLine("other", "o") + c.value)
            << c.newName;
    }
    ScratchKey scratch;
    EXPECT_EQ(WriteEditedValue("HKEY_CURRENT_USER", scratch.Sub("gone"), "x", "x", "b"),
              ValueEditResult::KeyUnavailable);
    EXPECT_FALSE(KeyExists(scratch.root(), scratch.Sub("gone")));
}

TEST(RegeditLastKey, MultibyteNameEndingInTrailByte5CKeepsItsLastCharacter) {
    const std::string table = "\x95\x5c";
    EXPECT_EQ(RegeditLastKeyText("HKEY_USERS", table), "HKEY_USERS\\" + table);
}

}  // namespace
