#include <gtest/gtest.h>

#include "TestSupport.h"
#include "common/Text.h"
#include "registry/EnumBuffers.h"
#include "registry/Registry.h"

namespace {

// What a walk visits, as "key <path>" and "value <path>:<name>" with paths
// relative to base, and the text of each value.
struct Recorder {
    explicit Recorder(std::wstring walkBase) : base(std::move(walkBase)) {}
    std::wstring base;
    std::vector<std::wstring> visits, texts;
    StopFlag* stopAfterFirstValue = nullptr;

    std::wstring Relative(const std::wstring& path) const {
        return path.compare(0, base.size(), base) == 0 ? path.substr(base.size()) : L"!" + path;
    }
    // Walks reporting values and, unless valuesOnly, keys.
    Recorder& Walk(HKEY root, const WalkOptions& options, bool valuesOnly = false) {
        auto onValue = [this](const WalkedValue& v) {
            visits.push_back(L"value " + Relative(v.keyPath) + L":" + std::wstring(v.name));
            texts.push_back(FormatValueData(v.type, v.data, v.dataLength));
            if (stopAfterFirstValue)
                stopAfterFirstValue->store(true);
        };
        auto onKey = [this](const WalkedKey& key) {
            visits.push_back(L"key " + Relative(key.path));
        };
        if (valuesOnly) {
            WalkKey(root, options, onValue);
        } else {
            WalkKey(root, options, onValue, onKey);
        }
        return *this;
    }
};

TEST(SplitKeyPath, TrimsOuterBackslashesAndKeepsInnerOnes) {
    const struct {
        const wchar_t* path;
        HKEY root;
        const wchar_t* subKey;
    } cases[] = {{L"\\\\HKEY_USERS\\.DEFAULT\\Software\\\\", HKEY_USERS, L".DEFAULT\\Software"},
                 {L"HKEY_CURRENT_USER\\Software\\X\\", HKEY_CURRENT_USER, L"Software\\X"},
                 {L"hkey_current_user\\\\Odd", HKEY_CURRENT_USER, L"\\Odd"}};
    for (const auto& c : cases) {
        SplitPath split = SplitKeyPath(c.path);
        EXPECT_TRUE(split.ok && split.root == c.root && split.subKey == c.subKey) << c.path;
    }
    for (const wchar_t* bad : {L"HKEY_CURRENT_USER", L"HKEY_CURRENT_USER\\", L"HKCU\\Software",
                               L"HKEY_USERS \\x", L"", L"\\\\"})
        EXPECT_FALSE(SplitKeyPath(bad).ok) << bad;
}

TEST(FormatValueData, ShowsEachTypeAsTheListsShowIt) {
    std::string sequence;
    for (char c = 0; c < 20; ++c)
        sequence += c;
    const std::wstring twenty = L"00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10 11 12 13";
    const struct {
        DWORD type;
        std::string data;
        std::wstring text;
    } cases[] = {
        // Strings stop at the first NUL; an odd last byte is no character.
        {REG_SZ, Utf16Bytes(std::wstring(L"\u043a\u043b\0c\0", 5)), L"\u043a\u043b"},
        {REG_EXPAND_SZ, Utf16Bytes(L"ab") + "c", L"ab"},
        // Twenty bytes show whole; more end in dots (see the search by data).
        {REG_BINARY, sequence, twenty},
        // Hex and signed decimal; short data has no number to read.
        {REG_DWORD, std::string("\0\0\0\x80", 4), L"0x80000000 (-2147483648)"},
        {REG_DWORD, std::string("\x0a\0", 2), L""},
        // Joined up to the empty string (the search shows the join).
        {REG_MULTI_SZ, Utf16Bytes(std::wstring(L"\0", 1)), L""},
        {REG_MULTI_SZ, Utf16Bytes(std::wstring(L"a\0\u03c3b\0\0z\0\0", 9)), L"a \u03c3b"},
        // Other types show nothing.
        {REG_QWORD, "12345678", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatValueData(c.type, reinterpret_cast<const BYTE*>(c.data.data()),
                                  static_cast<DWORD>(c.data.size())),
                  c.text)
            << c.type << L" " << c.text;
    }
}

class WalkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        //  Scratch
        //    A          (values a1, a2)
        //      Deep     (value d)
        //    B
        //      MyClsidTool (value m)
        //    C          (values of five types; names sort as planted, as Wine enumerates)
        ASSERT_TRUE(PlantString(root, scratch.Sub(L"A"), L"a1", L"one"));
        ASSERT_TRUE(PlantString(root, scratch.Sub(L"A"), L"a2", L"two"));
        ASSERT_TRUE(PlantString(root, scratch.Sub(L"A\\Deep"), L"d", L"deep"));
        ASSERT_TRUE(PlantString(root, scratch.Sub(L"B\\MyClsidTool"), L"m", L"tool"));
        ASSERT_TRUE(PlantString(root, scratch.Sub(L"C"), L"a_sz", L"text"));
        ASSERT_TRUE(PlantString(root, scratch.Sub(L"C"), L"b_expand", L"%x%", REG_EXPAND_SZ));
        ASSERT_TRUE(PlantDword(root, scratch.Sub(L"C"), L"c_dword", 7));
        ASSERT_TRUE(PlantValue(root, scratch.Sub(L"C"), L"d_binary", REG_BINARY, "\x01\x02"));
        ASSERT_TRUE(PlantValue(root, scratch.Sub(L"C"), L"e_none", REG_NONE, "\x01"));
    }

    std::vector<std::wstring> Walk(const WalkOptions& options) {
        return Recorder{scratch.path()}.Walk(root, options).visits;
    }

    HKEY root = HKEY_CURRENT_USER;
    ScratchKey scratch{L"Walk"};
};

