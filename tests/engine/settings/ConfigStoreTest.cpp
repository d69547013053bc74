#include <gtest/gtest.h>

#include <thread>

#include "TestSupport.h"
#include "common/AnsiText.h"
#include "search/SearchEngine.h"
#include "settings/ConfigStore.h"
#include "common/AnsiText.h"

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

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

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
    struct Expected {
        const char* path;
        const char* value;
    } expected[] = {{kSearchKeyword, ""},
                    {kSearchRange, "1,1,1,1,1"},
                    {kSearchOptions, "1,1,1,0,0,0"},
                    {kCleanerTasks, "1,1,1,1,1,1,1,1,1,0,1"}};
    for (const Expected& e : expected) {
        EXPECT_TRUE(store.SelectNode(e.path)) << e.path;
        EXPECT_EQ(store.Read(e.path, "default"), e.value) << e.path;
        EXPECT_EQ(store.Read(e.path, "custom"), e.value) << e.path;
    }
    EXPECT_EQ(store.Read(kWebsite, "url"), "https://www.example.com");
}

TEST_F(ConfigStoreTest, GoodFileGivesEachAttributeAsStringAndText) {
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(kGoodFile)));
    EXPECT_TRUE(store.Loaded());
    ComPtr<IXMLDOMNode> node = store.SelectNode(kSearchRange);
    ASSERT_TRUE(node);
    UniqueVariant value;
    store.GetAttribute(node.get(), "custom", value.put());
    ASSERT_EQ(value.get()->vt, VT_BSTR);
    EXPECT_STREQ(value.get()->bstrVal, L"1,0,1");
    EXPECT_EQ(store.GetAttributeText(node.get(), "default"), "1,1,1,1,1");
    EXPECT_EQ(store.Read(kSearchKeyword, "custom"), "run");
    EXPECT_EQ(store.Read(kCleanerTasks, "custom"), "1,0,0,0,0,0,0,0,0,0,0");
    EXPECT_FALSE(store.SelectNode("/config/zazadazivevevivozed/nothing"));
    EXPECT_FALSE(store.SelectNode("/zazadazivevevivozed/searchpage"));
}

TEST_F(ConfigStoreTest, MissingFileLeavesAnEmptyStoreThatNeverCreatesIt) {
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(kGoodFile)));
    std::string missing = m_folder.Missing("config.xml.missing");
    // A failed load must not keep the earlier document and path: a save would
    // then write the old settings somewhere.
    EXPECT_FALSE(store.Load(missing));
    EXPECT_FALSE(store.Loaded());
    EXPECT_FALSE(store.SelectNode(kSearchRange));
    EXPECT_EQ(store.Read(kSearchRange, "custom"), "");
    EXPECT_FALSE(store.Write(kSearchRange, "custom", "0,0,0,0,0"));
    EXPECT_FALSE(store.Save());
    EXPECT_FALSE(FileExists(missing));
    EXPECT_EQ(ReadWholeFile(m_file), kGoodFile);
}

TEST_F(ConfigStoreTest, MalformedOrEmptyFileIsNotLoadedAndNeverRewritten) {
    const std::string broken[] = {
        "<config><zazadazivevevivozed><searchpage>", "",
        "<config><zazadazivevevivozed><options custom=\"1></zazadazivevevivozed></config>",
        "not xml at all"};
    for (const std::string& content : broken) {
        ConfigStore store;
        EXPECT_FALSE(store.Load(Plant(content))) << content;
        EXPECT_EQ(store.Read(kSearchOptions, "custom"), "");
        EXPECT_FALSE(store.Write(kSearchOptions, "custom", "1"));
        EXPECT_FALSE(store.Save());
        EXPECT_EQ(ReadWholeFile(m_file), content);
        EXPECT_FALSE(FileExists(m_file + ".new"));
    }
}

TEST_F(ConfigStoreTest, MissingElementIsSkippedWhileTheOthersWork) {
    std::string content = kGoodFile;
    std::size_t start = content.find("      <searchkeyword");
    content.erase(start, content.find('\n', start) + 1 - start);
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(content)));
    EXPECT_EQ(store.Read(kSearchKeyword, "custom"), "");
    EXPECT_FALSE(store.Write(kSearchKeyword, "custom", "lost"));
    EXPECT_TRUE(store.Write(kSearchOptions, "custom", "1,1,1,1,1,1"));
    EXPECT_TRUE(store.Save());
    EXPECT_EQ(Reread(kSearchOptions, "custom"), "1,1,1,1,1,1");
    EXPECT_EQ(ReadWholeFile(m_file).find("searchkeyword"), std::string::npos);
}

