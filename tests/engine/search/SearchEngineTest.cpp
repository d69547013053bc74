#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "search/SearchEngine.h"

namespace {

using Texts = std::vector<std::wstring>;

// mode: any of "w" (wildcard), "f" (full word), "c" (letter case matters),
// "k", "v", "d" (key names, value names, data: all three when none is given).
SearchOptions Options(const std::wstring& keyword, const std::wstring& mode = L"") {
    auto has = [&mode](wchar_t c) { return mode.find(c) != std::wstring::npos; };
    SearchOptions options;
    options.keyword = keyword;
    options.useWildcard = has(L'w');
    options.fullWordMatch = has(L'f');
    options.caseSensitive = has(L'c');
    const bool all = !has(L'k') && !has(L'v') && !has(L'd');
    options.includeKey = all || has(L'k');
    options.includeValue = all || has(L'v');
    options.includeData = all || has(L'd');
    options.searchHkcu = true;
    options.keyRowText = L"<key>";
    return options;
}

TEST(MatchText, EachModeMatchesWhatItPromises) {
    const struct {
        std::wstring keyword, mode;
        Texts matching, other;
    } cases[] = {
        {L"run", L"", {L"Run", L"RunOnce", L"C:\\RUN\\tool.exe"}, {L"Ru n", L""}},
        {L"Run", L"c", {L"RunOnce"}, {L"RUNONCE", L"run"}},
        {L"run", L"f", {L"Run", L"RUN"}, {L"RunOnce", L" run"}},
        {L"run", L"fc", {L"run"}, {L"Run"}},
        {L"a*c", L"w", {L"abc", L"ac", L"ABC"}, {L"abcd", L"xabc"}},
        {L"a?c", L"w", {L"abc"}, {L"ac", L"abbc"}},
        {L"A*", L"wc", {L"Abc"}, {L"abc"}},
        // With full word the star is taken literally.
        {L"a*", L"wf", {L"a*", L"A*"}, {L"abc", L"a", L"a**"}},
        // Letter case by the Unicode table; "?" is one character, a pair too.
        {L"\u043a\u043b\u044e\u0447", L"", {L"\u041a\u043b\u044e\u0447"}, {L"\u043a\u043b\u044e"}},
        {L"\u03a3\u039f\u03a6\u0399\u0391",
         L"f",
         {L"\u03c3\u03bf\u03c6\u03b9\u03b1"},
         {L"\u03c3\u03bf\u03c6\u03b9"}},
        {L"a?b", L"w", {L"a\U0001F600b", L"a\u8868b"}, {L"ab"}},
    };
    for (const auto& c : cases) {
        for (const std::wstring& text : c.matching)
            EXPECT_TRUE(MatchText(text, Options(c.keyword, c.mode))) << c.keyword << L" " << text;
        for (const std::wstring& text : c.other)
            EXPECT_FALSE(MatchText(text, Options(c.keyword, c.mode))) << c.keyword << L" " << text;
    }
}

class SearchRunTest : public ::testing::Test {
  protected:
    std::wstring Path(const std::wstring& relative = std::wstring()) const {
        return relative.empty() ? scratch.path() : scratch.Sub(relative);
    }

    // The rows under the scratch key as "image|key|value|data|type", the key
    // relative to the scratch key ("." for the scratch key itself).
    Texts Under(const Texts& rows) const {
        Texts out;
        const std::wstring& base = scratch.path();
        for (const std::wstring& row : rows) {
            const std::wstring key = Field(row, 2, L'|');
            if (key.compare(0, base.size(), base) != 0 ||
                (key.size() > base.size() && key[base.size()] != L'\\')) {
                continue;
            }
            std::wstring relative = key.size() == base.size() ? L"." : key.substr(base.size() + 1);
            out.push_back(Field(row, 0, L'|') + L"|" + relative + L"|" + Field(row, 3, L'|') +
                          L"|" + Field(row, 4, L'|') + L"|" + Field(row, 5, L'|'));
        }
        return out;
    }

