#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "search/SearchEngine.h"

namespace {

using Texts = std::vector<std::string>;

// mode: any of "w" (wildcard), "f" (full word), "c" (letter case matters),
// "k", "v", "d" (key names, value names, data: all three when none is given).
SearchOptions Options(const std::string& keyword, const std::string& mode = "") {
    auto has = [&mode](char c) { return mode.find(c) != std::string::npos; };
    SearchOptions options;
    options.keyword = keyword;
    options.useWildcard = has('w');
    options.fullWordMatch = has('f');
    options.caseSensitive = has('c');
    const bool all = !has('k') && !has('v') && !has('d');
    options.includeKey = all || has('k');
    options.includeValue = all || has('v');
    options.includeData = all || has('d');
    options.searchHkcu = true;
    return options;
}

TEST(MatchText, EachModeMatchesWhatItPromises) {
    const struct {
        std::string keyword, mode;
        Texts matching, other;
    } cases[] = {
        {"run", "", {"Run", "RunOnce", "C:\\RUN\\tool.exe"}, {"Ru n", ""}},
        {"Run", "c", {"RunOnce"}, {"RUNONCE", "run"}},
        {"run", "f", {"Run", "RUN"}, {"RunOnce", " run"}},
        {"run", "fc", {"run"}, {"Run"}},
        {"a*c", "w", {"abc", "ac", "ABC"}, {"abcd", "xabc"}},
        {"a?c", "w", {"abc"}, {"ac", "abbc"}},
        {"A*", "wc", {"Abc"}, {"abc"}},
        // With full word the star is taken literally.
        {"a*", "wf", {"a*", "A*"}, {"abc", "a", "a**"}},
    };
    for (const auto& c : cases) {
        for (const std::string& text : c.matching)
            EXPECT_TRUE(MatchText(text, Options(c.keyword, c.mode))) << c.keyword << " " << text;
        for (const std::string& text : c.other)
            EXPECT_FALSE(MatchText(text, Options(c.keyword, c.mode))) << c.keyword << " " << text;
    }
}

TEST(MatchText, MultibyteTrailBytesAreNeverMatched) {
    // Under code page 932, 0x83 0x5C is one character whose trail byte is a
    // backslash, and 0x83 0x41 one whose trail byte is 'A'.
    ASSERT_EQ(GetACP(), 932u);
    const std::string so = "\x83\x5c";
    const std::string a = "\x83\x41";
    EXPECT_FALSE(MatchText("x" + so + "y", Options("\\")));
    EXPECT_FALSE(MatchText(a, Options("a")));
    EXPECT_FALSE(MatchText(a, Options("A", "c")));
    EXPECT_TRUE(MatchText("Key" + a + "Name", Options("key" + a)));
    EXPECT_TRUE(MatchText(a, Options(a, "f")));
    // "?" stands for one byte, so a double-byte character needs two.
    EXPECT_TRUE(MatchText(a, Options("??", "w")));
    EXPECT_FALSE(MatchText(a, Options("?", "w")));
}

class SearchRunTest : public ::testing::Test {
  protected:
    std::string Path(const std::string& relative = std::string()) const {
        return relative.empty() ? scratch.path() : scratch.Sub(relative);
    }

    // The rows under the scratch key as "image|key|value|data|type", the key
    // relative to the scratch key ("." for the scratch key itself).
    Texts Under(const Texts& rows) const {
        Texts out;
        const std::string& base = scratch.path();
        for (const std::string& row : rows) {
            const std::string key = Field(row, 2, '|');
            if (key.compare(0, base.size(), base) != 0 ||
                (key.size() > base.size() && key[base.size()] != '\\')) {
                continue;
            }
            std::string relative = key.size() == base.size() ? "." : key.substr(base.size() + 1);
            out.push_back(Field(row, 0, '|') + "|" + relative + "|" + Field(row, 3, '|') + "|" +
                          Field(row, 4, '|') + "|" + Field(row, 5, '|'));
        }
        return out;
    }

    Texts Search(const SearchOptions& options) {
        RecordingSink sink;
        SearchRun(options, sink, SearchStatus(), nullptr);
        return Under(sink.rows);
    }