TEST_F(ConfigStoreTest, MissingAttributeReadsEmptyAndIsCreatedOnWrite) {
    std::string content = kGoodFile;
    std::size_t start = content.find("custom=\"1,0,1\" ");
    content.erase(start, std::string("custom=\"1,0,1\" ").size());
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(content)));
    ComPtr<IXMLDOMNode> node = store.SelectNode(kSearchRange);
    ASSERT_TRUE(node);
    UniqueVariant value;
    store.GetAttribute(node.get(), "custom", value.put());
    EXPECT_EQ(value.get()->vt, VT_EMPTY);
    EXPECT_EQ(store.GetAttributeText(node.get(), "custom"), "");
    EXPECT_TRUE(store.SetAttribute(node.get(), "custom", "0,1,0,1,0"));
    EXPECT_EQ(store.GetAttributeText(node.get(), "custom"), "0,1,0,1,0");
    EXPECT_TRUE(store.Save());
    EXPECT_EQ(Reread(kSearchRange, "custom"), "0,1,0,1,0");
    EXPECT_EQ(Reread(kSearchRange, "default"), "1,1,1,1,1");
}

TEST_F(ConfigStoreTest, UnknownContentSurvivesASave) {
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(kGoodFile)));
    EXPECT_TRUE(store.Write(kSearchOptions, "custom", "1,0,0,0,0,0"));
    EXPECT_TRUE(store.Write(kCleanerTasks, "custom", "0,0,0,0,0,0,0,0,0,0,1"));
    ASSERT_TRUE(store.Save());
    std::string saved = ReadWholeFile(m_file);
    EXPECT_NE(saved.find("<!-- kept by hand -->"), std::string::npos) << saved;
    EXPECT_NE(saved.find("text of my own"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\n    <website url="), std::string::npos) << saved;
    EXPECT_EQ(Reread(kSearchOptions, "note"), "mine");
    EXPECT_EQ(Reread("/config/zazadazivevevivozed/plugins/plugin", "name"), "extra");
    EXPECT_EQ(Reread(kSearchOptions, "custom"), "1,0,0,0,0,0");
    EXPECT_EQ(Reread(kSearchOptions, "default"), "1,1,1,0,0,0");
    EXPECT_EQ(Reread(kCleanerTasks, "custom"), "0,0,0,0,0,0,0,0,0,0,1");
    EXPECT_EQ(Reread(kWebsite, "url"), "https://www.example.com");
}

TEST_F(ConfigStoreTest, KeywordIsStoredCutTo499CharactersWithMarkupCharactersIntact) {
    std::string keyword = "<a href=\"x\">&amp;'";
    keyword += std::string(600 - keyword.size(), 'k');
    std::string stored = CutKeyword(keyword);
    EXPECT_EQ(stored, keyword.substr(0, 499));
    EXPECT_EQ(CutKeyword("short"), "short");
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(kGoodFile)));
    EXPECT_TRUE(store.Write(kSearchKeyword, "custom", stored));
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(Reread(kSearchKeyword, "custom"), stored);
    // An empty keyword is stored as empty, not dropped.
    ASSERT_TRUE(store.Write(kSearchKeyword, "custom", ""));
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(Reread(kSearchKeyword, "custom"), "");
}

TEST_F(ConfigStoreTest, SaveReplacesTheFileAndLeavesNoNewFileBehind) {
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(kGoodFile)));
    std::string newFile = AnsiFromWide(store.SavingPath());
    EXPECT_EQ(newFile, m_file + ".new");
    // Left over from a save that was cut short.
    ASSERT_TRUE(WriteWholeFile(newFile, "<config"));
    EXPECT_TRUE(store.Write(kSearchRange, "custom", "0,0,0,0,1"));
    ASSERT_TRUE(store.Save());
    EXPECT_FALSE(FileExists(newFile));
    EXPECT_EQ(Reread(kSearchRange, "custom"), "0,0,0,0,1");
}