    Texts Search(const SearchOptions& options) {
        RecordingSink sink;
        SearchRun(options, sink, SearchProgress(), nullptr);
        return Under(sink.rows);
    }

    ScratchKey scratch{L"Search"};
};

TEST_F(SearchRunTest, OptionsApplyToKeyNamesValueNamesAndDataInWalkOrder) {
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, Path(L"Run\\RunOnce")));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path(L"Run"), L"run", L"RUN"));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path(L"Run"), L"Runner", L"Run"));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path(L"Apps"), L"RunOnce", L"x"));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path(L"Apps"), L"Path", L"C:\\RUN\\tool.exe"));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path(L"Apps"), L"Other", L"nothing"));
    ASSERT_TRUE(
        PlantString(HKEY_CURRENT_USER, Path(L"Apps"), L"Expand", L"%RUNDIR%", REG_EXPAND_SZ));
    for (const wchar_t* name : {L"abc", L"xabc"})
        ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, Path(std::wstring(L"W\\") + name)));
    // Data is searched through its display text; REG_NONE values are never found.
    std::string early(25, '\x11'), late(25, '\x11');
    early.replace(3, 2, "\x0a\x1b");
    late.replace(20, 2, "\x0a\x1b");
    ASSERT_TRUE(PlantValue(HKEY_CURRENT_USER, Path(L"Data"), L"early", REG_BINARY, early));
    ASSERT_TRUE(PlantValue(HKEY_CURRENT_USER, Path(L"Data"), L"late", REG_BINARY, late));
    ASSERT_TRUE(PlantDword(HKEY_CURRENT_USER, Path(L"Data"), L"dword", 255));
    ASSERT_TRUE(PlantValue(HKEY_CURRENT_USER, Path(L"Data"), L"multi", REG_MULTI_SZ,
                           Utf16Bytes(std::wstring(L"first\0FF second\0", 17))));
    ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path(L"Data"), L"", L"default"));
    ASSERT_TRUE(PlantValue(HKEY_CURRENT_USER, Path(L"Data"), L"none", REG_NONE, "none"));
    const std::wstring expand = L"1|Apps|Expand|%RUNDIR%|2",
                       path = L"1|Apps|Path|C:\\RUN\\tool.exe|1";
    const std::wstring runOnceValue = L"1|Apps|RunOnce|x|1", runKey = L"0|Run|<key>||-1";
    const std::wstring run = L"1|Run|run|RUN|1", runner = L"1|Run|Runner|Run|1";
    const std::wstring runOnceKey = L"0|Run\\RunOnce|<key>||-1";
    const std::wstring dword = L"2|Data|dword|0x000000ff (255)|4";
    const struct {
        std::wstring keyword, mode;
        Texts rows;
    } cases[] = {
        // A value whose name and data both match gives one row.
        {L"run", L"", {expand, path, runOnceValue, runKey, run, runner, runOnceKey}},
        {L"run", L"k", {runKey, runOnceKey}},
        {L"run", L"v", {runOnceValue, run, runner}},
        {L"run", L"d", {expand, path, run, runner}},
        // Wildcards match a key's own name, not its path.
        {L"a*c", L"w", {L"0|W\\abc|<key>||-1"}},
        {L"0a 1b",
         L"d",
         {L"2|Data|early|11 11 11 0a 1b 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11...|3"}},
        {L"255", L"d", {dword}},
        {L"ff", L"d", {dword, L"1|Data|multi|first FF second|7"}},
        {L"default", L"", {L"1|Data||default|1"}},
        {L"none", L"", {}},
        {L"", L"", {}},  // an empty keyword finds nothing
    };
    for (const auto& c : cases)
        EXPECT_EQ(Search(Options(c.keyword, c.mode)), c.rows) << c.keyword << L" " << c.mode;

    // "*" finds the root itself first, with an empty key path.
    StopFlag stop{false};
    RecordingSink sink;
    sink.stop = &stop;
    sink.stopAfterRows = 1;
    SearchRun(Options(L"*", L"w"), sink, SearchProgress(), &stop);
    EXPECT_EQ(sink.rows, Texts{L"0|HKEY_CURRENT_USER||<key>||-1"});
}

