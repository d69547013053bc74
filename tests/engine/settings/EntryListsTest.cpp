#include <gtest/gtest.h>

#include "TestSupport.h"
#include "settings/EntryLists.h"

namespace {

const char kFileWithoutLists[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<config>\r\n"
    "  <zazadazivevevivozed>\r\n"
    "    <website url=\"https://www.example.com\"/>\r\n"
    "  </zazadazivevevivozed>\r\n"
    "</config>\r\n";

class EntryListsTest : public ::testing::Test {
  protected:
    EntryLists Reload(const std::wstring& file) {
        ConfigStore store;
        EXPECT_TRUE(store.Load(file));
        return LoadEntryLists(store);
    }

    ComInitialization m_com;
    ScratchFolder m_folder{L"entrylists"};
};

TEST_F(EntryListsTest, ShippedFileHoldsTheProgramsFactoryListInForce) {
    const EntryLists lists = Reload(BuildFolder() + L"\\config.xml");
    EXPECT_EQ(lists.factoryPlaces, FactoryProtectedPlaces());
    EXPECT_EQ(lists.protectedPlaces, FactoryProtectedPlaces());
    EXPECT_TRUE(lists.ignored.empty());
}

TEST_F(EntryListsTest, ListsRoundTripWhileTheFileKeepsItsFactoryListAndOtherSettings) {
    const std::wstring file = m_folder.MakeFile(L"config.xml", kFileWithoutLists);
    EntryLists lists = Reload(file);
    EXPECT_EQ(lists.factoryPlaces, FactoryProtectedPlaces());
    EXPECT_EQ(lists.protectedPlaces, lists.factoryPlaces);
    EXPECT_TRUE(lists.ignored.empty());

    lists.factoryPlaces = {{L"HKLM", L"Factory"}};
    lists.protectedPlaces = {{L"HKEY_CURRENT_USER", L"Software\\A,B\\Caf\u00e9"}, {L"HKLM", L"*"}};
    lists.ignored = {{L"HKEY_CURRENT_USER", L"Software\\A,B", L"", true},
                     {L"HKEY_LOCAL_MACHINE", L"K\u00e9y", L"", false},
                     {L"HKEY_LOCAL_MACHINE", L"K", L"x\\y,z", false}};
    ASSERT_TRUE(SaveEntryLists(file, lists));
    const EntryLists saved = Reload(file);
    EXPECT_EQ(saved.factoryPlaces, lists.factoryPlaces);
    EXPECT_EQ(saved.protectedPlaces, lists.protectedPlaces);
    EXPECT_EQ(saved.ignored, lists.ignored);
    const std::string text = ReadWholeFile(file);
    EXPECT_NE(text.find("<website url="), std::string::npos) << text;
    EXPECT_NE(text.find("\n        <place root=\"HKEY_CURRENT_USER\""), std::string::npos) << text;

    // An emptied list stays empty; the factory list in the file is never rewritten.
    lists.protectedPlaces.clear();
    lists.factoryPlaces = {{L"HKLM", L"Changed"}};
    ASSERT_TRUE(SaveEntryLists(file, lists));
    EXPECT_TRUE(Reload(file).protectedPlaces.empty());
    lists = Reload(file);
    ASSERT_TRUE(RestoreFactoryPlaces(file, lists));
    const std::vector<PlacePattern> factory = {{L"HKLM", L"Factory"}};
    EXPECT_EQ(Reload(file).protectedPlaces, factory);
    EXPECT_FALSE(SaveEntryLists(m_folder.Missing(L"missing.xml"), lists));
    EXPECT_FALSE(FileExists(m_folder.Missing(L"missing.xml")));
}

}  // namespace