    LanguageFileScope language{std::vector<std::string>{"_PageRegistrySearchKeyFlagString=<key>",
                                                        "_PageRegistrySearchState2=Looking at %s",
                                                        "_PageRegistrySearchState3=Done."}};
    ScratchKey scratch{"Search"};
};

TEST_F(SearchRunTest, OptionsApplyToKeyNamesValueNamesAndDataInWalkOrder) {
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, Path("Run\\RunOnce")));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path("Run"), "run", "RUN"));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path("Run"), "Runner", "Run"));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path("Apps"), "RunOnce", "x"));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path("Apps"), "Path", "C:\\RUN\\tool.exe"));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path("Apps"), "Other", "nothing"));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path("Apps"), "Expand", "%RUNDIR%", REG_EXPAND_SZ));
    for (const char* name : {"abc", "xabc"})
        ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, Path(std::string("W\\") + name)));
    // Data is searched through its display text; REG_NONE values are never found.
    std::string early(25, '\x11'), late(25, '\x11');
    early.replace(3, 2, "\x0a\x1b");
    late.replace(20, 2, "\x0a\x1b");
    ASSERT_TRUE(PlantValue(HKEY_CURRENT_USER, Path("Data"), "early", REG_BINARY, early));
    ASSERT_TRUE(PlantValue(HKEY_CURRENT_USER, Path("Data"), "late", REG_BINARY, late));
    ASSERT_TRUE(PlantDword(HKEY_CURRENT_USER, Path("Data"), "dword", 255));
    ASSERT_TRUE(PlantValue(HKEY_CURRENT_USER, Path("Data"), "multi", REG_MULTI_SZ,
                           std::string("first\0FF second\0", 17)));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path("Data"), "", "default"));
    ASSERT_TRUE(PlantValue(HKEY_CURRENT_USER, Path("Data"), "none", REG_NONE, "none"));
    const std::string expand = "1|Apps|Expand|%RUNDIR%|2", path = "1|Apps|Path|C:\\RUN\\tool.exe|1";
    const std::string runOnceValue = "1|Apps|RunOnce|x|1", runKey = "0|Run|<key>||-1";
    const std::string run = "1|Run|run|RUN|1", runner = "1|Run|Runner|Run|1";
    const std::string runOnceKey = "0|Run\\RunOnce|<key>||-1";
    const std::string dword = "2|Data|dword|0x000000ff (255)|4";
    const struct {
        std::string keyword, mode;
        Texts rows;
    } cases[] = {
        // A value whose name and data both match gives one row.
        {"run", "", {expand, path, runOnceValue, runKey, run, runner, runOnceKey}},
        {"run", "k", {runKey, runOnceKey}},
        {"run", "v", {runOnceValue, run, runner}},
        {"run", "d", {expand, path, run, runner}},
        // Wildcards match a key's own name, not its path.
        {"a*c", "w", {"0|W\\abc|<key>||-1"}},
        {"0a 1b",
         "d",
         {"2|Data|early|11 11 11 0a 1b 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11...|3"}},
        {"255", "d", {dword}},
        {"ff", "d", {dword, "1|Data|multi|first FF second|7"}},
        {"default", "", {"1|Data||default|1"}},
        {"none", "", {}},
        {"", "", {}},  // an empty keyword finds nothing
    };
    for (const auto& c : cases)
        EXPECT_EQ(Search(Options(c.keyword, c.mode)), c.rows) << c.keyword << " " << c.mode;

    // "*" finds the root itself first, with an empty key path.
    StopFlag stop{false};
    RecordingSink sink;
    sink.stop = &stop;
    sink.stopAfterRows = 1;
    SearchRun(Options("*", "w"), sink, SearchStatus(), &stop);
    EXPECT_EQ(sink.rows, Texts{"0|HKEY_CURRENT_USER||<key>||-1"});
}

TEST_F(SearchRunTest, MultibyteKeyNameIsNotCutAtATrailByte) {
    // Under code page 932 the second byte of 0x83 0x5C is a backslash; the key
    // test must still see the whole name.
    ASSERT_EQ(GetACP(), 932u);
    const std::string name =
        "A\x83\x5c"
        "B";
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, Path(name)));
    EXPECT_EQ(Search(Options(name, "f")), (Texts{"0|" + name + "|<key>||-1"}));
}

