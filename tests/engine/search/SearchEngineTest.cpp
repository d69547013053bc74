#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "text/LanguageTable.h"
#include "search/SearchEngine.h"

namespace {

SearchOptions Mode(const std::string& keyword, bool wildcard, bool fullWord, bool caseSensitive) {
    SearchOptions options;
    options.keyword = keyword;
    options.useWildcard = wildcard;
    options.fullWordMatch = fullWord;
    options.caseSensitive = caseSensitive;
    return options;
}

TEST(MatchText, SubstringModeFindsKeywordAnywhereIgnoringCase) {
    SearchOptions run = Mode("run", false, false, false);
    EXPECT_TRUE(MatchText("Run", run));
    EXPECT_TRUE(MatchText("RunOnce", run));
    EXPECT_TRUE(MatchText("C:\\RUN\\tool.exe", run));
    EXPECT_FALSE(MatchText("Ru n", run));
    EXPECT_FALSE(MatchText("", run));

    SearchOptions upper = Mode("RUN", false, false, false);
    EXPECT_TRUE(MatchText("prerunning", upper));

    SearchOptions exactCase = Mode("Run", false, false, true);
    EXPECT_TRUE(MatchText("RunOnce", exactCase));
    EXPECT_FALSE(MatchText("RUNONCE", exactCase));
    EXPECT_FALSE(MatchText("run", exactCase));
}

TEST(MatchText, FullWordModeWantsTheWholeText) {
    SearchOptions run = Mode("run", false, true, false);
    EXPECT_TRUE(MatchText("Run", run));
    EXPECT_TRUE(MatchText("RUN", run));
    EXPECT_FALSE(MatchText("RunOnce", run));
    EXPECT_FALSE(MatchText(" run", run));

    SearchOptions exactCase = Mode("run", false, true, true);
    EXPECT_TRUE(MatchText("run", exactCase));
    EXPECT_FALSE(MatchText("Run", exactCase));
}

TEST(MatchText, WildcardModeMatchesTheWholeText) {
    SearchOptions star = Mode("a*c", true, false, false);
    EXPECT_TRUE(MatchText("abc", star));
    EXPECT_TRUE(MatchText("ac", star));
    EXPECT_TRUE(MatchText("ABC", star));
    EXPECT_FALSE(MatchText("abcd", star));
    EXPECT_FALSE(MatchText("xabc", star));

    SearchOptions question = Mode("a?c", true, false, false);
    EXPECT_TRUE(MatchText("abc", question));
    EXPECT_FALSE(MatchText("ac", question));
    EXPECT_FALSE(MatchText("abbc", question));

    SearchOptions all = Mode("*", true, false, false);
    EXPECT_TRUE(MatchText("", all));
    EXPECT_TRUE(MatchText("anything at all", all));

    SearchOptions exactCase = Mode("A*", true, false, true);
    EXPECT_TRUE(MatchText("Abc", exactCase));
    EXPECT_FALSE(MatchText("abc", exactCase));
}

TEST(MatchText, WildcardWithFullWordTakesTheStarLiterally) {
    SearchOptions options = Mode("a*", true, true, false);
    EXPECT_TRUE(MatchText("a*", options));
    EXPECT_TRUE(MatchText("A*", options));
    EXPECT_FALSE(MatchText("abc", options));
    EXPECT_FALSE(MatchText("a", options));
    EXPECT_FALSE(MatchText("a**", options));
}

TEST(MatchText, MultibyteTrailBytesAreNeverMatched) {
    // Under code page 932, 0x83 0x5C is one character whose trail byte is a
    // backslash, and 0x83 0x41 one whose trail byte is 'A'.
    ASSERT_EQ(GetACP(), 932u);
    const std::string so = "\x83\x5c";
    const std::string a = "\x83\x41";
    EXPECT_FALSE(MatchText("x" + so + "y", Mode("\\", false, false, false)));
    EXPECT_FALSE(MatchText(a, Mode("a", false, false, false)));
    EXPECT_FALSE(MatchText(a, Mode("A", false, false, true)));
    EXPECT_TRUE(MatchText("Key" + a + "Name", Mode("key" + a, false, false, false)));
    EXPECT_TRUE(MatchText(a, Mode(a, false, true, false)));
    // "?" stands for one byte, so a double-byte character needs two.
    EXPECT_TRUE(MatchText(a, Mode("??", true, false, false)));
    EXPECT_FALSE(MatchText(a, Mode("?", true, false, false)));
}

// Rows a run gives, as text, with the scratch key's path cut off the front.
struct Row {
    int image;
    RegistryItem item;
};

class RecordingSink : public RowSink {
  public:
    void AddRow(int image, const std::string& rootName, const std::string& keyPath,
                const std::string& valueName, const std::string& dataText, int type) override {
        rows.push_back({image, {rootName, keyPath, valueName, dataText, type}});
        if (stopAfterRows > 0 && rows.size() == stopAfterRows)
            stop->store(true);
    }

