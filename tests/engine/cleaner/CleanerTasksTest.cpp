#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "cleaner/CleanerTasks.h"
#include "cleaner/ScanDriver.h"

namespace {

const std::string kHklm = "HKEY_LOCAL_MACHINE";
const std::string kHkcu = "HKEY_CURRENT_USER";
const std::string kCv = "Software\\Microsoft\\Windows\\CurrentVersion\\";
const std::string kPid = std::to_string(GetCurrentProcessId());

const auto& Row = RowText;
std::string KeyRow(const std::string& root, const std::string& key, const std::string& data = "") {
    return RowText(kImageKey, root, key, "", data, KeyRowMarker);
}

std::vector<std::string> RunRows(int task) {
    RecordingSink sink;
    TaskEnvironment env;
    env.sink = &sink;
    RunTask(task, env);
    return sink.rows;
}

// The rows of after that before does not hold (as a multiset), in after's order.
std::vector<std::string> Added(std::vector<std::string> before,
                               const std::vector<std::string>& after) {
    std::vector<std::string> added;
    for (const std::string& row : after) {
        auto found = std::find(before.begin(), before.end(), row);
        if (found != before.end()) {
            before.erase(found);
        } else {
            added.push_back(row);
        }
    }
    return added;
}

class CleanerTasks : public ::testing::Test {
  protected:
    ScratchFolder files{"tasks"};
    std::string present = files.MakeFile("Present\\tool.exe");
    std::string missing = files.Missing("Gone\\tool.exe");
};

TEST_F(CleanerTasks, UserSoftwareReportsStringValuesNamingMissingFiles) {
    auto before = RunRows(1);
    ScratchKey key("Task1");
    std::string k = key.path();
    PlantString(HKEY_CURRENT_USER, k, "a data", missing);
    PlantString(HKEY_CURRENT_USER, k, "b expandable", missing, REG_EXPAND_SZ);
    PlantString(HKEY_CURRENT_USER, k, "c icon", missing + ",0");
    PlantString(HKEY_CURRENT_USER, k, "d present", present);
    PlantString(HKEY_CURRENT_USER, k, missing, "any text");
    PlantString(HKEY_CURRENT_USER, k + "\\Sub", present, missing);
    PlantString(HKEY_CURRENT_USER, k + "\\Sub", "z twice", "\"" + missing + "\" \"%1\"");
    PlantString(HKEY_CURRENT_USER, k + "\\Classes\\CLSID\\{1-2-3-4-5}\\InprocServer32", "",
                missing);
    auto added = Added(before, RunRows(1));
    std::vector<std::string> expected = {
        Row(0, kHkcu, k, "a data", missing, REG_SZ),
        Row(0, kHkcu, k, missing, "any text", REG_SZ),
        Row(0, kHkcu, k + "\\Sub", present, missing, REG_SZ),
        Row(0, kHkcu, k + "\\Sub", "z twice", "\"" + missing + "\" \"%1\"", REG_SZ),
    };
    EXPECT_EQ(added, expected);
}

TEST_F(CleanerTasks, AllUsersSkipShellFoldersAndTheir32BitCopies) {
    auto before = RunRows(2);
    ScratchKey key("Task2");
    const std::string shell = "Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    PlantString(HKEY_CURRENT_USER, key.Sub("Software\\" + shell), "Programs", missing);
    PlantString(HKEY_CURRENT_USER, key.Sub("Software\\Wow6432Node\\" + shell), "Programs", missing);
    PlantString(HKEY_CURRENT_USER, key.Sub("Software\\Wow6432Node\\Tool"), "Path", missing);
    auto added = Added(before, RunRows(2));
    // HKEY_CURRENT_USER is one of the users below HKEY_USERS.
    ASSERT_EQ(added.size(), 1u);
    std::string tail = key.Sub("Software\\Wow6432Node\\Tool") + "|Path|" + missing + "|1";
    EXPECT_EQ(added[0].compare(0, 22, "0|HKEY_USERS|S-1-5-21-"), 0) << added[0];
    EXPECT_EQ(added[0].substr(added[0].size() - tail.size()), tail);
}

TEST_F(CleanerTasks, MachineSettingsSkipClassesInstallerAndUninstallData) {
    auto before = RunRows(3);
    PlantedKey tool(HKEY_LOCAL_MACHINE, "Software\\ZdvTool" + kPid, "Path", missing);
    PlantedKey tool32(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\ZdvTool" + kPid, "Path", missing);
    PlantedKey classes(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\ZdvType" + kPid, "Path", missing);
    PlantedKey uninstall32(HKEY_LOCAL_MACHINE,
                           "Software\\Wow6432Node\\" + kCv.substr(9) + "Uninstall\\ZdvApp" + kPid,
                           "DisplayIcon", missing);
    PlantedKey installer(HKEY_LOCAL_MACHINE, kCv + "Installer\\ZdvApp" + kPid, "Source", missing);
    auto added = Added(before, RunRows(3));
    std::vector<std::string> expected = {
        Row(0, kHklm, "Software\\Wow6432Node\\ZdvTool" + kPid, "Path", missing, REG_SZ),
        Row(0, kHklm, "Software\\ZdvTool" + kPid, "Path", missing, REG_SZ),
    };
    // The walk's order: Wine lists "Wow6432Node" before "ZdvTool".
    std::sort(added.begin(), added.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(added, expected);
}

TEST_F(CleanerTasks, ClassRegistrationsReportTheClassKeyOncePerInvalidValueAndRoot) {
    auto before = RunRows(4);
    std::string guid =
        "{ABCDEF01-2345-6789-ABCD-" + std::string(12 - kPid.size(), '0') + kPid + "}";
    PlantedKey clsid(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\" + guid, "Own", missing);
    PlantedKey server(HKEY_LOCAL_MACHINE, clsid.path() + "\\InprocServer32", "", missing);
    server.String("ThreadingModel", "Both");
    server.String("Backup", "\"" + missing + "\"");
    PlantString(HKEY_LOCAL_MACHINE, server.path() + "\\Deeper", "", missing);
    PlantedKey fine(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\{00000000-0000-0000-0000-" +
                                            std::string(12 - kPid.size(), '1') + kPid + "}");
    PlantString(HKEY_LOCAL_MACHINE, fine.path() + "\\LocalServer32", "", present);
    auto added = Added(before, RunRows(4));
    std::vector<std::string> expected = {
        KeyRow("HKEY_CLASSES_ROOT", "CLSID\\" + guid, missing),
        KeyRow("HKEY_CLASSES_ROOT", "CLSID\\" + guid, "\"" + missing + "\""),
        KeyRow(kHklm, "Software\\Classes\\CLSID\\" + guid, missing),
        KeyRow(kHklm, "Software\\Classes\\CLSID\\" + guid, "\"" + missing + "\""),
    };
    EXPECT_EQ(added, expected);
}

TEST_F(CleanerTasks, UninstallEntriesWithoutValuesOrWithAMissingUninstaller) {
    auto before = RunRows(5);
    const std::string base = kCv + "Uninstall\\";
    PlantedKey empty(HKEY_LOCAL_MACHINE, base + "ZdvA" + kPid);
    PlantedKey named(HKEY_LOCAL_MACHINE, base + "ZdvB" + kPid, "DisplayName", "Tool");
    PlantedKey gone(HKEY_LOCAL_MACHINE, base + "ZdvC" + kPid, "UninstallString",
                    "\"" + missing + "\" /uninstall");
    PlantedKey there(HKEY_LOCAL_MACHINE, base + "ZdvD" + kPid, "UninstallString",
                     "\"" + present + "\" /uninstall");
    PlantedKey msi(HKEY_LOCAL_MACHINE, base + "ZdvE" + kPid, "UninstallString",
                   "MsiExec.exe /X{12345678-1234-1234-1234-123456789012}");
    auto added = Added(before, RunRows(5));
    std::vector<std::string> expected = {KeyRow(kHklm, empty.path()), KeyRow(kHklm, gone.path())};
    EXPECT_EQ(added, expected);
}

TEST_F(CleanerTasks, HistoryListsReportEveryValueButRegNone) {
    auto before = RunRows(6);
    PlantedKey run(HKEY_CURRENT_USER, kCv + "Explorer\\RunMRU", "a", "notepad\\1");
    run.String("b", "cmd\\1");
    run.String("MRUList", "ba");
    run.Value("none", REG_NONE, "x");
    PlantedKey docs(HKEY_CURRENT_USER, kCv + "Explorer\\RecentDocs\\.txt");
    docs.Dword("MRUListEx", 2);
    PlantedKey urls(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedUrls", "url1",
                    "http://example.com/");
    urls.Dword("count", 1);
    auto added = Added(before, RunRows(6));
    std::vector<std::string> expected = {
        Row(0, kHkcu, run.path(), "a", "notepad\\1", REG_SZ),
        Row(0, kHkcu, run.path(), "b", "cmd\\1", REG_SZ),
        Row(0, kHkcu, run.path(), "MRUList", "ba", REG_SZ),
        Row(2, kHkcu, docs.path(), "MRUListEx", "0x00000002 (2)", REG_DWORD),
        Row(0, kHkcu, urls.path(), "url1", "http://example.com/", REG_SZ),
    };
    EXPECT_EQ(added, expected);
}

TEST_F(CleanerTasks, StartMenuOrderEmptySoftwareKeysAndFileTypes) {
    auto before = RunRows(7);
    files.MakeFolder("User\\Accessories");
    files.MakeFolder("Common\\Games");
    const std::string shellFolders = kCv + "Explorer\\Shell Folders";
    PlantedKey userFolders(HKEY_CURRENT_USER, shellFolders, "Programs", files.path() + "\\User");
    PlantedKey commonFolders(HKEY_LOCAL_MACHINE, shellFolders, "Common Programs",
                             files.path() + "\\Common");
    PlantedKey menu(HKEY_CURRENT_USER, kCv + "Explorer\\MenuOrder\\Start Menu\\Programs");
    PlantKey(HKEY_CURRENT_USER, menu.path() + "\\accessories");
    PlantKey(HKEY_CURRENT_USER, menu.path() + "\\GAMES");
    PlantKey(HKEY_CURRENT_USER, menu.path() + "\\Old Tool" + kPid);
    PlantedKey menu2(HKEY_CURRENT_USER, kCv + "Explorer\\MenuOrder\\Start Menu2\\Programs");
    PlantKey(HKEY_CURRENT_USER, menu2.path() + "\\Older Tool" + kPid);

    PlantedKey emptyUser(HKEY_CURRENT_USER, "Software\\ZdvEmpty" + kPid);
    PlantedKey usedUser(HKEY_CURRENT_USER, "Software\\ZdvUsed" + kPid, "x", "y");
    PlantedKey emptyMachine(HKEY_LOCAL_MACHINE, "Software\\ZdvEmpty" + kPid);

    // A type whose ProgID key is missing is judged on its own command.
    const std::string classes = "Software\\Classes\\";
    const std::string lost = ".zdvlost" + kPid, kept = ".zdvkept" + kPid;
    const std::string prog = "ZdvProg" + kPid, fine = ".zdvfine" + kPid;
    PlantedKey lostType(HKEY_LOCAL_MACHINE, classes + lost, "", "ZdvNoSuchProg" + kPid);
    PlantString(HKEY_LOCAL_MACHINE, lostType.path() + "\\Shell\\Open\\Command", "",
                "\"" + missing + "\" \"%1\"");
    // A type whose ProgID's command names a missing file: two rows.
    PlantedKey keptType(HKEY_LOCAL_MACHINE, classes + kept, "", prog);
    PlantedKey progType(HKEY_LOCAL_MACHINE, classes + prog);
    PlantString(HKEY_LOCAL_MACHINE, progType.path() + "\\Shell\\Open\\Command", "",
                missing + " %1");
    PlantedKey fineType(HKEY_LOCAL_MACHINE, classes + fine);
    PlantString(HKEY_LOCAL_MACHINE, fineType.path() + "\\Shell\\Open\\Command", "",
                present + " %1 %2");

    auto added = Added(before, RunRows(7));
    std::vector<std::string> expected = {
        KeyRow(kHkcu, menu.path() + "\\Old Tool" + kPid),
        KeyRow(kHkcu, menu2.path() + "\\Older Tool" + kPid),
        KeyRow(kHkcu, "Software\\ZdvEmpty" + kPid),
        KeyRow(kHklm, "Software\\ZdvEmpty" + kPid),
        KeyRow(kHklm, classes + kept, missing + " %1"),
        KeyRow(kHklm, classes + prog, missing + " %1"),
        KeyRow(kHklm, classes + lost, "\"" + missing + "\" \"%1\""),
    };
    EXPECT_EQ(added, expected);

    // A Programs folder whose path cannot be read or that cannot be listed
    // leaves every menu order key unjudged, not stale.
    expected.erase(expected.begin(), expected.begin() + 2);
    for (const std::string& programs : {std::string(300, 'x'), files.Missing("NoPrograms")}) {
        userFolders.String("Programs", programs);
        EXPECT_EQ(Added(before, RunRows(7)), expected) << programs;
    }
}

TEST_F(CleanerTasks, SharedLibraryCountsLocaleEntriesAndStartupEntries) {
    auto before8 = RunRows(8), before9 = RunRows(9), before11 = RunRows(11);
    PlantedKey shared(HKEY_LOCAL_MACHINE,
                      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls");
    std::string gone = files.Missing("Gone\\old.dll");
    shared.Dword(gone, 2);
    shared.Dword(present, 1);
    PlantedKey locale(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Nls\\Locale",
                      "zdv" + kPid, "");
    locale.String("zdv" + kPid + "b", "1");
    PlantedKey run(HKEY_LOCAL_MACHINE, kCv + "Run");
    run.String("ZdvA" + kPid, "rundll32.exe shell32.dll,Control_RunDLL");
    run.String("ZdvB" + kPid, present);
    run.String("ZdvC" + kPid, "\"" + missing + "\" -tray");
    run.String("ZdvD" + kPid, missing);
    PlantedKey userOnce(HKEY_CURRENT_USER, kCv + "RunOnce");
    userOnce.String("ZdvE" + kPid, "%ProgramFiles%\\Tool\\tool.exe", REG_EXPAND_SZ);

    std::vector<std::string> expected8 = {
        Row(2, kHklm, shared.path(), gone, "0x00000002 (2)", REG_DWORD)};
    EXPECT_EQ(Added(before8, RunRows(8)), expected8);
    std::vector<std::string> expected9 = {Row(0, kHklm, locale.path(), "zdv" + kPid, "", REG_SZ)};
    EXPECT_EQ(Added(before9, RunRows(9)), expected9);
    // "-tray" makes the text no path, but it still holds a drive path.
    std::vector<std::string> expected11 = {
        Row(0, kHklm, run.path(), "ZdvA" + kPid, "rundll32.exe shell32.dll,Control_RunDLL", REG_SZ),
        Row(0, kHklm, run.path(), "ZdvD" + kPid, missing, REG_SZ),
    };
    // REG_EXPAND_SZ is even-numbered: the mask of 1 keeps it out.
    EXPECT_EQ(Added(before11, RunRows(11)), expected11);
    userOnce.String("ZdvF" + kPid, "%ProgramFiles%\\Tool\\tool.exe");
    expected11.push_back(
        Row(0, kHkcu, userOnce.path(), "ZdvF" + kPid, "%ProgramFiles%\\Tool\\tool.exe", REG_SZ));
    EXPECT_EQ(Added(before11, RunRows(11)), expected11);
}

TEST_F(CleanerTasks, TimeZonesOtherThanTheCurrentOneAreReported) {
    TIME_ZONE_INFORMATION zone = {};
    GetTimeZoneInformation(&zone);
    char current[64] = {};
    WideCharToMultiByte(CP_ACP, 0, zone.StandardName, -1, current, 63, nullptr, nullptr);
    ASSERT_STREQ(current, "GMT Standard Time");  // TZ=Europe/London

    const std::string zones = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\";
    auto before = RunRows(10);
    EXPECT_GT(before.size(), 10u);
    for (const std::string& row : before)
        EXPECT_EQ(row.find("|" + std::string(current) + "|"), std::string::npos) << row;
    PlantedKey same(HKEY_LOCAL_MACHINE, zones + "Zdv Same " + kPid, "Std", current);
    PlantedKey other(HKEY_LOCAL_MACHINE, zones + "Zdv Other " + kPid, "Std", "Zdv Standard Time");
    PlantedKey unnamed(HKEY_LOCAL_MACHINE, zones + "Zdv Unnamed " + kPid);
    std::vector<std::string> expected = {KeyRow(kHklm, other.path(), "Zdv Standard Time")};
    EXPECT_EQ(Added(before, RunRows(10)), expected);
}

class TestProgress : public ScanProgress {
  public:
    void ShowStatus(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

class ScanDriver : public CleanerTasks {
  protected:
    LanguageFileScope language = LanguageFileScope(ShippedLanguageFile());
};

TEST_F(ScanDriver, RunsTickedTasksInTaskOrderAndShowsTheCount) {
    PlantedKey run(HKEY_CURRENT_USER, kCv + "Explorer\\RunMRU", "a", "notepad\\1");
    std::vector<bool> selection(12, false);
    selection[8] = selection[5] = selection[10] = true;
    selection[11] = true;  // past the last task: ignored
    RecordingSink sink;
    TestProgress progress;
    std::size_t count = RunScan(selection, sink, &progress, nullptr);
    EXPECT_EQ(sink.tasks, (std::vector<int>{6, 9, 11}));
    EXPECT_EQ(count, sink.rows.size());
    EXPECT_NE(std::find(progress.texts.begin(), progress.texts.end(), "Scanning: " + run.path()),
              progress.texts.end());
    EXPECT_EQ(progress.texts.back(), "Scan finished: " + std::to_string(count) + " entries found.");

    // A selection shorter than the task list ticks nothing.
    progress.texts.clear();
    EXPECT_EQ(RunScan({}, sink, &progress, nullptr), 0u);
    EXPECT_EQ(progress.texts, (std::vector<std::string>{"Scan finished: 0 entries found."}));
    EXPECT_EQ(sink.tasks.size(), 3u);
}

TEST_F(ScanDriver, StopKeepsTheRowsFoundAndAddsNothingAfter) {
    PlantedKey run(HKEY_CURRENT_USER, kCv + "Explorer\\RunMRU", "a", "one");
    run.String("b", "two");
    run.String("c", "three");
    StopFlag stop(false);
    RecordingSink sink;
    sink.stop = &stop;
    sink.stopAfterRows = 2;
    TestProgress progress;
    std::vector<bool> selection(11, false);
    selection[5] = selection[10] = true;
    EXPECT_EQ(RunScan(selection, sink, &progress, &stop), 2u);
    std::vector<std::string> expected = {Row(0, kHkcu, run.path(), "a", "one", REG_SZ),
                                         Row(0, kHkcu, run.path(), "b", "two", REG_SZ)};
    EXPECT_EQ(sink.rows, expected);
    EXPECT_EQ(sink.tasks, std::vector<int>{6});  // no later task started
    for (const std::string& text : progress.texts)
        EXPECT_EQ(text.rfind("Scanning: ", 0), 0u) << text;
}

}  // namespace