TEST_F(SearchRunTest, StatusShowsEveryVisitedKeyThenTheEndText) {
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, Path("B")));
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, Path("a\\c")));
    RecordingSink sink;
    std::string texts;
    SearchRun(
        Options("zzz-not-there"), sink, [&](const std::string& text) { texts += text + ";"; },
        nullptr);
    const std::string mine = "Looking at " + Path();
    EXPECT_EQ(texts.rfind("Looking at ;", 0), 0u);
    EXPECT_NE(texts.find(";" + mine + ";" + mine + "\\a;" + mine + "\\a\\c;" + mine + "\\B;"),
              std::string::npos);
    EXPECT_EQ(texts.substr(texts.size() - 6), "Done.;");
}

TEST_F(SearchRunTest, StopEndsTheRunWithoutFurtherRowsOrStatus) {
    for (const char* name : {"zdvstopmark1", "zdvstopmark2", "zdvstopmark3", "zdvstopmark4"})
        ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path("Stop"), name, "x"));
    StopFlag stop{false};
    RecordingSink sink;
    sink.stop = &stop;
    sink.stopAfterRows = 2;
    Texts texts;
    auto status = [&](const std::string& text) { texts.push_back(text); };
    SearchOptions options = Options("zdvstopmark");
    // HKEY_USERS holds the same keys again, so a stop that did not hold would show.
    options.searchHklm = options.searchHku = options.searchHkcc = true;
    EXPECT_EQ(SearchRun(options, sink, status, &stop), SearchEnd::Stopped);
    EXPECT_EQ(sink.rows.size(), 2u);
    EXPECT_EQ(Under(sink.rows), (Texts{"1|Stop|zdvstopmark1|x|1", "1|Stop|zdvstopmark2|x|1"}));
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), "Looking at " + Path("Stop"));

    // A run asked to stop before it starts adds nothing and says nothing.
    texts.clear();
    EXPECT_EQ(SearchRun(options, sink, status, &stop), SearchEnd::Stopped);
    EXPECT_EQ(sink.rows.size(), 2u);
    EXPECT_TRUE(texts.empty());
}

TEST(SearchRoots, AreWalkedInFixedOrderEachFromItsRoot) {
    // A class key of HKEY_LOCAL_MACHINE shows under HKEY_CLASSES_ROOT too, a key
    // of HKEY_CURRENT_USER under HKEY_USERS, and one of HKEY_CURRENT_CONFIG
    // under HKEY_LOCAL_MACHINE.
    ScratchKey scratch("RootOrder");
    std::string name = "ZdvRootOrder" + std::to_string(GetCurrentProcessId());
    PlantedKey classes(HKEY_LOCAL_MACHINE, "Software\\Classes\\" + name);
    PlantedKey config(HKEY_CURRENT_CONFIG, name);
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, scratch.Sub(name)));
    // Chosen in reverse, walked in the fixed order all the same.
    SearchOptions options = Options(name, "fk");
    options.searchHkcc = options.searchHku = options.searchHklm = options.searchHkcr = true;
    RecordingSink sink;
    SearchRun(options, sink, SearchStatus(), nullptr);

    Texts roots;
    for (const std::string& row : sink.rows) {
        if (roots.empty() || roots.back() != Field(row, 1, '|'))
            roots.push_back(Field(row, 1, '|'));
    }
    EXPECT_EQ(roots, (Texts{"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                            "HKEY_USERS", "HKEY_CURRENT_CONFIG"}));
    ASSERT_GE(sink.rows.size(), 5u);
    EXPECT_EQ(Field(sink.rows[0], 2, '|') + "|" + Field(sink.rows[1], 2, '|') + "|" +
                  Field(sink.rows[2], 2, '|') + "|" + Field(sink.rows.back(), 2, '|'),
              name + "|" + scratch.Sub(name) + "|" + classes.path() + "|" + name);
}

}  // namespace