    std::vector<Row> rows;
    std::size_t stopAfterRows = 0;
    StopFlag* stop = nullptr;
};

class SearchRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        languageFile = folder.MakeFile("search.language",
                                       "[String]\r\n"
                                       "_PageRegistrySearchKeyFlagString=<key>\r\n"
                                       "_PageRegistrySearchState2=Looking at %s\r\n"
                                       "_PageRegistrySearchState3=Done.\r\n");
        previousLanguageFile = Language().File();
        Language().SetFile(languageFile);
    }
    void TearDown() override { Language().SetFile(previousLanguageFile); }

    std::string Path(const std::string& relative = std::string()) const {
        return relative.empty() ? scratch.path() : scratch.Sub(relative);
    }

    static SearchOptions InCurrentUser(const std::string& keyword) {
        SearchOptions options;
        options.keyword = keyword;
        options.includeKey = options.includeValue = options.includeData = true;
        options.searchHkcu = true;
        return options;
    }

    // Each row under the scratch key as "image|key|column 3|column 4|type",
    // the key relative to the scratch key ("." for the scratch key itself).
    std::vector<std::string> Search(const SearchOptions& options) {
        RecordingSink sink;
        SearchRun(options, sink, SearchStatus(), nullptr);
        return Under(sink.rows);
    }

    std::vector<std::string> Under(const std::vector<Row>& rows) const {
        std::vector<std::string> out;
        const std::string& base = scratch.path();
        for (const Row& row : rows) {
            const std::string& key = row.item.keyPath;
            if (key.compare(0, base.size(), base) != 0)
                continue;
            if (key.size() > base.size() && key[base.size()] != '\\')
                continue;
            std::string relative = key.size() == base.size() ? "." : key.substr(base.size() + 1);
            out.push_back(std::to_string(row.image) + "|" + relative + "|" + row.item.valueName +
                          "|" + row.item.dataText + "|" + std::to_string(row.item.type));
        }
        return out;
    }

    ScratchKey scratch{"Search"};
    ScratchFolder folder{"search"};
    std::string languageFile;
    std::string previousLanguageFile;
};

using Rows = std::vector<std::string>;

