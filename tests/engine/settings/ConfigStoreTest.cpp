#include <gtest/gtest.h>

#include "TestSupport.h"
#include "common/Text.h"
#include "search/SearchEngine.h"
#include "settings/ConfigStore.h"

namespace {

using namespace ConfigPaths;

const char kGoodFile[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<config>\r\n"
    "  <!-- kept by hand -->\r\n"
    "  <zazadazivevevivozed>\r\n"
    "    <searchpage>\r\n"
    "      <searchkeyword custom=\"run\" default=\"\"/>\r\n"
    "      <searchrange custom=\"1,0,1\" default=\"1,1,1,1,1\"/>\r\n"
    "      <options custom=\"0,1\" default=\"1,1,1,0,0,0\" note=\"mine\"/>\r\n"
    "    </searchpage>\r\n"
    "    <cleanersearchtasklist custom=\"1,0,0,0,0,0,0,0,0,0,0\"\r\n"
    "                           default=\"1,1,1,1,1,1,1,1,1,0,1\"/>\r\n"
    "    <website url=\"https://www.example.com\"/>\r\n"
    "    <plugins><plugin name=\"extra\">text of my own</plugin></plugins>\r\n"
    "  </zazadazivevevivozed>\r\n"
    "</config>\r\n";

class ConfigStoreTest : public ::testing::Test {
  protected:
    explicit ConfigStoreTest(const std::wstring& folderName = L"config") : m_folder(folderName) {}

    std::wstring Plant(const std::string& content) {
        m_file = m_folder.MakeFile(L"config.xml", content);
        return m_file;
    }
    // The file as the next run of the program reads it.
    std::wstring Reread(const wchar_t* elementPath, const wchar_t* attribute) {
        ConfigStore store;
        EXPECT_TRUE(store.Load(m_file));
        return store.Read(elementPath, attribute);
    }

    ComInitialization m_com;
    ScratchFolder m_folder;
    std::wstring m_file;
};

TEST_F(ConfigStoreTest, ShippedFileHoldsEveryElementWithEqualFactoryAndCustomValues) {
    m_file = m_folder.Missing(L"config.xml");
    ASSERT_TRUE(CopyFileW(L"config.xml", m_file.c_str(), FALSE)) << L"dist/config.xml not copied";
    ConfigStore store;
    ASSERT_TRUE(store.Load(m_file));
    const std::pair<const wchar_t*, const wchar_t*> expected[] = {
        {kSearchKeyword, L""},
        {kSearchRange, L"1,1,1,1,1"},
        {kSearchOptions, L"1,1,1,0,0,0"},
        {kCleanerTasks, L"1,1,1,1,1,1,1,1,1,0,1"}};
    for (const auto& [path, value] : expected) {
        EXPECT_TRUE(store.SelectNode(path)) << path;
        EXPECT_EQ(store.Read(path, L"default") + L"|" + store.Read(path, L"custom"),
                  std::wstring(value) + L"|" + value)
            << path;
    }
    EXPECT_EQ(store.Read(kWebsite, L"url"), L"https://www.example.com");
}

TEST_F(ConfigStoreTest, MissingMalformedOrEmptyFileLeavesAnEmptyStoreThatWritesNothing) {
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(kGoodFile)));
    // A failed load must not keep the earlier document and path: a save would
    // then write the old settings somewhere.
    std::wstring missing = m_folder.Missing(L"config.xml.missing");
    EXPECT_FALSE(store.Load(missing));
    EXPECT_FALSE(store.Write(kSearchRange, L"custom", L"0,0,0,0,0"));
    EXPECT_FALSE(store.Save());
    EXPECT_FALSE(FileExists(missing));
    // Every document the parser refuses takes one way; an empty file is one too.
    for (const std::string& content : {std::string(), std::string("<config><unclosed>")}) {
        EXPECT_FALSE(store.Load(Plant(content))) << content;
        EXPECT_EQ(store.Read(kSearchOptions, L"custom"), L"");
        EXPECT_FALSE(store.Write(kSearchOptions, L"custom", L"1"));
        EXPECT_FALSE(store.Save());
        EXPECT_EQ(ReadWholeFile(m_file), content);
        EXPECT_FALSE(FileExists(m_file + L".new"));
    }
}

