#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "backup/BackupStore.h"
#include "common/UniqueHandle.h"

namespace {

std::vector<BackupRow> SortedRows(const std::wstring& folder) {
    std::vector<BackupRow> rows = ListBackups(folder);
    std::sort(rows.begin(), rows.end(),
              [](const BackupRow& a, const BackupRow& b) { return a.path < b.path; });
    return rows;
}

// Each row as "name|type|size", and " date time" when asked.
std::vector<std::wstring> Describe(const std::vector<BackupRow>& rows, bool withTime = false) {
    std::vector<std::wstring> out;
    for (const BackupRow& row : rows) {
        out.push_back(row.path.substr(row.path.rfind(L'\\') + 1) + L"|" + row.type + L"|" +
                      row.size + (withTime ? L" " + row.date + L" " + row.time : L""));
    }
    return out;
}

bool SetCreationTime(const std::wstring& path, WORD month) {
    SYSTEMTIME universal = {2006, month, 0, 1, 9, 5, 3, 0};
    FILETIME time;
    UniqueFileHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    // Wine keeps no creation time of its own on Linux; it reports the older of
    // the change and modification times, so both are set.
    return file && SystemTimeToFileTime(&universal, &time) &&
           SetFileTime(file.get(), &time, &time, &time);
}

TEST(BackupList, ListsEveryRegFileWithTheTypeFromItsName) {
    ScratchFolder folder(L"list");
    for (const wchar_t* name :
         {L"notes.reg", L"Old(1).REG", L"(x).reg", L"2006-01-01 09-05-03(Before (auto)).reg",
          L"2006-01-01 09-05-03(Full) (2).reg", L"x.reg.bak", L"x.txt", L"y.reg\\inside.reg"}) {
        folder.MakeFile(name, "1");
    }
    folder.MakeFile(L"2006-01-01 09-05-03(Full).reg", "12345");
    std::vector<std::wstring> rows = Describe(SortedRows(folder.path()));
    EXPECT_EQ(rows,
              (std::vector<std::wstring>{
                  L"(x).reg|.reg|1", L"2006-01-01 09-05-03(Before (auto)).reg|Before |1",
                  L"2006-01-01 09-05-03(Full) (2).reg|Full|1",
                  L"2006-01-01 09-05-03(Full).reg|Full|5", L"Old(1).REG|1|1", L"notes.reg||1"}));
    EXPECT_TRUE(ListBackups(folder.Missing(L"absent")).empty());
}

TEST(BackupList, ShowsTheCreationTimeInTheZonesLocalTimeOfThatDate) {
    ScratchFolder folder(L"times");
    ASSERT_TRUE(SetCreationTime(folder.MakeFile(L"winter.reg"), 1));
    ASSERT_TRUE(SetCreationTime(folder.MakeFile(L"summer.reg"), 7));
    // Europe/London: no offset in January, one hour in July.
    EXPECT_EQ(Describe(SortedRows(folder.path()), true),
              (std::vector<std::wstring>{L"summer.reg||1 2006-07-01 10:05:03",
                                         L"winter.reg||1 2006-01-01 09:05:03"}));
}

}  // namespace