TEST_F(SearchRunTest, ProgressHearsOfEveryVisitedKey) {
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, Path(L"B")));
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, Path(L"a\\c")));
    RecordingSink sink;
    std::wstring keys;
    SearchRun(
        Options(L"zzz-not-there"), sink, [&](const std::wstring& key) { keys += key + L";"; },
        nullptr);
    const std::wstring mine = Path();
    EXPECT_EQ(keys.rfind(L";", 0), 0u);
    EXPECT_NE(keys.find(L";" + mine + L";" + mine + L"\\a;" + mine + L"\\a\\c;" + mine + L"\\B;"),
              std::wstring::npos);
}

TEST_F(SearchRunTest, StopEndsTheRunWithoutFurtherRowsOrStatus) {
    for (const wchar_t* name : {L"zdvstopmark1", L"zdvstopmark2", L"zdvstopmark3", L"zdvstopmark4"})
        ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, Path(L"Stop"), name, L"x"));
    StopFlag stop{false};
    RecordingSink sink;
    sink.stop = &stop;
    sink.stopAfterRows = 2;
    Texts keys;
    auto progress = [&](const std::wstring& key) { keys.push_back(key); };
    SearchOptions options = Options(L"zdvstopmark");
    // HKEY_USERS holds the same keys again, so a stop that did not hold would show.
    options.searchHklm = options.searchHku = options.searchHkcc = true;
    EXPECT_EQ(SearchRun(options, sink, progress, &stop), SearchEnd::Stopped);
    EXPECT_EQ(sink.rows.size(), 2u);
    EXPECT_EQ(Under(sink.rows), (Texts{L"1|Stop|zdvstopmark1|x|1", L"1|Stop|zdvstopmark2|x|1"}));
    ASSERT_FALSE(keys.empty());
    EXPECT_EQ(keys.back(), Path(L"Stop"));

    // A run asked to stop before it starts adds nothing and says nothing.
    keys.clear();
    EXPECT_EQ(SearchRun(options, sink, progress, &stop), SearchEnd::Stopped);
    EXPECT_EQ(sink.rows.size(), 2u);
    EXPECT_TRUE(keys.empty());
}

TEST(SearchRoots, AreWalkedInFixedOrderEachFromItsRoot) {
    // A class key of HKEY_LOCAL_MACHINE shows under HKEY_CLASSES_ROOT too, a key
    // of HKEY_CURRENT_USER under HKEY_USERS, and one of HKEY_CURRENT_CONFIG
    // under HKEY_LOCAL_MACHINE.
    ScratchKey scratch(L"RootOrder");
    std::wstring name = L"ZdvRootOrder" + std::to_wstring(GetCurrentProcessId());
    PlantedKey classes(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + name);
    PlantedKey config(HKEY_CURRENT_CONFIG, name);
    ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, scratch.Sub(name)));
    // Chosen in reverse, walked in the fixed order all the same.
    SearchOptions options = Options(name, L"fk");
    options.searchHkcc = options.searchHku = options.searchHklm = options.searchHkcr = true;
    RecordingSink sink;
    SearchRun(options, sink, SearchProgress(), nullptr);

    Texts roots;
    for (const std::wstring& row : sink.rows) {
        if (roots.empty() || roots.back() != Field(row, 1, L'|'))
            roots.push_back(Field(row, 1, L'|'));
    }
    EXPECT_EQ(roots, (Texts{L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER", L"HKEY_LOCAL_MACHINE",
                            L"HKEY_USERS", L"HKEY_CURRENT_CONFIG"}));
    ASSERT_GE(sink.rows.size(), 5u);
    EXPECT_EQ(Field(sink.rows[0], 2, L'|') + L"|" + Field(sink.rows[1], 2, L'|') + L"|" +
                  Field(sink.rows[2], 2, L'|') + L"|" + Field(sink.rows.back(), 2, L'|'),
              name + L"|" + scratch.Sub(name) + L"|" + classes.path() + L"|" + name);
}

}  // namespace
