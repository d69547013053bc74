#include <gtest/gtest.h>

#include "TestSupport.h"
#include "common/AnsiText.h"
#include "registry/EnumBuffers.h"
#include "registry/Registry.h"

namespace {

// What a walk visits, as "key <path>" and "value <path>:<name>" with paths
// relative to base, and the text of each value.
struct Recorder {
    explicit Recorder(std::string walkBase) : base(std::move(walkBase)) {}
    std::string base;
    std::vector<std::string> visits, texts;
    StopFlag* stopAfterFirstValue = nullptr;

    std::string Relative(const std::string& path) const {
        return path.compare(0, base.size(), base) == 0 ? path.substr(base.size()) : "!" + path;
    }
    // Walks reporting values and, unless valuesOnly, keys.
    Recorder& Walk(HKEY root, const WalkOptions& options, bool valuesOnly = false) {
        auto onValue = [this](const WalkedValue& v) {
            visits.push_back("value " + Relative(v.keyPath) + ":" + std::string(v.name));
            texts.push_back(FormatValueData(v.type, v.data, v.dataLength));
            if (stopAfterFirstValue)
                stopAfterFirstValue->store(true);
        };
        auto onKey = [this](const WalkedKey& key) {
            visits.push_back("key " + Relative(key.path));
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
        const char* path;
        HKEY root;
        const char* subKey;
    } cases[] = {{"\\\\HKEY_USERS\\.DEFAULT\\Software\\\\", HKEY_USERS, ".DEFAULT\\Software"},
                 {"HKEY_CURRENT_USER\\Software\\X\\", HKEY_CURRENT_USER, "Software\\X"},
                 {"hkey_current_user\\\\Odd", HKEY_CURRENT_USER, "\\Odd"}};
    for (const auto& c : cases) {
        SplitPath split = SplitKeyPath(c.path);
        EXPECT_TRUE(split.ok && split.root == c.root && split.subKey == c.subKey) << c.path;
    }
    for (const char* bad : {"HKEY_CURRENT_USER", "HKEY_CURRENT_USER\\", "HKCU\\Software",
                            "HKEY_USERS \\x", "", "\\\\"})
        EXPECT_FALSE(SplitKeyPath(bad).ok) << bad;
}

TEST(FormatValueData, ShowsEachTypeAsTheListsShowIt) {
    std::string sequence;
    for (char c = 0; c < 20; ++c)
        sequence += c;
    const std::string twenty = "00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10 11 12 13";
    const struct {
        DWORD type;
        std::string data, text;
    } cases[] = {
        // Strings stop at the first NUL.
        {REG_SZ, std::string("ab\0c\0", 5), "ab"},
        // Twenty bytes show whole; more end in dots (see the search by data).
        {REG_BINARY, sequence, twenty},
        // Hex and signed decimal; short data has no number to read.
        {REG_DWORD, std::string("\0\0\0\x80", 4), "0x80000000 (-2147483648)"},
        {REG_DWORD, std::string("\x0a\0", 2), ""},
        // Joined up to the empty string (the search shows the join).
        {REG_MULTI_SZ, std::string("\0", 1), ""},
        {REG_MULTI_SZ, std::string("a\0\0z\0\0", 6), "a"},
        // Other types show nothing.
        {REG_QWORD, "12345678", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatValueData(c.type, reinterpret_cast<const BYTE*>(c.data.data()),
                                  static_cast<DWORD>(c.data.size())),
                  c.text)
            << c.type << " " << c.text;
    }
    // Never past the length, terminated or not.
    EXPECT_EQ(FormatValueData(REG_SZ, reinterpret_cast<const BYTE*>("abcd"), 3), "abc");
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
        ASSERT_TRUE(PlantString(root, scratch.Sub("A"), "a1", "one"));
        ASSERT_TRUE(PlantString(root, scratch.Sub("A"), "a2", "two"));
        ASSERT_TRUE(PlantString(root, scratch.Sub("A\\Deep"), "d", "deep"));
        ASSERT_TRUE(PlantString(root, scratch.Sub("B\\MyClsidTool"), "m", "tool"));
        ASSERT_TRUE(PlantString(root, scratch.Sub("C"), "a_sz", "text"));
        ASSERT_TRUE(PlantString(root, scratch.Sub("C"), "b_expand", "%x%", REG_EXPAND_SZ));
        ASSERT_TRUE(PlantDword(root, scratch.Sub("C"), "c_dword", 7));
        ASSERT_TRUE(PlantValue(root, scratch.Sub("C"), "d_binary", REG_BINARY, "\x01\x02"));
        ASSERT_TRUE(PlantValue(root, scratch.Sub("C"), "e_none", REG_NONE, "\x01"));
    }

    std::vector<std::string> Walk(const WalkOptions& options) {
        return Recorder{scratch.path()}.Walk(root, options).visits;
    }

