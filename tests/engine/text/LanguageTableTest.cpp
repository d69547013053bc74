#include <gtest/gtest.h>

#include "TestSupport.h"
#include "text/LanguageTable.h"

namespace {

TEST(LanguageTable, GivesTheKeysTextOrTheKeyItself) {
    ScratchFolder folder(L"language");
    LanguageTable table;
    // A file in the code page, as the shipped one is.
    table.SetFile(folder.MakeFile(L"Test.language",
                                  "[String]\r\n"
                                  "_Scan=Scan\r\n"
                                  "_Empty=\r\n"
                                  "_Cafe=Caf\xe9\r\n"
                                  "_Thanks=First line\\r\\nSecond line\\nThird\r\n"
                                  "_Lone=Back\\slash stays\r\n"
                                  "_Long=" +
                                      std::string(70000, 'x') +
                                      "\r\n"
                                      "_After=After\r\n"
                                      "[Other]\r\n"
                                      "_Elsewhere=Not a text of the table\r\n"));
    const struct {
        const wchar_t* key;
        int expand;
        std::wstring text;
    } cases[] = {
        {L"_Scan", 0, L"Scan"},
        {L"_Cafe", 0, L"Caf\u00e9"},
        {L"_Lone", 1, L"Back\\slash stays"},
        // Escapes expand only when asked.
        {L"_Thanks", 0, L"First line\\r\\nSecond line\\nThird"},
        {L"_Thanks", 1, L"First line\r\nSecond line\nThird"},
        // A missing key and another section's key show the key, as it is, escapes
        // and all (an empty text too: the localisation test shows it).
        {L"_Elsewhere", 0, L"_Elsewhere"},
        {L"_Two\\r\\nLines", 1, L"_Two\\r\\nLines"},
        // An overlong text is cut to the buffer and the file read on.
        {L"_Long", 0, std::wstring(65534, L'x')},
        {L"_After", 0, L"After"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(table.GetText(c.key, c.expand), c.text) << c.key;

    table.SetFile(folder.Missing(L"None.language"));
    EXPECT_EQ(table.GetText(L"_Scan"), L"_Scan");
}

TEST(LanguageTable, ReadsAUtf16FileWithItsByteOrderMarkInAnyScript) {
    const std::wstring scan = L"\u0421\u043a\u0430\u043d\u0438\u0440\u043e\u0432\u0430\u0442\u044c";
    LanguageFileScope language(
        std::vector<std::wstring>{L"_Scan=" + scan, L"_Lines=\u8868\\n\u8868"});
    EXPECT_EQ(GetText(L"_Scan"), scan);
    EXPECT_EQ(GetText(L"_Lines", 1), L"\u8868\n\u8868");
}

}  // namespace
