#include <gtest/gtest.h>

#include "TestSupport.h"
#include "text/LanguageTable.h"

namespace {

TEST(LanguageTable, GivesTheKeysTextOrTheKeyItself) {
    ScratchFolder folder("language");
    LanguageTable table;
    table.SetFile(folder.MakeFile("Test.language",
                                  "[String]\r\n"
                                  "_Scan=Scan\r\n"
                                  "_Empty=\r\n"
                                  "_Thanks=First line\\r\\nSecond line\\nThird\r\n"
                                  "_Lone=Back\\slash stays\r\n"
                                  "_Long=" +
                                      std::string(70000, 'x') +
                                      "\r\n"
                                      "_After=After\r\n"
                                      "[Other]\r\n"
                                      "_Elsewhere=Not a text of the table\r\n"));
    const struct {
        const char* key;
        int expand;
        std::string text;
    } cases[] = {
        {"_Scan", 0, "Scan"},
        {"_Lone", 1, "Back\\slash stays"},
        // Escapes expand only when asked.
        {"_Thanks", 0, "First line\\r\\nSecond line\\nThird"},
        {"_Thanks", 1, "First line\r\nSecond line\nThird"},
        // A missing key and another section's key show the key, as it is, escapes
        // and all (an empty text too: the localisation test shows it).
        {"_Elsewhere", 0, "_Elsewhere"},
        {"_Two\\r\\nLines", 1, "_Two\\r\\nLines"},
        // An overlong text is cut to the buffer and the file read on.
        {"_Long", 0, std::string(65534, 'x')},
        {"_After", 0, "After"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(table.GetText(c.key, c.expand), c.text) << c.key;

    table.SetFile(folder.Missing("None.language"));
    EXPECT_EQ(table.GetText("_Scan"), "_Scan");
}

TEST(LanguageTable, MultibyteTrailBackslashIsNotAnEscape) {
    ASSERT_EQ(GetACP(), 932u);
    // The second byte of these characters is a backslash.
    const std::string display = "\x95\x5C";   // "display"
    const std::string software = "\x83\x5C";  // first syllable of "software"
    ScratchFolder folder("language");
    LanguageTable table;
    table.SetFile(folder.MakeFile("Test.language", "[String]\r\n_Kind=" + display + "n" + software +
                                                       "r\r\n_Lines=" + display + "\\n" + software +
                                                       "\r\n"));
    EXPECT_EQ(table.GetText("_Kind", 1), display + "n" + software + "r");
    EXPECT_EQ(table.GetText("_Lines", 1), display + "\n" + software);
}

}  // namespace
