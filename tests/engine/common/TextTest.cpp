#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "common/Text.h"

TEST(WildcardMatch, StarsAndQuestionMarksStandForWholeCharacters) {
    const wchar_t* const emoji = L"\U0001F600";  // one character, two UTF-16 units
    const struct {
        std::wstring pattern, text;
        bool matches;
    } cases[] = {
        {L"*clsid\\{*-*-*-*-*}", L"clsid\\{00000000-0000-0000-0000-000000000046}", true},
        {L"*clsid\\{*-*-*-*-*}", L"clsid\\{a-b-c-d-e}\\inprocserver32", false},
        {L"*clsid\\{*-*-*-*-*}", L"CLSID\\{a-b-c-d-e}", false},
        {L"*", L"", true},
        {L"?", L"", false},
        {L"?:\\*", L"C:\\", true},
        {L"*:\\*", L"rundll32.exe shell32.dll,Control_RunDLL", false},
        {L"a*b*c", L"aXbYbZc", true},
        {L"*ab", L"aab", true},
        {L"abc", L"abcd", false},
        {L"a**", L"a", true},
        {L"к?юч", L"ключ", true},
        {L"a?b", std::wstring(L"a") + emoji + L"b", true},
        {L"a??b", std::wstring(L"a") + emoji + L"b", false},
        {std::wstring(L"*") + emoji, std::wstring(L"x") + emoji, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.matches) << c.pattern << L" " << c.text;
}

TEST(LowerCopy, FollowsTheUnicodeCaseTable) {
    EXPECT_EQ(LowerCopy(L"Ключ ΣΟΦΙΑ Straße ABC"), L"ключ σοφια straße abc");
    EXPECT_TRUE(EqualsIgnoringCase(L"КЛЮЧ", L"ключ"));
    EXPECT_FALSE(EqualsIgnoringCase(L"ключ", L"ключи"));
}

TEST(SplitText, EarliestSeparatorEndsEachField) {
    using Fields = std::vector<std::wstring>;
    EXPECT_EQ(SplitText(L"1,,0", L",", EmptyFields::Keep), (Fields{L"1", L"", L"0"}));
    EXPECT_EQ(SplitText(L",1,0,", L",", EmptyFields::Keep), (Fields{L"", L"1", L"0", L""}));
    EXPECT_EQ(SplitText(L"", L",", EmptyFields::Drop), Fields{});
    EXPECT_EQ(SplitText(L"a;b,c", L",;", EmptyFields::Drop), (Fields{L"a", L"b", L"c"}));
}

TEST(AnsiFromWideExactly, TakesOnlyTextThatComesBackUnchanged) {
    ASSERT_EQ(GetACP(), 1252u);
    std::string ansi;
    EXPECT_TRUE(AnsiFromWideExactly(L"caf\u00e9 \u20ac", ansi));
    EXPECT_EQ(ansi, "caf\xe9 \x80");
    // No best fit (a Cyrillic letter, an accented Latin letter outside the
    // code page, an unpaired surrogate) counts as the character.
    for (const wchar_t* text : {L"\u043a", L"\u0107", L"a\xd800"})
        EXPECT_FALSE(AnsiFromWideExactly(text, ansi)) << text;
}

TEST(CompareInCodePageOrderMultibyte, DoubleByteCharactersCompareWhole) {
    // Under code page 932 half-width katakana (one byte, 0xB1) comes before
    // hiragana (0x82 0xA0), although its code point is the greater; a
    // character outside the code page comes after both.
    ASSERT_EQ(GetACP(), 932u);
    EXPECT_LT(CompareInCodePageOrder(L"\uff71", L"\u3042"), 0);
    EXPECT_GT(CompareInCodePageOrder(L"\u3042", L"\uff71"), 0);
    EXPECT_GT(CompareInCodePageOrder(L"\U0001F600", L"\u3042"), 0);
    EXPECT_EQ(CompareInCodePageOrder(L"\u3042z", L"\u3042z"), 0);
}
