#include <gtest/gtest.h>

#include "TestSupport.h"
#include "common/AnsiText.h"
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
    explicit ConfigStoreTest(const std::string& folderName = "config") : m_folder(folderName) {}

    std::string Plant(const std::string& content) {
        m_file = m_folder.MakeFile("config.xml", content);
        return m_file;
    }
    // The file as the next run of the program reads it.
    std::string Reread(const char* elementPath, const char* attribute) {
        ConfigStore store;
        EXPECT_TRUE(store.Load(m_file));
        return store.Read(elementPath, attribute);
    }

    ComInitialization m_com;
    ScratchFolder m_folder;
    std::string m_file;
};

TEST_F(ConfigStoreTest, ShippedFileHoldsEveryElementWithEqualFactoryAndCustomValues) {
    m_file = m_folder.Missing("config.xml");
    ASSERT_TRUE(CopyFileA("config.xml", m_file.c_str(), FALSE)) << "dist/config.xml not copied";
    ConfigStore store;
    ASSERT_TRUE(store.Load(m_file));
    const std::pair<const char*, const char*> expected[] = {
        {kSearchKeyword, ""},
        {kSearchRange, "1,1,1,1,1"},
        {kSearchOptions, "1,1,1,0,0,0"},
        {kCleanerTasks, "1,1,1,1,1,1,1,1,1,0,1"}};
    for (const auto& [path, value] : expected) {
        EXPECT_TRUE(store.SelectNode(path)) << path;
        EXPECT_EQ(store.Read(path, "default") + "|" + store.Read(path, "custom"),
                  std::string(value) + "|" + value)
            << path;
    }
    EXPECT_EQ(store.Read(kWebsite, "url"), "https://www.example.com");
}

TEST_F(ConfigStoreTest, MissingMalformedOrEmptyFileLeavesAnEmptyStoreThatWritesNothing) {
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(kGoodFile)));
    // A failed load must not keep the earlier document and path: a save would
    // then write the old settings somewhere.
    std::string missing = m_folder.Missing("config.xml.missing");
    EXPECT_FALSE(store.Load(missing));
    EXPECT_FALSE(store.Write(kSearchRange, "custom", "0,0,0,0,0"));
    EXPECT_FALSE(store.Save());
    EXPECT_FALSE(FileExists(missing));
    // Every document the parser refuses takes one way; an empty file is one too.
    for (const std::string& content : {std::string(), std::string("<config><unclosed>")}) {
        EXPECT_FALSE(store.Load(Plant(content))) << content;
        EXPECT_EQ(store.Read(kSearchOptions, "custom"), "");
        EXPECT_FALSE(store.Write(kSearchOptions, "custom", "1"));
        EXPECT_FALSE(store.Save());
        EXPECT_EQ(ReadWholeFile(m_file), content);
        EXPECT_FALSE(FileExists(m_file + ".new"));
    }
}

TEST_F(ConfigStoreTest, WritesAttributesKeepingUnknownContentThroughASave) {
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(kGoodFile)));
    EXPECT_EQ(store.Read(kSearchRange, "custom"), "1,0,1");
    EXPECT_EQ(store.Read(kSearchRange, "missing"), "");
    EXPECT_FALSE(store.SelectNode("/zazadazivevevivozed/searchpage"));
    EXPECT_TRUE(store.Write(kSearchOptions, "custom", "1,0,0,0,0,0"));
    EXPECT_TRUE(store.Write(kSearchRange, "missing", "0,1,0,1,0"));
    // A missing element is skipped while the others work.
    EXPECT_FALSE(store.Write("/config/zazadazivevevivozed/nothing", "custom", "lost"));
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(Reread(kSearchRange, "missing"), "0,1,0,1,0");
    std::string saved = ReadWholeFile(m_file);
    EXPECT_NE(saved.find("<!-- kept by hand -->"), std::string::npos) << saved;
    EXPECT_NE(saved.find("text of my own"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("lost"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\n    <website url="), std::string::npos) << saved;
    EXPECT_EQ(Reread(kSearchOptions, "note"), "mine");
    EXPECT_EQ(Reread("/config/zazadazivevevivozed/plugins/plugin", "name"), "extra");
    EXPECT_EQ(Reread(kSearchOptions, "custom"), "1,0,0,0,0,0");
    EXPECT_EQ(Reread(kSearchOptions, "default"), "1,1,1,0,0,0");
}

TEST_F(ConfigStoreTest, KeywordIsStoredCutTo499CharactersWithMarkupCharactersIntact) {
    std::string keyword = "<a href=\"x\">&amp;'";
    keyword += std::string(600 - keyword.size(), 'k');
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(kGoodFile)));
    EXPECT_TRUE(store.Write(kSearchKeyword, "custom", CutKeyword(keyword)));
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(Reread(kSearchKeyword, "custom"), keyword.substr(0, 499));
    EXPECT_EQ(CutKeyword("short"), "short");
}