TEST_F(SearchRunTest, KeywordFindsKeysValueNamesAndDataInWalkOrder) {
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, Path("Run\\Nested")));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path("Apps"), "RunOnce", "x"));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path("Apps"), "Path", "C:\\RUN\\tool.exe"));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path("Apps"), "Other", "nothing"));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path("Apps"), "Expand", "%RUNDIR%", REG_EXPAND_SZ));

    SearchOptions options = InCurrentUser("run");
    EXPECT_EQ(Search(options), (Rows{"1|Apps|Expand|%RUNDIR%|2", "1|Apps|Path|C:\\RUN\\tool.exe|1",
                                     "1|Apps|RunOnce|x|1", "0|Run|<key>||-1"}));

    options.includeValue = options.includeData = false;
    EXPECT_EQ(Search(options), (Rows{"0|Run|<key>||-1"}));

    options.includeKey = false;
    options.includeValue = true;
    EXPECT_EQ(Search(options), (Rows{"1|Apps|RunOnce|x|1"}));

    options.includeValue = false;
    options.includeData = true;
    EXPECT_EQ(Search(options),
              (Rows{"1|Apps|Expand|%RUNDIR%|2", "1|Apps|Path|C:\\RUN\\tool.exe|1"}));

    options = InCurrentUser("RUN");
    options.caseSensitive = true;
    EXPECT_EQ(Search(options),
              (Rows{"1|Apps|Expand|%RUNDIR%|2", "1|Apps|Path|C:\\RUN\\tool.exe|1"}));
}

TEST_F(SearchRunTest, FullWordFindsOnlyWholeNamesAndData) {
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, Path("Run\\RunOnce")));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path("Run"), "run", "RUN"));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path("Run"), "Runner", "Run"));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path("Run"), "Other", "run it"));

    SearchOptions options = InCurrentUser("run");
    options.fullWordMatch = true;
    EXPECT_EQ(Search(options), (Rows{"0|Run|<key>||-1", "1|Run|run|RUN|1", "1|Run|Runner|Run|1"}));

    options.caseSensitive = true;
    EXPECT_EQ(Search(options), (Rows{"1|Run|run|RUN|1"}));
}

TEST_F(SearchRunTest, WildcardsMatchWholeKeyNames) {
    for (const char* name : {"abc", "ac", "abcd", "xabc"}) {
        ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, Path(std::string("W\\") + name)));
    }
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, Path("W\\a*")));
    SearchOptions options = InCurrentUser("a*c");
    options.useWildcard = true;
    EXPECT_EQ(Search(options), (Rows{"0|W\\abc|<key>||-1", "0|W\\ac|<key>||-1"}));

    options.keyword = "A?C";
    EXPECT_EQ(Search(options), (Rows{"0|W\\abc|<key>||-1"}));

    options.keyword = "a*";
    options.fullWordMatch = true;
    EXPECT_EQ(Search(options), (Rows{"0|W\\a*|<key>||-1"}));
}

TEST_F(SearchRunTest, LoneStarFindsEveryKeyAndValueButNeverTypeZero) {
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path("K"), "", "default"));
    ASSERT_TRUE(PlantValue(HKEY_CURRENT_USER, Path("K"), "none", REG_NONE, "none", 4));
    ASSERT_TRUE(PlantDword(HKEY_CURRENT_USER, Path("K"), "number", 7));

    SearchOptions options = InCurrentUser("*");
    options.useWildcard = true;
    RecordingSink sink;
    EXPECT_EQ(SearchRun(options, sink, SearchStatus(), nullptr), SearchEnd::Finished);
    ASSERT_FALSE(sink.rows.empty());
    // The root itself comes first, with an empty key path.
    EXPECT_EQ(sink.rows[0].image, kSearchKeyImage);
    EXPECT_EQ(sink.rows[0].item.rootKey, "HKEY_CURRENT_USER");
    EXPECT_EQ(sink.rows[0].item.keyPath, "");
    EXPECT_EQ(sink.rows[0].item.valueName, "<key>");
    EXPECT_EQ(Under(sink.rows), (Rows{"0|.|<key>||-1", "0|K|<key>||-1", "1|K||default|1",
                                      "2|K|number|0x00000007 (7)|4"}));

    options = InCurrentUser("none");
    EXPECT_EQ(Search(options), Rows{});
}

