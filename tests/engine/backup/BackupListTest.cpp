#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "backup/BackupStore.h"
#include "common/UniqueHandle.h"

namespace {

std::vector<BackupRow> SortedRows(const std::string& folder) {
    std::vector<BackupRow> rows = ListBackups(folder);
    std::sort(rows.begin(), rows.end(),
              [](const BackupRow& a, const BackupRow& b) { return a.path < b.path; });
    return rows;
}

// Each row as "name|type|size", and " date time" when asked.
std::vector<std::string> Describe(const std::vector<BackupRow>& rows, bool withTime = false) {
    std::vector<std::string> out;
    for (const BackupRow& row : rows) {
        out.push_back(row.path.substr(row.path.rfind('\\') + 1) + "|" + row.type + "|" + row.size +
                      (withTime ? " " + row.date + " " + row.time : ""));
    }
    return out;
}

bool SetCreationTime(const std::string& path, WORD month) {
    SYSTEMTIME universal = {2006, month, 0, 1, 9, 5, 3, 0};
    FILETIME time;
    UniqueFileHandle file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    // Wine keeps no creation time of its own on Linux; it reports the older of
    // the change and modification times, so both are set.
    return file && SystemTimeToFileTime(&universal, &time) &&
           SetFileTime(file.get(), &time, &time, &time);
}

TEST(BackupList, ListsEveryRegFileWithTheTypeFromItsName) {
    ScratchFolder folder("list");
    for (const char* name :
         {"notes.reg", "Old(1).REG", "(x).reg", "2006-01-01 09-05-03(Before (auto)).reg",
          "2006-01-01 09-05-03(Full) (2).reg", "x.reg.bak", "x.txt", "y.reg\\inside.reg"}) {
        folder.MakeFile(name, "1");
    }
    folder.MakeFile("2006-01-01 09-05-03(Full).reg", "12345");
    std::vector<std::string> rows = Describe(SortedRows(folder.path()));
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "(x).reg|.reg|1", "2006-01-01 09-05-03(Before (auto)).reg|Before |1",
                        "2006-01-01 09-05-03(Full) (2).reg|Full|1",
                        "2006-01-01 09-05-03(Full).reg|Full|5", "Old(1).REG|1|1", "notes.reg||1"}));
    EXPECT_TRUE(ListBackups(folder.Missing("absent")).empty());
}

TEST(BackupList, ShowsTheCreationTimeInTheZonesLocalTimeOfThatDate) {
    ScratchFolder folder("times");
    ASSERT_TRUE(SetCreationTime(folder.MakeFile("winter.reg"), 1));
    ASSERT_TRUE(SetCreationTime(folder.MakeFile("summer.reg"), 7));
    // Europe/London: no offset in January, one hour in July.
    EXPECT_EQ(Describe(SortedRows(folder.path()), true),
              (std::vector<std::string>{"summer.reg||1 2006-07-01 10:05:03",
                                        "winter.reg||1 2006-01-01 09:05:03"}));
}

}  // namespace
