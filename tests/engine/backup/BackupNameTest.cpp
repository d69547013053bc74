#include <gtest/gtest.h>

#include "TestSupport.h"
#include "backup/BackupStore.h"

namespace {

const SYSTEMTIME kMarch7 = {2005, 3, 1, 7, 14, 5, 9, 0};

TEST(BackupName, CarriesTheTimeAndTheTypeTextMadeSafeForAFileName) {
    EXPECT_EQ(TimeStamp(kMarch7), L"2005-03-07 14:05:09");
    EXPECT_EQ(MakeBackupName(L"Full", L"", kMarch7), L"2005-03-07 14-05-09(Full).reg");
    EXPECT_EQ(MakeBackupName(L"Cleaner: 1/2", L"", kMarch7),
              L"2005-03-07 14-05-09(Cleaner_ 1_2).reg");
    // A type text in another script keeps its characters.
    EXPECT_EQ(MakeBackupName(L"\u041f\u043e\u043b\u043d\u0430\u044f", L"", kMarch7),
              L"2005-03-07 14-05-09(\u041f\u043e\u043b\u043d\u0430\u044f).reg");
    EXPECT_EQ(FileNameSafeText(L"a\\b/c:d*e?f\"g<h>i|j\tk"), L"a_b_c_d_e_f_g_h_i_j_k");
    EXPECT_EQ(FileNameSafeText(L"Before (auto)"), L"Before (auto)");
}

TEST(BackupName, NeverNamesAFileThatIsAlreadyThere) {
    ScratchFolder folder(L"unique");
    std::vector<std::wstring> names;
    for (int i = 0; i < 3; ++i) {
        const std::wstring folderText = folder.path() + (i == 1 ? L"\\" : L"");
        names.push_back(MakeBackupName(L"Full", folderText, kMarch7));
        folder.MakeFile(names.back());
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"2005-03-07 14-05-09(Full).reg",
                                                L"2005-03-07 14-05-09(Full) (2).reg",
                                                L"2005-03-07 14-05-09(Full) (3).reg"}));
    EXPECT_EQ(NewBackupPath(folder.path(), L"Full", kMarch7),
              folder.path() + L"\\2005-03-07 14-05-09(Full) (4).reg");
}

}  // namespace