TEST_F(SearchRunTest, ValueDataIsSearchedThroughItsDisplayText) {
    std::vector<BYTE> early(25, 0x11), late(25, 0x11);
    early[3] = 0x0a;
    early[4] = 0x1b;
    late[20] = 0x0a;
    late[21] = 0x1b;
    ASSERT_TRUE(PlantValue(HKEY_CURRENT_USER, Path("Data"), "early", REG_BINARY, early.data(), 25));
    ASSERT_TRUE(PlantValue(HKEY_CURRENT_USER, Path("Data"), "late", REG_BINARY, late.data(), 25));
    ASSERT_TRUE(PlantDword(HKEY_CURRENT_USER, Path("Data"), "dword", 255));
    const char multi[] = "first\0FF second\0";
    ASSERT_TRUE(
        PlantValue(HKEY_CURRENT_USER, Path("Data"), "multi", REG_MULTI_SZ, multi, sizeof(multi)));

    SearchOptions options = InCurrentUser("0a 1b");
    options.includeKey = options.includeValue = false;
    EXPECT_EQ(
        Search(options),
        (Rows{"2|Data|early|11 11 11 0a 1b 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11...|3"}));

    options.keyword = "255";
    EXPECT_EQ(Search(options), (Rows{"2|Data|dword|0x000000ff (255)|4"}));
    options.keyword = "ff";
    EXPECT_EQ(Search(options),
              (Rows{"2|Data|dword|0x000000ff (255)|4", "1|Data|multi|first FF second|7"}));
}

TEST_F(SearchRunTest, MultibyteKeyNameIsNotCutAtATrailByte) {
    // Under code page 932 the second byte of 0x83 0x5C is a backslash; the key
    // test must still see the whole name.
    ASSERT_EQ(GetACP(), 932u);
    const std::string name =
        "A\x83\x5c"
        "B";
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, Path(name)));
    SearchOptions options = InCurrentUser(name);
    options.fullWordMatch = true;
    EXPECT_EQ(Search(options), (Rows{"0|" + name + "|<key>||-1"}));
}

TEST_F(SearchRunTest, ValueWhoseNameAndDataBothMatchGivesOneRow) {
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path("Twice"), "needle", "needle too"));
    EXPECT_EQ(Search(InCurrentUser("needle")), (Rows{"1|Twice|needle|needle too|1"}));
}

TEST_F(SearchRunTest, EmptyKeywordOrNoRootFinishesAtOnce) {
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, Path("needle")));
    SearchOptions empty = InCurrentUser("");
    SearchOptions noRoot = InCurrentUser("needle");
    noRoot.searchHkcu = false;
    for (const SearchOptions& options : {empty, noRoot}) {
        RecordingSink sink;
        std::vector<std::string> texts;
        SearchEnd end = SearchRun(
            options, sink, [&](const std::string& text) { texts.push_back(text); }, nullptr);
        EXPECT_EQ(end, SearchEnd::Finished);
        EXPECT_TRUE(sink.rows.empty());
        EXPECT_EQ(texts, std::vector<std::string>{"Done."});
    }
}

TEST_F(SearchRunTest, StatusShowsEveryVisitedKeyThenTheEndText) {
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, Path("B")));
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, Path("a\\c")));
    RecordingSink sink;
    std::vector<std::string> texts;
    SearchRun(
        InCurrentUser("zzz-not-there"), sink,
        [&](const std::string& text) {
            texts.push_back(text);
            // A changed language file must not change the texts of a running search.
            WriteWholeFile(languageFile,
                           "[String]\r\n_PageRegistrySearchState2=Other %s\r\n"
                           "_PageRegistrySearchState3=Done.\r\n");
        },
        nullptr);
    ASSERT_GE(texts.size(), 5u);
    EXPECT_EQ(texts.front(), "Looking at ");
    EXPECT_EQ(texts.back(), "Done.");
    std::vector<std::string> mine;
    const std::string prefix = "Looking at " + Path();
    for (const std::string& text : texts) {
        if (text == prefix || text.compare(0, prefix.size() + 1, prefix + "\\") == 0) {
            mine.push_back(text);
        }
    }
    EXPECT_EQ(mine,
              (std::vector<std::string>{"Looking at " + Path(), "Looking at " + Path("a"),
                                        "Looking at " + Path("a\\c"), "Looking at " + Path("B")}));
}

