#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "TestSupport.h"
#include "backup/BackupStore.h"

namespace {

std::vector<BackupRow> SortedRows(const std::string& folder) {
    std::vector<BackupRow> rows = ListBackups(folder);
    std::sort(rows.begin(), rows.end(),
              [](const BackupRow& a, const BackupRow& b) { return a.path < b.path; });
    return rows;
}

bool SetCreationTime(const std::string& path, WORD year, WORD month, WORD day, WORD hour) {
    SYSTEMTIME universal = {};
    universal.wYear = year;
    universal.wMonth = month;
    universal.wDay = day;
    universal.wHour = hour;
    universal.wMinute = 5;
    universal.wSecond = 3;
    FILETIME time;
    if (!SystemTimeToFileTime(&universal, &time))
        return false;
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // Wine keeps no creation time of its own on Linux; it reports the older of
    // the change and modification times, so both are set.
    BOOL ok = SetFileTime(file, &time, &time, &time);
    CloseHandle(file);
    return ok != FALSE;
}

TEST(BackupList, ListsEveryRegFileWithTheTypeFromItsName) {
    ScratchFolder folder("list");
    folder.MakeFile("2006-01-01 09-05-03(Full).reg", "12345");
    folder.MakeFile("notes.reg");
    folder.MakeFile("Old(1).REG");
    folder.MakeFile("(x).reg");
    folder.MakeFile("2006-01-01 09-05-03(Before (auto)).reg");
    folder.MakeFile("2006-01-01 09-05-03(Full) (2).reg");
    folder.MakeFile("x.reg.bak");
    folder.MakeFile("x.txt");
    folder.MakeFile("y.reg\\inside.reg");

    std::vector<BackupRow> rows = SortedRows(folder.path());
    ASSERT_EQ(rows.size(), 6u);
    const std::string base = folder.path() + "\\";
    EXPECT_EQ(rows[0].path, base + "(x).reg");
    EXPECT_EQ(rows[0].type, ".reg");
    EXPECT_EQ(rows[1].path, base + "2006-01-01 09-05-03(Before (auto)).reg");
    EXPECT_EQ(rows[1].type, "Before ");
    EXPECT_EQ(rows[2].path, base + "2006-01-01 09-05-03(Full) (2).reg");
    EXPECT_EQ(rows[2].type, "Full");
    EXPECT_EQ(rows[3].path, base + "2006-01-01 09-05-03(Full).reg");
    EXPECT_EQ(rows[3].type, "Full");
    EXPECT_EQ(rows[3].size, "5");
    EXPECT_EQ(rows[4].path, base + "Old(1).REG");
    EXPECT_EQ(rows[4].type, "1");
    EXPECT_EQ(rows[5].path, base + "notes.reg");
    EXPECT_EQ(rows[5].type, "");

    // The same files, whichever way the folder is written.
    std::vector<BackupRow> again = SortedRows(folder.path() + "\\");
    ASSERT_EQ(again.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(again[i].path, rows[i].path);
}

TEST(BackupList, AMissingOrEmptyFolderListsNothing) {
    ScratchFolder folder("nothing");
    EXPECT_TRUE(ListBackups(folder.path()).empty());
    EXPECT_TRUE(ListBackups(folder.Missing("absent")).empty());
}

TEST(BackupList, ShowsTheCreationTimeInTheZonesLocalTimeOfThatDate) {
    ScratchFolder folder("times");
    std::string winter = folder.MakeFile("winter.reg");
    std::string summer = folder.MakeFile("summer.reg");
    ASSERT_TRUE(SetCreationTime(winter, 2006, 1, 1, 9));
    ASSERT_TRUE(SetCreationTime(summer, 2006, 7, 1, 9));
    std::vector<BackupRow> rows = SortedRows(folder.path());
    ASSERT_EQ(rows.size(), 2u);
    // Europe/London: no offset in January, one hour in July.
    EXPECT_EQ(rows[0].path, summer);
    EXPECT_EQ(rows[0].date, "2006-07-01");
    EXPECT_EQ(rows[0].time, "10:05:03");
    EXPECT_EQ(rows[1].date, "2006-01-01");
    EXPECT_EQ(rows[1].time, "09:05:03");
}

TEST(BackupList, AFileGoneBeforeItsRowIsBuiltShowsZeroTimesAndSizeMinusOne) {
    ScratchFolder folder("gone");
    WIN32_FIND_DATAA entry = {};
    std::strcpy(entry.cFileName, "2006-01-01 09-05-03(Full).reg");
    BackupRow row = MakeBackupRow(folder.Missing(entry.cFileName), entry);
    EXPECT_EQ(row.date, "0000-00-00");
    EXPECT_EQ(row.time, "00:00:00");
    EXPECT_EQ(row.size, "-1");
    EXPECT_EQ(row.type, "Full");
    SYSTEMTIME creation, access, write;
    EXPECT_FALSE(GetFileTimes(folder.Missing("x.reg"), &creation, &access, &write));
    EXPECT_EQ(write.wYear, 0);
    EXPECT_EQ(GetFileSizeLow(folder.Missing("x.reg")), -1);
}

TEST(FindFiles, MatchesLongNamesInAnyCaseAgainstEachPattern) {
    ScratchFolder folder("find");
    folder.MakeFile("a.TXT");
    folder.MakeFile("b.log");
    folder.MakeFile("c.dat");
    folder.MakeFolder("d.txt");
    std::vector<std::string> names;
    FindFiles(
        folder.path(), {"*.txt", "B.*"},
        [&names](const std::string& path, const WIN32_FIND_DATAA&) { names.push_back(path); });
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected = {folder.path() + "\\a.TXT", folder.path() + "\\b.log"};
    EXPECT_EQ(names, expected);
}

TEST(BackupName, BackupTypeIsReadBackFromTheName) {
    EXPECT_EQ(BackupTypeFromName("2005-03-07 14-05-09(Full).reg"), "Full");
    EXPECT_EQ(BackupTypeFromName("2005-03-07 14-05-09(Full) (3).reg"), "Full");
    EXPECT_EQ(BackupTypeFromName("notes.reg"), "");
}

}  // namespace
