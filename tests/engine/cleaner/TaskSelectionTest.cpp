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
    const std::pair<const char*, std::vector<bool>> good[] = {{"1-3,11", Tasks({1, 2, 3, 11})},
                                                              {"11,2,2", Tasks({2, 11})},
                                                              {"1-11", std::vector<bool>(11, true)},
                                                              {"07", Tasks({7})}};
    for (const auto& [text, tasks] : good) {
        std::vector<bool> selection;
        std::string error;
        EXPECT_TRUE(ParseTaskList(text, selection, error) && selection == tasks) << text;
    }
    for (const char* bad :
         {"", "0", "12", "1-", "-3", "3-1", "1,,2", "1,", "a", "1 ,2", "1-2-3", "+1", "100"}) {
        std::vector<bool> selection = Tasks({5});
        std::string error;
        EXPECT_FALSE(ParseTaskList(bad, selection, error)) << bad;
        EXPECT_EQ(selection, Tasks({5})) << bad;
        EXPECT_NE(error.find("1 to 11"), std::string::npos) << bad;
    }
}

class StoredTaskSelectionTest : public ::testing::Test {
  protected:
    std::string Config(const std::string& custom, const std::string& standard) {
        return folder.MakeFile("config.xml",
                               "<?xml version=\"1.0\"?>\r\n<config><zazadazivevevivozed>"
                               "<cleanersearchtasklist custom=\"" +
                                   custom + "\" default=\"" + standard +
                                   "\"/></zazadazivevevivozed></config>\r\n");
    }
    ComInitialization com;
    ScratchFolder folder{"selection"};
};

TEST_F(StoredTaskSelectionTest, PrefersCustomThenDefaultThenAllButTimeZones) {
    std::vector<bool> allButTen = Tasks({1, 2, 3, 4, 5, 6, 7, 8, 9, 11});
    EXPECT_EQ(FactoryTaskSelection(), allButTen);
    EXPECT_EQ(StoredTaskSelection(Config("0,0,0,0,0,1,0,0,0,0,1", "1")), Tasks({6, 11}));
    // The default list when the custom one is empty: zdv scan without tasks shows it.
    EXPECT_EQ(StoredTaskSelection(Config(",", "")), allButTen);
    EXPECT_EQ(StoredTaskSelection(folder.Missing("none.xml")), allButTen);
    EXPECT_EQ(StoredTaskSelection(folder.MakeFile("bad.xml", "<config><unclosed>")), allButTen);
}

}  // namespace