TEST_F(ConfigStoreTest, SaveThatCannotWriteTheNewFileLeavesTheOldOneUnchanged) {
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(kGoodFile)));
    // A folder where the new file should go: nothing can be written there.
    std::string blocker = m_folder.MakeFolder("config.xml.new");
    EXPECT_TRUE(store.Write(kSearchRange, "custom", "0,0,0,0,0"));
    EXPECT_FALSE(store.Save());
    EXPECT_EQ(ReadWholeFile(m_file), kGoodFile);
    EXPECT_TRUE(RemoveDirectoryA(blocker.c_str()));
    // Once the way is clear the same store saves.
    EXPECT_TRUE(store.Save());
    EXPECT_EQ(Reread(kSearchRange, "custom"), "0,0,0,0,0");
}

TEST_F(ConfigStoreTest, SaveThatCannotReplaceTheOldFileKeepsItAndRemovesTheNewOne) {
    ConfigStore store;
    ASSERT_TRUE(store.Load(Plant(kGoodFile)));
    EXPECT_TRUE(store.Write(kSearchRange, "custom", "0,0,0,0,0"));
    {
        // Another program holds the file open and does not let it be replaced.
        UniqueFileHandle holder(CreateFileA(m_file.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder);
        EXPECT_FALSE(store.Save());
    }
    EXPECT_EQ(ReadWholeFile(m_file), kGoodFile);
    EXPECT_FALSE(FileExists(m_file + ".new"));
}

TEST(FlagList, ShortListRepeatsItsLastField) {
    std::vector<bool> options(6, true);
    EXPECT_TRUE(ApplyFlagList("1,0", options));
    EXPECT_EQ(options, (std::vector<bool>{true, false, false, false, false, false}));
    std::vector<bool> tasks(11, false);
    EXPECT_TRUE(ApplyFlagList("0,1", tasks));
    EXPECT_EQ(tasks, (std::vector<bool>{false, true, true, true, true, true, true, true, true, true,
                                        true}));
}

TEST(FlagList, EmptyFieldsAreDroppedBeforeCounting) {
    std::vector<bool> roots(5, false);
    EXPECT_TRUE(ApplyFlagList("1,,1", roots));
    EXPECT_EQ(roots, std::vector<bool>(5, true));
}

TEST(FlagList, OnlyExactlyOneTicks) {
    std::vector<bool> flags(6, true);
    EXPECT_TRUE(ApplyFlagList(" 1,true,1 ,01,2,1", flags));
    EXPECT_EQ(flags, (std::vector<bool>{false, false, false, false, false, true}));
}

TEST(FlagList, ListWithoutFieldsChangesNothing) {
    const std::vector<bool> before{true, false, true, false, true};
    for (const char* text : {"", ",", ",,,,"}) {
        std::vector<bool> flags = before;
        EXPECT_FALSE(ApplyFlagList(text, flags)) << '"' << text << '"';
        EXPECT_EQ(flags, before);
    }
}

TEST(FlagList, LongerListIgnoresTheExtraFields) {
    std::vector<bool> flags(3, false);
    EXPECT_TRUE(ApplyFlagList("1,0,1,0,0,0", flags));
    EXPECT_EQ(flags, (std::vector<bool>{true, false, true}));
}

TEST(FlagList, WrittenListReadsBackTheSameFlags) {
    EXPECT_EQ(MakeFlagList(std::vector<bool>(5, true)), "1,1,1,1,1");
    std::vector<bool> firstOnly(11, false);
    firstOnly[0] = true;
    EXPECT_EQ(MakeFlagList(firstOnly), "1,0,0,0,0,0,0,0,0,0,0");
    EXPECT_EQ(MakeFlagList({}), "");
    std::vector<bool> mixed{false, true, true, false, false, true};
    std::vector<bool> read(6, false);
    EXPECT_TRUE(ApplyFlagList(MakeFlagList(mixed), read));
    EXPECT_EQ(read, mixed);
}

TEST(XmlParser, AvailableOnlyWhereComIsInitialised) {
    {
        ComInitialization com;
        EXPECT_TRUE(XmlParserAvailable());
    }
    bool withoutCom = true;
    std::thread([&withoutCom] { withoutCom = XmlParserAvailable(); }).join();
    EXPECT_FALSE(withoutCom);
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
