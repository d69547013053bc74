#include <gtest/gtest.h>

#include "TestSupport.h"
#include "backup/BackupStore.h"

namespace {

// "dddd-dd-dd dd:dd:dd" with the given time separator, each d a digit.
bool IsStamp(std::string text, char timeSeparator) {
    for (char& c : text)
        c = isdigit(static_cast<unsigned char>(c)) ? 'd' : c;
    return text == std::string("dddd-dd-dd dd") + timeSeparator + "dd" + timeSeparator + "dd";
}

TEST(BackupName, CarriesTheLocalTimeAndTheTypeTextMadeSafeForAFileName) {
    EXPECT_TRUE(IsStamp(CurrentTimeStamp(), ':')) << CurrentTimeStamp();

    LanguageFileScope language(std::vector<std::string>{"_PageRegistryBackupType1=Full",
                                                        "_PageRegistryBackupType2=Cleaner: 1/2"});
    std::string name = MakeBackupName("_PageRegistryBackupType1");
    EXPECT_TRUE(IsStamp(name.substr(0, 19), '-')) << name;
    EXPECT_EQ(name.substr(19), "(Full).reg");
    EXPECT_EQ(MakeBackupName("_PageRegistryBackupType2").substr(19), "(Cleaner_ 1_2).reg");
    // Without a text the key itself names the type: the deletion's backup shows it.
    EXPECT_EQ(FileNameSafeText("a\\b/c:d*e?f\"g<h>i|j\tk"), "a_b_c_d_e_f_g_h_i_j_k");
    EXPECT_EQ(FileNameSafeText("Before (auto)"), "Before (auto)");
}

TEST(BackupName, NeverNamesAFileThatIsAlreadyThere) {
    ScratchFolder folder("unique");
    LanguageFileScope language(std::vector<std::string>{"_PageRegistryBackupType1=Full"});
    // Three names within one second; tried again if a second boundary fell between.
    std::vector<std::string> names;
    for (int attempt = 0; attempt < 3; ++attempt) {
        names.clear();
        for (int i = 0; i < 3; ++i) {
            std::string folderText = folder.path() + (i == 1 ? "\\" : "");
            names.push_back(MakeBackupName("_PageRegistryBackupType1", folderText));
            folder.MakeFile(names.back());
        }
        if (names[0].substr(0, 19) == names[2].substr(0, 19))
            break;
    }
    ASSERT_EQ(names[0].substr(0, 19), names[2].substr(0, 19));
    EXPECT_EQ(names[0].substr(19), "(Full).reg");
    EXPECT_EQ(names[1].substr(19), "(Full) (2).reg");
    EXPECT_EQ(names[2].substr(19), "(Full) (3).reg");
}

TEST(BackupName, MultibyteTypeTextKeepsItsCharacters) {
    // Under code page 932 the trail bytes of these two characters are "\" and "|".
    EXPECT_EQ(FileNameSafeText("\x95\x5c\x83\x7c:"), "\x95\x5c\x83\x7c_");
}

}  // namespace
