#include <gtest/gtest.h>

#include "TestSupport.h"
#include "cleaner/TaskSelection.h"
#include "common/UniqueHandle.h"

namespace {

std::vector<bool> Tasks(std::initializer_list<int> numbers) {
    std::vector<bool> selection(11, false);
    for (int n : numbers)
        selection[n - 1] = true;
    return selection;
}

TEST(ParseTaskList, AcceptsNumbersAndRangesInAnyOrderAndRejectsTheRestKeepingTheSelection) {
    const std::pair<const wchar_t*, std::vector<bool>> good[] = {
        {L"1-3,11", Tasks({1, 2, 3, 11})},
        {L"11,2,2", Tasks({2, 11})},
        {L"1-11", std::vector<bool>(11, true)},
        {L"07", Tasks({7})}};
    for (const auto& [text, tasks] : good) {
        std::vector<bool> selection;
        EXPECT_TRUE(ParseTaskList(text, selection) && selection == tasks) << text;
    }
    for (const wchar_t* bad : {L"", L"0", L"12", L"1-", L"-3", L"3-1", L"1,,2", L"1,", L"a",
                               L"1 ,2", L"1-2-3", L"+1", L"100"}) {
        std::vector<bool> selection = Tasks({5});
        EXPECT_FALSE(ParseTaskList(bad, selection)) << bad;
        EXPECT_EQ(selection, Tasks({5})) << bad;
    }
}

class StoredTaskSelectionTest : public ::testing::Test {
  protected:
    std::wstring Config(const std::string& custom, const std::string& standard) {
        return folder.MakeFile(L"config.xml",
                               "<?xml version=\"1.0\"?>\r\n<config><zazadazivevevivozed>"
                               "<cleanersearchtasklist custom=\"" +
                                   custom + "\" default=\"" + standard +
                                   "\"/></zazadazivevevivozed></config>\r\n");
    }
    ComInitialization com;
    ScratchFolder folder{L"selection"};
};

TEST_F(StoredTaskSelectionTest, PrefersCustomThenDefaultThenAllButTimeZones) {
    std::vector<bool> allButTen = Tasks({1, 2, 3, 4, 5, 6, 7, 8, 9, 11});
    EXPECT_EQ(FactoryTaskSelection(), allButTen);
    EXPECT_EQ(StoredTaskSelection(Config("0,0,0,0,0,1,0,0,0,0,1", "1")), Tasks({6, 11}));
    // The default list when the custom one is empty: zdv scan without tasks shows it.
    EXPECT_EQ(StoredTaskSelection(Config(",", "")), allButTen);
    EXPECT_EQ(StoredTaskSelection(folder.Missing(L"none.xml")), allButTen);
    EXPECT_EQ(StoredTaskSelection(folder.MakeFile(L"bad.xml", "<config><unclosed>")), allButTen);
}

}  // namespace
