#include <gtest/gtest.h>

#include "TestSupport.h"
#include "text/LanguageTable.h"
#include "backup/BackupStore.h"

namespace {

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Points the language table at a file of the test's own for as long as it lives.
class TestLanguage {
  public:
    TestLanguage(const ScratchFolder& folder, const std::string& lines)
        : m_previous(Language().File()) {
        std::string path = folder.MakeFile("test.language", "[String]\r\n" + lines);
        Language().SetFile(path);
    }
    ~TestLanguage() { Language().SetFile(m_previous); }

  private:
    std::string m_previous;
};

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

TEST(BackupName, CarriesTheLocalTimeAndTheTypeText) {
    SYSTEMTIME before;
    GetLocalTime(&before);
    std::string stamp = CurrentTimeStamp();
    EXPECT_TRUE(IsStamp(stamp, ':')) << stamp;
    EXPECT_EQ(std::stoi(stamp.substr(0, 4)), before.wYear);

    ScratchFolder folder("names");
    TestLanguage language(folder, "_PageRegistryBackupType1=Full\r\n");
    std::string name = MakeBackupName("_PageRegistryBackupType1");
    EXPECT_TRUE(IsStamp(name.substr(0, 19), '-')) << name;
    EXPECT_EQ(name.substr(19), "(Full).reg");
    // Without a text the key itself names the type.
    EXPECT_EQ(MakeBackupName("_PageRegistryBackupType2").substr(19),
              "(_PageRegistryBackupType2).reg");
}

TEST(BackupName, NeverNamesAFileThatIsAlreadyThere) {
    ScratchFolder folder("unique");
    TestLanguage language(folder, "_PageRegistryBackupType1=Full\r\n");
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

TEST(BackupName, ReplacesWhatCannotStandInAFileName) {
    EXPECT_EQ(FileNameSafeText("a\\b/c:d*e?f\"g<h>i|j\tk"), "a_b_c_d_e_f_g_h_i_j_k");
    EXPECT_EQ(FileNameSafeText("Before (auto)"), "Before (auto)");

    ScratchFolder folder("unsafe");
    TestLanguage language(folder, "_PageRegistryBackupType2=Cleaner: 1/2\r\n");
    std::string name = MakeBackupName("_PageRegistryBackupType2", folder.path());
    EXPECT_EQ(name.substr(19), "(Cleaner_ 1_2).reg");
}

TEST(BackupName, MultibyteTypeTextKeepsItsCharacters) {
    // Under code page 932 the trail bytes of these two characters are "\" and "|".
    EXPECT_EQ(FileNameSafeText("\x95\x5c\x83\x7c:"), "\x95\x5c\x83\x7c_");
}

TEST(EnsureExtension, AppendsOnlyAMissingExtension) {
    EXPECT_EQ(EnsureExtension("x", "reg"), "x.reg");
    EXPECT_EQ(EnsureExtension("x", ".REG"), "x.reg");
    EXPECT_EQ(EnsureExtension("x.REG", "reg"), "x.REG");
    EXPECT_EQ(EnsureExtension("x.reg.bak", "reg"), "x.reg.bak.reg");
    EXPECT_EQ(EnsureExtension("a(b)", "reg"), "a(b).reg");
    EXPECT_EQ(EnsureExtension("", "reg"), ".reg");
}

TEST(CreatePathFolders, MakesEveryMissingFolderButNotTheFile) {
    ScratchFolder folder("folders");
    std::string file = folder.path() + "\\Data\\Zdv\\Backup\\x.reg";
    EXPECT_TRUE(CreatePathFolders(file));
    EXPECT_TRUE(IsFolder(folder.path() + "\\Data\\Zdv\\Backup"));
    EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(CreatePathFolders(file));  // all there already

    // A file where a folder should be: reported, nothing else harmed.
    std::string blocker = folder.MakeFile("Blocked", "keep");
    EXPECT_FALSE(CreatePathFolders(blocker + "\\Inner\\x.reg"));
    EXPECT_EQ(ReadWholeFile(blocker), "keep");
}

TEST(FolderWithBackslash, AddsExactlyOne) {
    EXPECT_EQ(FolderWithBackslash("C:\\Backup"), "C:\\Backup\\");
    EXPECT_EQ(FolderWithBackslash("C:\\Backup\\"), "C:\\Backup\\");
}

}  // namespace
