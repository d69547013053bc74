#include <gtest/gtest.h>

#include "TestSupport.h"
#include "text/LanguageTable.h"

namespace {

class LanguageTableTest : public ::testing::Test {
  protected:
    LanguageTableTest() : m_folder("language") {}

    void UseFile(const std::string& content) {
        m_table.SetFile(m_folder.MakeFile("Test.language", content));
    }

    ScratchFolder m_folder;
    LanguageTable m_table;
};

const char kFile[] =
    "[String]\r\n"
    "_Scan=Scan\r\n"
    "_Empty=\r\n"
    "_Thanks=First line\\r\\nSecond line\\nThird\r\n"
    "_Lone=Back\\slash stays\r\n"
    "[Other]\r\n"
    "_Elsewhere=Not a text of the table\r\n";

TEST_F(LanguageTableTest, DefinedKeyGivesItsText) {
    UseFile(kFile);
    EXPECT_EQ(m_table.GetText("_Scan"), "Scan");
    EXPECT_EQ(m_table.GetText("_Lone", 1), "Back\\slash stays");
}

TEST_F(LanguageTableTest, MissingKeyEmptyTextAndOtherSectionShowTheKey) {
    UseFile(kFile);
    EXPECT_EQ(m_table.GetText("_Missing"), "_Missing");
    EXPECT_EQ(m_table.GetText("_Empty"), "_Empty");
    EXPECT_EQ(m_table.GetText("_Elsewhere"), "_Elsewhere");
    // The key comes back as it is, escapes and all.
    EXPECT_EQ(m_table.GetText("_Two\\r\\nLines", 1), "_Two\\r\\nLines");
}

TEST_F(LanguageTableTest, MissingFileShowsEveryKey) {
    m_table.SetFile(m_folder.Missing("None.language"));
    EXPECT_EQ(m_table.GetText("_Scan"), "_Scan");
    EXPECT_EQ(m_table.GetText("_ZazaDaziveveVivozed", 1), "_ZazaDaziveveVivozed");
}

TEST_F(LanguageTableTest, TableWithoutFileNeverReadsTheSystemProfile) {
    // Given no file name, the profile API would read win.ini.
    ASSERT_TRUE(WriteProfileStringA("String", "_ZdvProbe", "from win.ini"));
    LanguageTable unset;
    std::string text = unset.GetText("_ZdvProbe");
    WriteProfileStringA("String", "_ZdvProbe", nullptr);
    EXPECT_EQ(text, "_ZdvProbe");
}

TEST_F(LanguageTableTest, EscapesExpandOnlyWhenAsked) {
    UseFile(kFile);
    EXPECT_EQ(m_table.GetText("_Thanks"), "First line\\r\\nSecond line\\nThird");
    EXPECT_EQ(m_table.GetText("_Thanks", 1), "First line\r\nSecond line\nThird");
}

TEST_F(LanguageTableTest, OverlongTextIsCutToTheBuffer) {
    std::string text(70000, 'x');
    UseFile("[String]\r\n_Long=" + text + "\r\n_After=After\r\n");
    EXPECT_EQ(m_table.GetText("_Long"), text.substr(0, 65534));
    EXPECT_EQ(m_table.GetText("_After"), "After");
}

TEST(ExpandEscapes, TurnsBackslashPairsIntoLineBreaks) {
    std::string text = "a\\rb\\nc\\r\\n\\t\\";
    ExpandEscapes(text);
    EXPECT_EQ(text, "a\rb\nc\r\n\\t\\");
    std::string plain = "no escapes";
    ExpandEscapes(plain);
    EXPECT_EQ(plain, "no escapes");
}

TEST_F(LanguageTableTest, MultibyteTrailBackslashIsNotAnEscape) {
    ASSERT_EQ(GetACP(), 932u);
    // The second byte of these characters is a backslash.
    const std::string display = "\x95\x5C";   // "display"
    const std::string software = "\x83\x5C";  // first syllable of "software"
    UseFile("[String]\r\n_Kind=" + display + "n" + software + "r\r\n_Lines=" + display + "\\n" +
            software + "\r\n");
    EXPECT_EQ(m_table.GetText("_Kind", 1), display + "n" + software + "r");
    EXPECT_EQ(m_table.GetText("_Lines", 1), display + "\n" + software);
}

}  // namespace