TEST_F(SearchRunTest, StopEndsTheRunWithoutFurtherRowsOrStatus) {
    for (const char* name : {"zdvstopmark1", "zdvstopmark2", "zdvstopmark3", "zdvstopmark4"}) {
        ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path("Stop"), name, "x"));
    }
    StopFlag stop{false};
    RecordingSink sink;
    sink.stop = &stop;
    sink.stopAfterRows = 2;
    std::vector<std::string> texts;
    SearchOptions options = InCurrentUser("zdvstopmark");
    // HKEY_USERS holds the same keys again, so a stop that did not hold would show.
    options.searchHklm = options.searchHku = options.searchHkcc = true;
    SearchEnd end = SearchRun(
        options, sink, [&](const std::string& text) { texts.push_back(text); }, &stop);
    EXPECT_EQ(end, SearchEnd::Stopped);
    EXPECT_EQ(sink.rows.size(), 2u);
    EXPECT_EQ(Under(sink.rows), (Rows{"1|Stop|zdvstopmark1|x|1", "1|Stop|zdvstopmark2|x|1"}));
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), "Looking at " + Path("Stop"));

    // A run asked to stop before it starts adds nothing and says nothing.
    texts.clear();
    EXPECT_EQ(SearchRun(
                  options, sink, [&](const std::string& text) { texts.push_back(text); }, &stop),
              SearchEnd::Stopped);
    EXPECT_EQ(sink.rows.size(), 2u);
    EXPECT_TRUE(texts.empty());
}

TEST(SearchRoots, AreWalkedInFixedOrderEachFromItsRoot) {
    // A class key of HKEY_LOCAL_MACHINE shows under HKEY_CLASSES_ROOT too, a key
    // of HKEY_CURRENT_USER under HKEY_USERS, and one of HKEY_CURRENT_CONFIG
    // under HKEY_LOCAL_MACHINE.
    ScratchKey scratch("RootOrder");
    std::string name = "ZdvRootOrder" + std::to_string(GetCurrentProcessId());
    std::string classes = "Software\\Classes\\" + name;
    ASSERT_TRUE(PlantKey(HKEY_LOCAL_MACHINE, classes));
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, scratch.Sub(name)));
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_CONFIG, name));

    SearchOptions options;
    options.keyword = name;
    options.includeKey = true;
    options.fullWordMatch = true;
    // Chosen in reverse, walked in the fixed order all the same.
    options.searchHkcc = options.searchHku = options.searchHklm = options.searchHkcu =
        options.searchHkcr = true;
    RecordingSink sink;
    SearchRun(options, sink, SearchStatus(), nullptr);
    RemoveTree(HKEY_LOCAL_MACHINE, classes);
    RemoveTree(HKEY_CURRENT_CONFIG, name);

    std::vector<std::string> roots;
    for (const Row& row : sink.rows) {
        if (roots.empty() || roots.back() != row.item.rootKey)
            roots.push_back(row.item.rootKey);
    }
    EXPECT_EQ(roots, (std::vector<std::string>{"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                               "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                               "HKEY_CURRENT_CONFIG"}));
    ASSERT_GE(sink.rows.size(), 5u);
    EXPECT_EQ(sink.rows[0].item.keyPath, name);
    EXPECT_EQ(sink.rows[1].item.keyPath, scratch.Sub(name));
    EXPECT_EQ(sink.rows[2].item.keyPath, classes);
    EXPECT_EQ(sink.rows.back().item.keyPath, name);
    for (const Row& row : sink.rows) {
        EXPECT_EQ(row.item.keyPath.substr(row.item.keyPath.size() - name.size()), name);
    }
}

}  // namespace
