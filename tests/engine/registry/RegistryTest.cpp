#include <gtest/gtest.h>

#include "TestSupport.h"
#include "common/AnsiText.h"
#include "registry/EnumBuffers.h"
#include "registry/Registry.h"

namespace {

struct Visit {
    std::string kind;  // "key" or "value"
    std::string path;
    std::string name;
    DWORD type;
    std::string text;
};

struct Recorder {
    std::vector<Visit> visits;
    StopFlag* stopAfterFirstValue = nullptr;

    void OnValue(const WalkedValue& v) {
        visits.push_back({"value", v.keyPath, std::string(v.name), v.type,
                          FormatValueData(v.type, v.data, v.dataLength)});
        if (stopAfterFirstValue)
            stopAfterFirstValue->store(true);
    }
    void OnKey(const WalkedKey& key) { visits.push_back({"key", key.path, "", 0, ""}); }

    void Walk(HKEY root, const WalkOptions& options) {
        WalkKey(
            root, options, [this](const WalkedValue& v) { OnValue(v); },
            [this](const WalkedKey& key) { OnKey(key); });
    }
    void WalkValues(HKEY root, const WalkOptions& options) {
        WalkKey(root, options, [this](const WalkedValue& v) { OnValue(v); });
    }
};

std::vector<std::string> Describe(const std::vector<Visit>& visits, const std::string& base) {
    std::vector<std::string> out;
    for (const Visit& v : visits) {
        std::string path =
            v.path.compare(0, base.size(), base) == 0 ? v.path.substr(base.size()) : "!" + v.path;
        out.push_back(v.kind == "key" ? "key " + path : "value " + path + ":" + v.name);
    }
    return out;
}

TEST(RootKeyTable, NamesAndHandlesConvertBothWays) {
    EXPECT_EQ(RootKeyName(HKEY_LOCAL_MACHINE), "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(RootKeyName(HKEY_DYN_DATA), "HKEY_DYN_DATA");
    EXPECT_EQ(RootKeyName(nullptr), "");
    EXPECT_EQ(RootKeyFromName("hkey_local_machine"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RootKeyFromName("Hkey_Users"), HKEY_USERS);
    EXPECT_EQ(RootKeyFromName("HKEY_USERS "), nullptr);
    EXPECT_EQ(RootKeyFromName("HKCU"), nullptr);
    EXPECT_EQ(RootKeyFromName("HKEY_LOCAL_MACHINE\\"), nullptr);
    std::size_t count = 0;
    const RootKeyEntry* table = RootKeyTable(&count);
    ASSERT_EQ(count, 7u);
    EXPECT_STREQ(table[0].name, "HKEY_CLASSES_ROOT");
    EXPECT_STREQ(table[6].name, "HKEY_DYN_DATA");
}

TEST(SplitKeyPath, TrimsOuterBackslashesAndKeepsInnerOnes) {
    SplitPath split = SplitKeyPath("\\\\HKEY_USERS\\.DEFAULT\\Software\\\\");
    ASSERT_TRUE(split.ok);
    EXPECT_EQ(split.root, HKEY_USERS);
    EXPECT_EQ(split.subKey, ".DEFAULT\\Software");

    split = SplitKeyPath("HKEY_CURRENT_USER\\Software\\X\\");
    ASSERT_TRUE(split.ok);
    EXPECT_EQ(split.root, HKEY_CURRENT_USER);
    EXPECT_EQ(split.subKey, "Software\\X");

    split = SplitKeyPath("hkey_current_user\\\\Odd");
    ASSERT_TRUE(split.ok);
    EXPECT_EQ(split.subKey, "\\Odd");

    EXPECT_FALSE(SplitKeyPath("HKEY_CURRENT_USER").ok);
    EXPECT_FALSE(SplitKeyPath("HKEY_CURRENT_USER\\").ok);
    EXPECT_FALSE(SplitKeyPath("HKCU\\Software").ok);
    EXPECT_FALSE(SplitKeyPath("").ok);
    EXPECT_FALSE(SplitKeyPath("\\\\").ok);
}

TEST(FormatValueData, StringsStopAtTheFirstNulAndNeverPassTheLength) {
    const BYTE withNul[] = {'a', 'b', 0, 'c', 0};
    EXPECT_EQ(FormatValueData(REG_SZ, withNul, sizeof(withNul)), "ab");
    EXPECT_EQ(FormatValueData(REG_EXPAND_SZ, reinterpret_cast<const BYTE*>("%windir%\\x"), 11),
              "%windir%\\x");
    const BYTE unterminated[] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(FormatValueData(REG_SZ, unterminated, 3), "abc");
    EXPECT_EQ(FormatValueData(REG_SZ, unterminated, 0), "");
}

TEST(FormatValueData, BinaryShowsTwentyBytesThenDots) {
    std::vector<BYTE> bytes(25);
    for (int i = 0; i < 25; ++i)
        bytes[i] = static_cast<BYTE>(i);
    EXPECT_EQ(FormatValueData(REG_BINARY, bytes.data(), 25),
              "00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10 11 12 13...");
    EXPECT_EQ(FormatValueData(REG_BINARY, bytes.data(), 20),
              "00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10 11 12 13");
    const BYTE ff[] = {0xff, 0xAB};
    EXPECT_EQ(FormatValueData(REG_BINARY, ff, 2), "ff ab");
    EXPECT_EQ(FormatValueData(REG_BINARY, ff, 0), "");
}

TEST(FormatValueData, DwordShowsHexAndSignedDecimal) {
    DWORD value = 0x80000000;
    EXPECT_EQ(FormatValueData(REG_DWORD, reinterpret_cast<BYTE*>(&value), 4),
              "0x80000000 (-2147483648)");
    value = 0xFFFFFFFF;
    EXPECT_EQ(FormatValueData(REG_DWORD, reinterpret_cast<BYTE*>(&value), 4), "0xffffffff (-1)");
    value = 10;
    EXPECT_EQ(FormatValueData(REG_DWORD, reinterpret_cast<BYTE*>(&value), 4), "0x0000000a (10)");
    // Short data has no number to read.
    EXPECT_EQ(FormatValueData(REG_DWORD, reinterpret_cast<BYTE*>(&value), 2), "");
}

TEST(FormatValueData, MultiStringJoinsUpToTheEmptyString) {
    const BYTE list[] = {'a', 0, 'b', 0, 0};
    EXPECT_EQ(FormatValueData(REG_MULTI_SZ, list, sizeof(list)), "a b");
    const BYTE empty[] = {0};
    EXPECT_EQ(FormatValueData(REG_MULTI_SZ, empty, 1), "");
    const BYTE unterminated[] = {'a', 0, 'b', 'c'};
    EXPECT_EQ(FormatValueData(REG_MULTI_SZ, unterminated, sizeof(unterminated)), "a bc");
    const BYTE afterEmpty[] = {'a', 0, 0, 'z', 0, 0};
    EXPECT_EQ(FormatValueData(REG_MULTI_SZ, afterEmpty, sizeof(afterEmpty)), "a");
}

TEST(FormatValueData, OtherTypesShowNothing) {
    const BYTE bytes[] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (DWORD type :
         std::vector<DWORD>{REG_NONE, REG_DWORD_BIG_ENDIAN, REG_LINK, REG_RESOURCE_LIST, REG_QWORD,
                            static_cast<DWORD>(0x1234)}) {
        EXPECT_EQ(FormatValueData(type, bytes, sizeof(bytes)), "") << type;
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
        ASSERT_TRUE(PlantString(root, scratch.Sub("A"), "a1", "one"));
        ASSERT_TRUE(PlantString(root, scratch.Sub("A"), "a2", "two"));
        ASSERT_TRUE(PlantString(root, scratch.Sub("A\\Deep"), "d", "deep"));
        ASSERT_TRUE(PlantString(root, scratch.Sub("B\\MyClsidTool"), "m", "tool"));
        ASSERT_TRUE(PlantString(root, scratch.Sub("C"), "a_sz", "text"));
        ASSERT_TRUE(PlantString(root, scratch.Sub("C"), "b_expand", "%x%", REG_EXPAND_SZ));
        ASSERT_TRUE(PlantDword(root, scratch.Sub("C"), "c_dword", 7));
        ASSERT_TRUE(PlantValue(root, scratch.Sub("C"), "d_binary", REG_BINARY, "\x01\x02", 2));
        ASSERT_TRUE(PlantValue(root, scratch.Sub("C"), "e_none", REG_NONE, "\x01", 1));
    }

    std::vector<std::string> Walk(const WalkOptions& options) {
        Recorder recorder;
        recorder.Walk(root, options);
        return Describe(recorder.visits, scratch.path());
    }

    HKEY root = HKEY_CURRENT_USER;
    ScratchKey scratch{"Walk"};
};

TEST_F(WalkTest, VisitsDepthFirstPreOrderWithValuesBeforeChildren) {
    std::vector<std::string> expected = {
        "key ",
        "key \\A",
        "value \\A:a1",
        "value \\A:a2",
        "key \\A\\Deep",
        "value \\A\\Deep:d",
        "key \\B",
        "key \\B\\MyClsidTool",
        "value \\B\\MyClsidTool:m",
        "key \\C",
        "value \\C:a_sz",
        "value \\C:d_binary",
    };
    EXPECT_EQ(Walk(WalkOptions::Tree(scratch.path(), kOddNumberedTypes)), expected);
}

TEST_F(WalkTest, TypeMaskIsTestedOnTheTypeNumber) {
    auto visits = Walk(WalkOptions::OwnValues(scratch.Sub("C"), kOddNumberedTypes));
    EXPECT_EQ(visits,
              (std::vector<std::string>{"key \\C", "value \\C:a_sz", "value \\C:d_binary"}));
    WalkOptions all = WalkOptions::OwnValues(scratch.Sub("C"), kAllTypes);
    visits = Walk(all);
    EXPECT_EQ(visits, (std::vector<std::string>{"key \\C", "value \\C:a_sz", "value \\C:b_expand",
                                                "value \\C:c_dword", "value \\C:d_binary"}));
    all.includeRegNone = true;
    visits = Walk(all);
    EXPECT_EQ(visits.back(), "value \\C:e_none");
}

TEST_F(WalkTest, ExclusionIsACaseInsensitiveSubstringAtEveryLevel) {
    auto visits = Walk(WalkOptions::Tree(scratch.path(), kOddNumberedTypes, {"clsid", "a\\DEEP"}));
    std::vector<std::string> expected = {"key ",           "key \\A",           "value \\A:a1",
                                         "value \\A:a2",   "key \\B",           "key \\C",
                                         "value \\C:a_sz", "value \\C:d_binary"};
    EXPECT_EQ(visits, expected);
    // The start key itself is tested too.
    EXPECT_TRUE(Walk(WalkOptions::Tree(scratch.Sub("B\\MyClsidTool"), kOddNumberedTypes, {"CLSID"}))
                    .empty());
    // An empty entry excludes nothing.
    EXPECT_EQ(Walk(WalkOptions::Tree(scratch.Sub("A\\Deep"), kOddNumberedTypes, {""})).size(), 2u);
}

TEST_F(WalkTest, RecurseOffVisitsOnlyTheStartKeysOwnValues) {
    EXPECT_EQ(Walk(WalkOptions::OwnValues(scratch.Sub("A"), kOddNumberedTypes)),
              (std::vector<std::string>{"key \\A", "value \\A:a1", "value \\A:a2"}));
}

TEST_F(WalkTest, StartPathIsTrimmedOfBackslashes) {
    Recorder recorder;
    recorder.Walk(root,
                  WalkOptions::Tree("\\\\" + scratch.Sub("A\\Deep") + "\\", kOddNumberedTypes));
    ASSERT_EQ(recorder.visits.size(), 2u);
    EXPECT_EQ(recorder.visits[0].path, scratch.Sub("A\\Deep"));
    EXPECT_EQ(recorder.visits[1].text, "deep");
}

TEST_F(WalkTest, MissingStartKeyVisitsNothing) {
    EXPECT_TRUE(Walk(WalkOptions::Tree(scratch.Sub("Nope"))).empty());
}

TEST_F(WalkTest, StopFlagEndsTheWalkAtOnce) {
    StopFlag stop{false};
    Recorder recorder;
    recorder.stopAfterFirstValue = &stop;
    WalkOptions options = WalkOptions::Tree(scratch.path(), kOddNumberedTypes);
    options.stop = &stop;
    recorder.Walk(root, options);
    auto visits = Describe(recorder.visits, scratch.path());
    EXPECT_EQ(visits, (std::vector<std::string>{"key ", "key \\A", "value \\A:a1"}));
}

TEST_F(WalkTest, LongNamesAndLargeDataAreReadWhole) {
    std::string longName(255, 'n');
    std::string bigData(100000, 'd');
    ASSERT_TRUE(PlantString(root, scratch.Sub("Big\\" + std::string(200, 'k')), longName, bigData));
    Recorder recorder;
    recorder.WalkValues(root, WalkOptions::Tree(scratch.Sub("Big"), kOddNumberedTypes));
    ASSERT_EQ(recorder.visits.size(), 1u);
    EXPECT_EQ(recorder.visits[0].name, longName);
    EXPECT_EQ(recorder.visits[0].text, bigData);
}

// Wine's narrow open takes at most 260 characters of path; a key deeper than
// that is still walked, each key being opened by its name below its parent.
TEST_F(WalkTest, KeysWhosePathIsLongerThanMaxPathAreWalked) {
    const std::string name(100, 'L');
    const std::string deepest = scratch.Sub("Long\\" + name + "\\" + name + "\\" + name);
    ASSERT_GT(deepest.size(), 260u);
    // Planted through the wide interface, which has no such limit.
    UniqueRegKey key;
    ASSERT_EQ(RegCreateKeyExW(root, WideFromAnsi(deepest).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), L"deep", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(L"bottom"), sizeof(L"bottom")),
              ERROR_SUCCESS);
    Recorder recorder;
    recorder.WalkValues(root, WalkOptions::Tree(scratch.Sub("Long"), kOddNumberedTypes));
    ASSERT_EQ(recorder.visits.size(), 1u);
    EXPECT_EQ(recorder.visits[0].path, deepest);
    EXPECT_EQ(recorder.visits[0].text, "bottom");
}

TEST_F(WalkTest, EnumSubKeysListsDirectChildrenWithTheTrimmedParentPath) {
    std::vector<std::string> seen;
    auto recordSubKey = [&seen](const SubKey& key) {
        seen.push_back(key.parentPath + "|" + std::string(key.name));
    };
    EnumSubKeys(root, " \\" + scratch.path() + "\\ ", recordSubKey);
    EXPECT_EQ(seen, (std::vector<std::string>{scratch.path() + "|A", scratch.path() + "|B",
                                              scratch.path() + "|C"}));
    seen.clear();
    EnumSubKeys(root, scratch.Sub("Nope"), recordSubKey);
    EXPECT_TRUE(seen.empty());
}

TEST_F(WalkTest, ReadStringValueGivesTextOrNothing) {
    EXPECT_EQ(ReadStringValue(root, scratch.Sub("A"), "a1"), "one");
    EXPECT_EQ(ReadStringValue(root, scratch.Sub("A"), "missing"), "");
    EXPECT_EQ(ReadStringValue(root, scratch.Sub("Nope"), "a1"), "");
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
    Recorder recorder;
    recorder.Walk(HKEY_CURRENT_USER,
                  WalkOptions::Tree(scratch.Sub(hyou) + "\\", kOddNumberedTypes));
    ASSERT_EQ(recorder.visits.size(), 2u);
    EXPECT_EQ(recorder.visits[0].path, scratch.Sub(hyou));

    SplitPath split = SplitKeyPath("HKEY_CURRENT_USER\\" + scratch.Sub(hyou) + "\\");
    ASSERT_TRUE(split.ok);
    EXPECT_EQ(split.subKey, scratch.Sub(hyou));
    // "\\x" is not in "<kanji>x": the backslash there is half of a character.
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, scratch.Sub(hyou + "x"), "w", "y"));
    recorder.visits.clear();
    recorder.WalkValues(HKEY_CURRENT_USER,
                        WalkOptions::Tree(scratch.Sub(hyou + "x"), kOddNumberedTypes, {"\\x"}));
    EXPECT_EQ(recorder.visits.size(), 1u);
}

}  // namespace
