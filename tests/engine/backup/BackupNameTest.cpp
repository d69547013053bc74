#include <gtest/gtest.h>

#include "TestSupport.h"
#include "backup/BackupStore.h"

namespace {

bool IsStamp(const std::string& text, char timeSeparator) {
    const std::string form = "dddd-dd-dd dd:dd:dd";
    if (text.size() != form.size())
        return false;
    for (std::size_t i = 0; i < form.size(); ++i) {
        char expected = form[i] == ':' ? timeSeparator : form[i];
        if (expected == 'd' ? !isdigit(static_cast<unsigned char>(text[i])) : text[i] != expected) {
            return false;
        }
    }
    return true;
}

TEST(BackupName, CarriesTheLocalTimeAndTheTypeTextMadeSafeForAFileName) {
    SYSTEMTIME before;
    GetLocalTime(&before);
    std::string stamp = CurrentTimeStamp();
    EXPECT_TRUE(IsStamp(stamp, ':')) << stamp;
    EXPECT_EQ(std::stoi(stamp.substr(0, 4)), before.wYear);

    LanguageFileScope language(std::vector<std::string>{"_PageRegistryBackupType1=Full",
                                                        "_PageRegistryBackupType2=Cleaner: 1/2"});
    std::string name = MakeBackupName("_PageRegistryBackupType1");
    EXPECT_TRUE(IsStamp(name.substr(0, 19), '-')) << name;
    EXPECT_EQ(name.substr(19), "(Full).reg");
    EXPECT_EQ(MakeBackupName("_PageRegistryBackupType2").substr(19), "(Cleaner_ 1_2).reg");
    // Without a text the key itself names the type.
    EXPECT_EQ(MakeBackupName("_PageRegistryBackupType3").substr(19),
              "(_PageRegistryBackupType3).reg");
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

TEST(CreatePathFolders, MakesEveryMissingFolderButNotTheFile) {
    ScratchFolder folder("folders");
    std::string file = folder.path() + "\\Data\\Zdv\\Backup\\x.reg";
    EXPECT_TRUE(CreatePathFolders(file));
    EXPECT_TRUE(FileExists(folder.path() + "\\Data\\Zdv\\Backup"));
    EXPECT_FALSE(FileExists(file));
    EXPECT_TRUE(CreatePathFolders(file));  // all there already

    // A file where a folder should be: reported, nothing else harmed.
    std::string blocker = folder.MakeFile("Blocked", "keep");
    EXPECT_FALSE(CreatePathFolders(blocker + "\\Inner\\x.reg"));
    EXPECT_EQ(ReadWholeFile(blocker), "keep");
}

}  // namespace