TEST_F(ConfigStoreTest, SaveNeverLosesTheOldFileAndLeavesNoNewFileBehind) {
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(kGoodFile)));
    EXPECT_TRUE(store.Write(kSearchRange, "custom", "0,0,0,0,0"));
    const std::string newFile = AnsiFromWide(store.SavingPath());
    // A folder where the new file should go: nothing can be written there.
    ASSERT_TRUE(CreateDirectoryA(newFile.c_str(), nullptr));
    EXPECT_FALSE(store.Save());
    EXPECT_EQ(ReadWholeFile(m_file), kGoodFile);
    EXPECT_TRUE(RemoveDirectoryA(newFile.c_str()));
    {
        // Another program holds the file open and does not let it be replaced.
        UniqueFileHandle holder(CreateFileA(m_file.c_str(), GENERIC_READ,
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
    EXPECT_EQ(Reread(kSearchRange, "custom"), "0,0,0,0,0");
}

// Flags as "1" and "0" characters, for short tables.
std::vector<bool> Flags(const std::string& ones) {
    std::vector<bool> flags;
    for (char c : ones)
        flags.push_back(c == '1');
    return flags;
}

TEST(FlagList, FieldsTickFlagsInOrderAndTheLastFieldRepeats) {
    const struct {
        const char *text, *before, *after;
    } cases[] = {
        {"1,0", "111111", "100000"},
        {"0,1", "00000000000", "01111111111"},
        // Empty fields are dropped before counting.
        {"1,,1", "00000", "11111"},
        // Only exactly "1" ticks.
        {" 1,true,1 ,01,2,1", "111111", "000001"},
        // Extra fields are ignored; a list without fields changes nothing.
        {"1,0,1,0,0,0", "000", "101"},
        {"", "10101", "10101"},
        {",,,,", "10101", "10101"},
    };
    for (const auto& c : cases) {
        std::vector<bool> flags = Flags(c.before);
        EXPECT_EQ(ApplyFlagList(c.text, flags), c.text[0] != '\0' && c.text[0] != ',') << c.text;
        EXPECT_EQ(flags, Flags(c.after)) << c.text;
    }
    EXPECT_EQ(MakeFlagList(Flags("10000000000")), "1,0,0,0,0,0,0,0,0,0,0");
    EXPECT_EQ(MakeFlagList({}), "");
}

class ConfigStoreMultibyteTest : public ConfigStoreTest {
  protected:
    // "settings" in Japanese, so the file's own path needs the code page.
    ConfigStoreMultibyteTest() : ConfigStoreTest("\x90\xDD\x92\xE8") {}
};

TEST_F(ConfigStoreMultibyteTest, AnsiTextRoundTripsThroughTheFile) {
    ASSERT_EQ(GetACP(), 932u);
    // Both characters of the first word end in a backslash byte.
    const std::string keyword = "\x95\x5C\x8E\xA6 \x83\x5C\x83\x74\x83\x67 <&>";
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(kGoodFile)));
    EXPECT_TRUE(store.Write(kSearchKeyword, "custom", keyword));
    EXPECT_TRUE(store.Write(kSearchKeyword, "\x83\x5C", "attribute"));
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(Reread(kSearchKeyword, "custom"), keyword);
    EXPECT_EQ(Reread(kSearchKeyword, "\x83\x5C"), "attribute");
    EXPECT_EQ(Reread(kSearchKeyword, "default"), "");
}

TEST_F(ConfigStoreMultibyteTest, KeywordCutNeverSplitsADoubleByteCharacter) {
    ASSERT_EQ(GetACP(), 932u);
    std::string keyword = std::string(498, 'a') + "\x95\x5C" + "b";
    EXPECT_EQ(CutKeyword(keyword), std::string(498, 'a'));
    keyword = std::string(497, 'a') + "\x95\x5C" + "b";
    EXPECT_EQ(CutKeyword(keyword), std::string(497, 'a') + "\x95\x5C");
    EXPECT_EQ(SplitText("\x83\x5C,\x95\x5C\\x", ",\\", EmptyFields::Drop),
              (std::vector<std::string>{"\x83\x5C", "\x95\x5C", "x"}));
}

}  // namespace