TEST_F(ConfigStoreTest, WritesAttributesKeepingUnknownContentThroughASave) {
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(kGoodFile)));
    EXPECT_EQ(store.Read(kSearchRange, L"custom"), L"1,0,1");
    EXPECT_EQ(store.Read(kSearchRange, L"missing"), L"");
    EXPECT_FALSE(store.SelectNode(L"/zazadazivevevivozed/searchpage"));
    EXPECT_TRUE(store.Write(kSearchOptions, L"custom", L"1,0,0,0,0,0"));
    EXPECT_TRUE(store.Write(kSearchRange, L"missing", L"0,1,0,1,0"));
    // A missing element is skipped while the others work.
    EXPECT_FALSE(store.Write(L"/config/zazadazivevevivozed/nothing", L"custom", L"lost"));
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(Reread(kSearchRange, L"missing"), L"0,1,0,1,0");
    std::string saved = ReadWholeFile(m_file);
    EXPECT_NE(saved.find("<!-- kept by hand -->"), std::string::npos) << saved;
    EXPECT_NE(saved.find("text of my own"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("lost"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\n    <website url="), std::string::npos) << saved;
    EXPECT_EQ(Reread(kSearchOptions, L"note"), L"mine");
    EXPECT_EQ(Reread(L"/config/zazadazivevevivozed/plugins/plugin", L"name"), L"extra");
    EXPECT_EQ(Reread(kSearchOptions, L"custom"), L"1,0,0,0,0,0");
    EXPECT_EQ(Reread(kSearchOptions, L"default"), L"1,1,1,0,0,0");
}

TEST_F(ConfigStoreTest, KeywordIsStoredCutTo499CharactersWithMarkupCharactersIntact) {
    std::wstring keyword = L"<a href=\"x\">&amp;'";
    keyword += std::wstring(600 - keyword.size(), L'k');
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(kGoodFile)));
    EXPECT_TRUE(store.Write(kSearchKeyword, L"custom", CutKeyword(keyword)));
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(Reread(kSearchKeyword, L"custom"), keyword.substr(0, 499));
    EXPECT_EQ(CutKeyword(L"short"), L"short");
}

TEST_F(ConfigStoreTest, SaveNeverLosesTheOldFileAndLeavesNoNewFileBehind) {
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(kGoodFile)));
    EXPECT_TRUE(store.Write(kSearchRange, L"custom", L"0,0,0,0,0"));
    const std::wstring newFile = store.SavingPath();
    // A folder where the new file should go: nothing can be written there.
    ASSERT_TRUE(CreateDirectoryW(newFile.c_str(), nullptr));
    EXPECT_FALSE(store.Save());
    EXPECT_EQ(ReadWholeFile(m_file), kGoodFile);
    EXPECT_TRUE(RemoveDirectoryW(newFile.c_str()));
    {
        // Another program holds the file open and does not let it be replaced.
        UniqueFileHandle holder(CreateFileW(m_file.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder);
        EXPECT_FALSE(store.Save());
    }
    EXPECT_EQ(ReadWholeFile(m_file), kGoodFile);
    EXPECT_FALSE(FileExists(newFile));
    // Left over from a save that was cut short.
    ASSERT_TRUE(WriteWholeFile(newFile, "<config"));
    EXPECT_TRUE(store.Save());
    EXPECT_FALSE(FileExists(newFile));
    EXPECT_EQ(Reread(kSearchRange, L"custom"), L"0,0,0,0,0");
}

// Flags as "1" and "0" characters, for short tables.
std::vector<bool> Flags(const std::wstring& ones) {
    std::vector<bool> flags;
    for (wchar_t c : ones)
        flags.push_back(c == L'1');
    return flags;
}

TEST(FlagList, FieldsTickFlagsInOrderAndTheLastFieldRepeats) {
    const struct {
        const wchar_t *text, *before, *after;
    } cases[] = {
        {L"1,0", L"111111", L"100000"},
        {L"0,1", L"00000000000", L"01111111111"},
        // Empty fields are dropped before counting.
        {L"1,,1", L"00000", L"11111"},
        // Only exactly "1" ticks.
        {L" 1,true,1 ,01,2,1", L"111111", L"000001"},
        // Extra fields are ignored; a list without fields changes nothing.
        {L"1,0,1,0,0,0", L"000", L"101"},
        {L"", L"10101", L"10101"},
        {L",,,,", L"10101", L"10101"},
    };
    for (const auto& c : cases) {
        std::vector<bool> flags = Flags(c.before);
        EXPECT_EQ(ApplyFlagList(c.text, flags), c.text[0] != L'\0' && c.text[0] != L',') << c.text;
        EXPECT_EQ(flags, Flags(c.after)) << c.text;
    }
    EXPECT_EQ(MakeFlagList(Flags(L"10000000000")), L"1,0,0,0,0,0,0,0,0,0,0");
    EXPECT_EQ(MakeFlagList({}), L"");
}

class ConfigStoreUnicodeTest : public ConfigStoreTest {
  protected:
    // "settings" in Russian and in Japanese: the file's own path needs Unicode.
    ConfigStoreUnicodeTest()
        : ConfigStoreTest(L"\u041d\u0430\u0441\u0442\u0440\u043e\u0439\u043a\u0438 \u8a2d\u5b9a") {}
};

TEST_F(ConfigStoreUnicodeTest, TextInAnyScriptRoundTripsThroughAFileInAFolderNamedInAnyScript) {
    const std::wstring keyword =
        L"\u0417\u043d\u0430\u0447\u0435\u043d\u0438\u0435 \u03c3\u03bf\u03c6\u03b9\u03b1 \u8868 "
        L"\U0001F600 <&>";
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(kGoodFile)));
    EXPECT_TRUE(store.Write(kSearchKeyword, L"custom", keyword));
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(Reread(kSearchKeyword, L"custom"), keyword);
    EXPECT_EQ(Reread(kSearchKeyword, L"default"), L"");
    // The cut never parts the two halves of a surrogate pair.
    EXPECT_EQ(CutKeyword(std::wstring(498, L'a') + L"\U0001F600"), std::wstring(498, L'a'));
}

}  // namespace