    HKEY root = HKEY_CURRENT_USER;
    ScratchKey scratch{"Walk"};
};

// Visits joined by ", ".
std::string Joined(const std::vector<std::string>& visits) {
    std::string text;
    for (const std::string& visit : visits)
        text += (text.empty() ? "" : ", ") + visit;
    return text;
}

TEST_F(WalkTest, VisitsDepthFirstWithValuesBeforeChildrenWithinTypeMaskAndExclusions) {
    const std::string a = scratch.Sub("A"), c = scratch.Sub("C"), deep = scratch.Sub("A\\Deep");
    WalkOptions withNone = WalkOptions::OwnValues(c, kAllTypes);
    withNone.includeRegNone = true;
    const struct {
        WalkOptions options;
        std::string visits;
    } cases[] = {
        {WalkOptions::Tree(scratch.path(), kOddNumberedTypes),
         "key , key \\A, value \\A:a1, value \\A:a2, key \\A\\Deep, value \\A\\Deep:d, key \\B, "
         "key \\B\\MyClsidTool, value \\B\\MyClsidTool:m, key \\C, value \\C:a_sz, "
         "value \\C:d_binary"},
        // The type mask is tested on the type number.
        {WalkOptions::OwnValues(c, kOddNumberedTypes),
         "key \\C, value \\C:a_sz, value \\C:d_binary"},
        {WalkOptions::OwnValues(c, kAllTypes),
         "key \\C, value \\C:a_sz, value \\C:b_expand, value \\C:c_dword, value \\C:d_binary"},
        {withNone,
         "key \\C, value \\C:a_sz, value \\C:b_expand, value \\C:c_dword, "
         "value \\C:d_binary, value \\C:e_none"},
        {WalkOptions::OwnValues(a, kOddNumberedTypes), "key \\A, value \\A:a1, value \\A:a2"},
        // Exclusions are case-insensitive substrings tested at every level, the
        // start key too; an empty one excludes nothing.
        {WalkOptions::Tree(scratch.path(), kOddNumberedTypes, {"clsid", "a\\DEEP"}),
         "key , key \\A, value \\A:a1, value \\A:a2, key \\B, key \\C, value \\C:a_sz, "
         "value \\C:d_binary"},
        {WalkOptions::Tree(scratch.Sub("B\\MyClsidTool"), kOddNumberedTypes, {"CLSID"}), ""},
        {WalkOptions::Tree(deep, kOddNumberedTypes, {""}), "key \\A\\Deep, value \\A\\Deep:d"},
        // The start path is trimmed of backslashes; a missing one visits nothing.
        {WalkOptions::Tree("\\\\" + deep + "\\"), "key \\A\\Deep, value \\A\\Deep:d"},
        {WalkOptions::Tree(scratch.Sub("Nope")), ""},
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
    EXPECT_EQ(recorder.visits, (std::vector<std::string>{"key ", "key \\A", "value \\A:a1"}));
}

// Wine's narrow open takes at most 260 characters of path; a key deeper than
// that is still walked, each key being opened by its name below its parent.
TEST_F(WalkTest, LongNamesLargeDataAndPathsLongerThanMaxPathAreReadWhole) {
    const std::string longName(255, 'n'), bigData(100000, 'd'), name(100, 'L');
    ASSERT_TRUE(PlantString(root, scratch.Sub("Big\\" + std::string(200, 'k')), longName, bigData));
    const std::string deepest = scratch.Sub("Big\\" + name + "\\" + name + "\\" + name);
    ASSERT_GT(deepest.size(), 260u);
    // Planted through the wide interface, which has no such limit.
    UniqueRegKey key;
    ASSERT_EQ(RegCreateKeyExW(root, WideFromAnsi(deepest).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), L"deep", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(L"bottom"), sizeof(L"bottom")),
              ERROR_SUCCESS);
    Recorder recorder{scratch.Sub("Big")};
    recorder.Walk(root, WalkOptions::Tree(scratch.Sub("Big")), true);
    EXPECT_EQ(
        recorder.visits,
        (std::vector<std::string>{"value \\" + std::string(200, 'k') + ":" + longName,
                                  "value " + deepest.substr(scratch.Sub("Big").size()) + ":deep"}));
    EXPECT_EQ(recorder.texts, (std::vector<std::string>{bigData, "bottom"}));
}

TEST_F(WalkTest, ReadStringValueGivesTextOrNothing) {
    EXPECT_EQ(ReadStringValue(root, scratch.Sub("A"), "a1"), "one");
    EXPECT_EQ(ReadStringValue(root, scratch.Sub("A"), "missing"), "");
    ASSERT_TRUE(PlantString(root, scratch.Sub("A"), "long", std::string(300, 'x')));
    EXPECT_EQ(ReadStringValue(root, scratch.Sub("A"), "long"), "");
    ASSERT_TRUE(PlantString(root, scratch.Sub("A"), "fits", std::string(254, 'y')));
    EXPECT_EQ(ReadStringValue(root, scratch.Sub("A"), "fits"), std::string(254, 'y'));
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

// Under code page 932 the second byte of many characters is 0x5C, the backslash.
TEST(Multibyte, TrailBytesAreNeverTakenForBackslashes) {
    ASSERT_EQ(GetACP(), 932u);
    const std::string hyou = "\x95\x5c";  // a kanji whose trail byte is a backslash
    ScratchKey scratch("Mb");
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, scratch.Sub(hyou), "v", "x"));
    Recorder recorder{scratch.path()};
    recorder.Walk(HKEY_CURRENT_USER, WalkOptions::Tree(scratch.Sub(hyou) + "\\"));
    EXPECT_EQ(recorder.visits,
              (std::vector<std::string>{"key \\" + hyou, "value \\" + hyou + ":v"}));

    SplitPath split = SplitKeyPath("HKEY_CURRENT_USER\\" + scratch.Sub(hyou) + "\\");
    ASSERT_TRUE(split.ok);
    EXPECT_EQ(split.subKey, scratch.Sub(hyou));
    // "\\x" is not in "<kanji>x": the backslash there is half of a character.
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, scratch.Sub(hyou + "x"), "w", "y"));
    recorder.visits.clear();
    recorder.Walk(HKEY_CURRENT_USER, WalkOptions::Tree(scratch.Sub(hyou + "x"), kAllTypes, {"\\x"}),
                  true);
    EXPECT_EQ(recorder.visits, std::vector<std::string>{"value \\" + hyou + "x:w"});
}

}  // namespace
