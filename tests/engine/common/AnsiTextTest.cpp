#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/AnsiText.h"

TEST(WildcardMatch, MatchesStarsAndQuestionMarksBytewise) {
    EXPECT_TRUE(
        WildcardMatch("*clsid\\{*-*-*-*-*}", "clsid\\{00000000-0000-0000-0000-000000000046}"));
    EXPECT_FALSE(WildcardMatch("*clsid\\{*-*-*-*-*}", "clsid\\{x}\\inprocserver32"));
    EXPECT_FALSE(WildcardMatch("*clsid\\{*-*-*-*-*}", "clsid\\{a-b-c-d-e}\\inprocserver32"));
    EXPECT_FALSE(WildcardMatch("*clsid\\{*-*-*-*-*}", "CLSID\\{a-b-c-d-e}"));
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_FALSE(WildcardMatch("?", ""));
    EXPECT_TRUE(WildcardMatch("?:\\*", "C:\\"));
    EXPECT_TRUE(WildcardMatch("*:\\*", "rundll32 C:\\x.dll"));
    EXPECT_FALSE(WildcardMatch("*:\\*", "rundll32.exe shell32.dll,Control_RunDLL"));
    EXPECT_TRUE(WildcardMatch(".*", ".txt"));
    EXPECT_TRUE(WildcardMatch("a*b*c", "aXbYbZc"));
    EXPECT_TRUE(WildcardMatch("*ab", "aab"));
    EXPECT_FALSE(WildcardMatch("abc", "abcd"));
    EXPECT_TRUE(WildcardMatch("a**", "a"));
}

TEST(SplitText, EarliestSeparatorEndsEachField) {
    using Fields = std::vector<std::string>;
    EXPECT_EQ(SplitText("1,,0", ",", EmptyFields::Keep), (Fields{"1", "", "0"}));
    EXPECT_EQ(SplitText(",1,0,", ",", EmptyFields::Keep), (Fields{"", "1", "0", ""}));
    EXPECT_EQ(SplitText("", ",", EmptyFields::Drop), Fields{});
    EXPECT_EQ(SplitText("a;b,c", ",;", EmptyFields::Drop), (Fields{"a", "b", "c"}));
    EXPECT_EQ(SplitText("no separator", ",", EmptyFields::Drop), Fields{"no separator"});
}

TEST(CompareCharactersMultibyte, DoubleByteCharactersCompareWhole) {
    // Half-width katakana (one byte, 0xB1) comes before hiragana (0x82 0xA0),
    // although its byte is the greater.
    EXPECT_LT(CompareCharacters("\xb1", "\x82\xa0"), 0);
    EXPECT_GT(CompareCharacters("\x82\xa0", "\xb1"), 0);
    EXPECT_EQ(CompareCharacters("\x82\xa0z", "\x82\xa0z"), 0);
}