// Visits joined by ", ".
std::wstring Joined(const std::vector<std::wstring>& visits) {
    std::wstring text;
    for (const std::wstring& visit : visits)
        text += (text.empty() ? L"" : L", ") + visit;
    return text;
}

TEST_F(WalkTest, VisitsDepthFirstWithValuesBeforeChildrenWithinTypeMaskAndExclusions) {
    const std::wstring a = scratch.Sub(L"A"), c = scratch.Sub(L"C"), deep = scratch.Sub(L"A\\Deep");
    WalkOptions withNone = WalkOptions::OwnValues(c, kAllTypes);
    withNone.includeRegNone = true;
    const struct {
        WalkOptions options;
        std::wstring visits;
    } cases[] = {
        {WalkOptions::Tree(scratch.path(), kOddNumberedTypes),
         L"key , key \\A, value \\A:a1, value \\A:a2, key \\A\\Deep, value \\A\\Deep:d, key \\B, "
         L"key \\B\\MyClsidTool, value \\B\\MyClsidTool:m, key \\C, value \\C:a_sz, "
         L"value \\C:d_binary"},
        // The type mask is tested on the type number.
        {WalkOptions::OwnValues(c, kOddNumberedTypes),
         L"key \\C, value \\C:a_sz, value \\C:d_binary"},
        {WalkOptions::OwnValues(c, kAllTypes),
         L"key \\C, value \\C:a_sz, value \\C:b_expand, value \\C:c_dword, value \\C:d_binary"},
        {withNone,
         L"key \\C, value \\C:a_sz, value \\C:b_expand, value \\C:c_dword, "
         L"value \\C:d_binary, value \\C:e_none"},
        {WalkOptions::OwnValues(a, kOddNumberedTypes), L"key \\A, value \\A:a1, value \\A:a2"},
        // Exclusions are case-insensitive substrings tested at every level, the
        // start key too; an empty one excludes nothing.
        {WalkOptions::Tree(scratch.path(), kOddNumberedTypes, {L"clsid", L"a\\DEEP"}),
         L"key , key \\A, value \\A:a1, value \\A:a2, key \\B, key \\C, value \\C:a_sz, "
         L"value \\C:d_binary"},
        {WalkOptions::Tree(scratch.Sub(L"B\\MyClsidTool"), kOddNumberedTypes, {L"CLSID"}), L""},
        {WalkOptions::Tree(deep, kOddNumberedTypes, {L""}), L"key \\A\\Deep, value \\A\\Deep:d"},
        // The start path is trimmed of backslashes; a missing one visits nothing.
        {WalkOptions::Tree(L"\\\\" + deep + L"\\"), L"key \\A\\Deep, value \\A\\Deep:d"},
        {WalkOptions::Tree(scratch.Sub(L"Nope")), L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Joined(Walk(c.options)), c.visits) << c.options.path;
}

TEST_F(WalkTest, StopFlagEndsTheWalkAtOnce) {
    StopFlag stop{false};
    Recorder recorder{scratch.path()};
    recorder.stopAfterFirstValue = &stop;
    WalkOptions options = WalkOptions::Tree(scratch.path(), kOddNumberedTypes);
    options.stop = &stop;
    recorder.Walk(root, options);
    EXPECT_EQ(recorder.visits, (std::vector<std::wstring>{L"key ", L"key \\A", L"value \\A:a1"}));
}

// A key deeper than MAX_PATH characters is walked, each key being opened by
// its name below its parent.
TEST_F(WalkTest, LongNamesLargeDataAndPathsLongerThanMaxPathAreReadWhole) {
    const std::wstring longName(255, L'n'), bigData(100000, L'd'), name(100, L'L');
    ASSERT_TRUE(
        PlantString(root, scratch.Sub(L"Big\\" + std::wstring(200, L'k')), longName, bigData));
    const std::wstring deepest = scratch.Sub(L"Big\\" + name + L"\\" + name + L"\\" + name);
    ASSERT_GT(deepest.size(), 260u);
    ASSERT_TRUE(PlantString(root, deepest, L"deep", L"bottom"));
    Recorder recorder{scratch.Sub(L"Big")};
    recorder.Walk(root, WalkOptions::Tree(scratch.Sub(L"Big")), true);
    EXPECT_EQ(recorder.visits,
              (std::vector<std::wstring>{
                  L"value \\" + std::wstring(200, L'k') + L":" + longName,
                  L"value " + deepest.substr(scratch.Sub(L"Big").size()) + L":deep"}));
    EXPECT_EQ(recorder.texts, (std::vector<std::wstring>{bigData, L"bottom"}));
}

TEST_F(WalkTest, ReadStringValueGivesTextOrNothing) {
    EXPECT_EQ(ReadStringValue(root, scratch.Sub(L"A"), L"a1"), L"one");
    EXPECT_EQ(ReadStringValue(root, scratch.Sub(L"A"), L"missing"), L"");
    // However long: the buffer grows to the value.
    ASSERT_TRUE(PlantString(root, scratch.Sub(L"A"), L"long", std::wstring(70000, L'x')));
    EXPECT_EQ(ReadStringValue(root, scratch.Sub(L"A"), L"long"), std::wstring(70000, L'x'));
    EXPECT_EQ(ReadStringValue(root, scratch.Sub(L"C"), L"c_dword"), L"");
}

// A key that keeps answering "more data": each buffer grows on its own to its
// cap, and an entry is read a few times at most before the walk skips it.
TEST(EnumBuffers, EachBufferStopsAtItsOwnCapAndAnEntryIsReadAFewTimesAtMost) {
    auto readsUntilSkipped = [](auto grow) {
        int attempt = 0;
        while (grow(++attempt)) {
        }
        return attempt;
    };
    EnumBuffers buffers(10, 10, 10);
    auto dataKeepsGrowing = [&](int attempt) {
        return buffers.GrowForValue(static_cast<DWORD>(buffers.data.size() * 3), attempt);
    };
    EXPECT_EQ(readsUntilSkipped(dataKeepsGrowing), EnumBuffers::kAttempts);
    EXPECT_EQ(buffers.valueName.size(), EnumBuffers::kNameCap);
    // Both big enough, so nothing can grow: skipped at once.
    EXPECT_FALSE(buffers.GrowForValue(10, 1));

    auto pastTheCap = [&](int attempt) {
        return buffers.GrowForValue(static_cast<DWORD>(EnumBuffers::kDataCap * 2), attempt);
    };
    EXPECT_EQ(readsUntilSkipped(pastTheCap), 2);
    EXPECT_EQ(buffers.data.size(), EnumBuffers::kDataCap);
    EXPECT_EQ(readsUntilSkipped([&](int attempt) { return buffers.GrowForSubKey(attempt); }), 2);
    EXPECT_EQ(buffers.subKeyName.size(), EnumBuffers::kNameCap);
}

}  // namespace
