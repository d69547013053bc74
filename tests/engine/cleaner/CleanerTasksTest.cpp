#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
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

// One planted world, every task run before and after planting: each task
// reports exactly the stale entries of its own areas, in its walk order.
TEST_F(CleanerTasks, EachTaskReportsOnlyTheStaleEntriesOfItsAreas) {
    std::vector<std::vector<std::string>> before;
    for (int task = 1; task <= kCleanerTaskCount; ++task)
        before.push_back(RunRows(task));
    std::deque<PlantedKey> keys;
    auto plant = [&keys](HKEY root, const std::string& path) -> PlantedKey& {
        return keys.emplace_back(root, path);
    };
    // Task 1: string values of the user's software naming a missing file, but no class.
    // (Data naming a missing file, and a file type whose ProgID's command names one,
    // the road test plants; a present file is IsMissingPath's.)
    ScratchKey user("Task1");
    const std::string k = user.path();
    PlantString(HKEY_CURRENT_USER, k, missing, "any text");
    PlantString(HKEY_CURRENT_USER, k + "\\Sub", present, missing);
    PlantString(HKEY_CURRENT_USER, k + "\\Sub", "z twice", "\"" + missing + "\" \"%1\"");
    PlantString(HKEY_CURRENT_USER, k + "\\Classes\\CLSID\\{1-2-3-4-5}\\InprocServer32", "",
                missing);
    // Task 3: machine settings, but not classes, installer or uninstall data.
    const std::string tool = "Software\\ZdvTool" + kPid,
                      tool32 = "Software\\Wow6432Node\\ZdvTool" + kPid;
    plant(HKEY_LOCAL_MACHINE, tool).String("Path", missing);
    plant(HKEY_LOCAL_MACHINE, tool32).String("Path", missing);
    plant(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\ZdvType" + kPid).String("Path", missing);
    plant(HKEY_LOCAL_MACHINE,
          "Software\\Wow6432Node\\" + kCv.substr(9) + "Uninstall\\ZdvApp" + kPid)
        .String("DisplayIcon", missing);
    plant(HKEY_LOCAL_MACHINE, kCv + "Installer\\ZdvApp" + kPid).String("Source", missing);
    // Task 4: a class key once per invalid value and root.
    const std::string guid =
        "{ABCDEF01-2345-6789-ABCD-" + std::string(12 - kPid.size(), '0') + kPid + "}";
    const std::string clsid = "Software\\Classes\\CLSID\\" + guid;
    plant(HKEY_LOCAL_MACHINE, clsid).String("Own", missing);
    PlantedKey& server = plant(HKEY_LOCAL_MACHINE, clsid + "\\InprocServer32");
    server.String("", missing);
    server.String("ThreadingModel", "Both");
    server.String("Backup", "\"" + missing + "\"");
    PlantString(HKEY_LOCAL_MACHINE, server.path() + "\\Deeper", "", missing);
    PlantString(HKEY_LOCAL_MACHINE,
                plant(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\{00000000-0000-0000-0000-" +
                                              std::string(12 - kPid.size(), '1') + kPid + "}")
                        .path() +
                    "\\LocalServer32",
                "", present);
    // Task 5: uninstall entries without values or with a missing uninstaller.
    const std::string uninstall = kCv + "Uninstall\\Zdv";
    plant(HKEY_LOCAL_MACHINE, uninstall + "A" + kPid);
    plant(HKEY_LOCAL_MACHINE, uninstall + "B" + kPid).String("DisplayName", "Tool");
    plant(HKEY_LOCAL_MACHINE, uninstall + "C" + kPid)
        .String("UninstallString", "\"" + missing + "\" /uninstall");
    plant(HKEY_LOCAL_MACHINE, uninstall + "D" + kPid)
        .String("UninstallString", "\"" + present + "\" /uninstall");
    plant(HKEY_LOCAL_MACHINE, uninstall + "E" + kPid)
        .String("UninstallString", "MsiExec.exe /X{12345678-1234-1234-1234-123456789012}");
    // Task 6: every value of the history lists but REG_NONE (several values of
    // one list the scan driver's test shows).
    const std::string runMru = kCv + "Explorer\\RunMRU", docs = kCv + "Explorer\\RecentDocs\\.txt";
    const std::string urls = "Software\\Microsoft\\Internet Explorer\\TypedUrls";
    PlantedKey& run = plant(HKEY_CURRENT_USER, runMru);
    run.String("a", "notepad\\1");
    run.Value("none", REG_NONE, "x");
    plant(HKEY_CURRENT_USER, docs).Dword("MRUListEx", 2);
    PlantedKey& typed = plant(HKEY_CURRENT_USER, urls);
    typed.String("url1", "http://example.com/");
    typed.Dword("count", 1);
    // Task 7: start menu order, empty software keys and file types.
    files.MakeFolder("User\\Accessories");
    files.MakeFolder("Common\\Games");
    const std::string shellFolders = kCv + "Explorer\\Shell Folders";
    PlantedKey& userFolders = plant(HKEY_CURRENT_USER, shellFolders);
    userFolders.String("Programs", files.path() + "\\User");
    plant(HKEY_LOCAL_MACHINE, shellFolders).String("Common Programs", files.path() + "\\Common");
    const std::string menu = kCv + "Explorer\\MenuOrder\\Start Menu\\Programs";
    const std::string menu2 = kCv + "Explorer\\MenuOrder\\Start Menu2\\Programs";
    plant(HKEY_CURRENT_USER, menu);
    plant(HKEY_CURRENT_USER, menu2);
    for (const std::string& order : {menu + "\\accessories", menu + "\\GAMES",
                                     menu + "\\Old Tool" + kPid, menu2 + "\\Older Tool" + kPid})
        PlantKey(HKEY_CURRENT_USER, order);
    plant(HKEY_CURRENT_USER, "Software\\ZdvEmpty" + kPid);
    plant(HKEY_CURRENT_USER, "Software\\ZdvUsed" + kPid).String("x", "y");
    plant(HKEY_LOCAL_MACHINE, "Software\\ZdvEmpty" + kPid);
    const std::string classes = "Software\\Classes\\";
    const std::string lost = classes + ".zdvlost" + kPid, fine = classes + ".zdvfine" + kPid;
    // A type whose ProgID key is missing is judged on its own command.
    plant(HKEY_LOCAL_MACHINE, lost).String("", "ZdvNoSuchProg" + kPid);
    PlantString(HKEY_LOCAL_MACHINE, lost + "\\Shell\\Open\\Command", "",
                "\"" + missing + "\" \"%1\"");
    plant(HKEY_LOCAL_MACHINE, fine);
    PlantString(HKEY_LOCAL_MACHINE, fine + "\\Shell\\Open\\Command", "", present + " %1 %2");
    // Task 8: shared library counts; 9: locale entries; 11: start-up entries.
    const std::string shared = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
    const std::string gone = files.Missing("Gone\\old.dll");
    PlantedKey& sharedDlls = plant(HKEY_LOCAL_MACHINE, shared);
    sharedDlls.Dword(gone, 2);
    sharedDlls.Dword(present, 1);
    const std::string locale = "System\\CurrentControlSet\\Control\\Nls\\Locale";
    PlantedKey& locales = plant(HKEY_LOCAL_MACHINE, locale);
    locales.String("zdv" + kPid, "");
    locales.String("zdv" + kPid + "b", "1");
    PlantedKey& startup = plant(HKEY_LOCAL_MACHINE, kCv + "Run");
    startup.String("ZdvA" + kPid, "rundll32.exe shell32.dll,Control_RunDLL");
    startup.String("ZdvB" + kPid, present);
    startup.String("ZdvC" + kPid, "\"" + missing + "\" -tray");
    startup.String("ZdvD" + kPid, missing);
    PlantedKey& userOnce = plant(HKEY_CURRENT_USER, kCv + "RunOnce");
    // REG_EXPAND_SZ is even-numbered: the mask of 1 keeps it out.
    userOnce.String("ZdvE" + kPid, "%ProgramFiles%\\Tool\\tool.exe", REG_EXPAND_SZ);
    userOnce.String("ZdvF" + kPid, "%ProgramFiles%\\Tool\\tool.exe");
    // Task 10: every time zone but the one in use (TZ=Europe/London).
    for (const std::string& row : before[9])
        EXPECT_EQ(row.find("|GMT Standard Time|"), std::string::npos) << row;
    const std::string zones = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\Zdv ";
    plant(HKEY_LOCAL_MACHINE, zones + "Same " + kPid).String("Std", "GMT Standard Time");
    plant(HKEY_LOCAL_MACHINE, zones + "Other " + kPid).String("Std", "Zdv Standard Time");
    plant(HKEY_LOCAL_MACHINE, zones + "Unnamed " + kPid);

    const std::vector<std::string> expected[kCleanerTaskCount] = {
        {Row(0, kHkcu, k, missing, "any text", REG_SZ),
         Row(0, kHkcu, k + "\\Sub", present, missing, REG_SZ),
         Row(0, kHkcu, k + "\\Sub", "z twice", "\"" + missing + "\" \"%1\"", REG_SZ)},
        {},  // all users: the user's rows again below HKEY_USERS, proved by its own test
        // "-tray" makes the text no path, but it still holds a drive path.
        {Row(0, kHklm, kCv + "Run", "ZdvD" + kPid, missing, REG_SZ),
         Row(0, kHklm, tool32, "Path", missing, REG_SZ),
         Row(0, kHklm, tool, "Path", missing, REG_SZ)},
        {KeyRow("HKEY_CLASSES_ROOT", "CLSID\\" + guid, missing),
         KeyRow("HKEY_CLASSES_ROOT", "CLSID\\" + guid, "\"" + missing + "\""),
         KeyRow(kHklm, clsid, missing), KeyRow(kHklm, clsid, "\"" + missing + "\"")},
        {KeyRow(kHklm, uninstall + "A" + kPid), KeyRow(kHklm, uninstall + "C" + kPid)},
        {Row(0, kHkcu, runMru, "a", "notepad\\1", REG_SZ),
         Row(2, kHkcu, docs, "MRUListEx", "0x00000002 (2)", REG_DWORD),
         Row(0, kHkcu, urls, "url1", "http://example.com/", REG_SZ)},
        {KeyRow(kHkcu, menu + "\\Old Tool" + kPid), KeyRow(kHkcu, menu2 + "\\Older Tool" + kPid),
         KeyRow(kHkcu, "Software\\ZdvEmpty" + kPid), KeyRow(kHklm, "Software\\ZdvEmpty" + kPid),
         KeyRow(kHklm, lost, "\"" + missing + "\" \"%1\"")},
        {Row(2, kHklm, shared, gone, "0x00000002 (2)", REG_DWORD)},
        {Row(0, kHklm, locale, "zdv" + kPid, "", REG_SZ)},
        {KeyRow(kHklm, zones + "Other " + kPid, "Zdv Standard Time")},
        {Row(0, kHklm, kCv + "Run", "ZdvA" + kPid, "rundll32.exe shell32.dll,Control_RunDLL",
             REG_SZ),
         Row(0, kHklm, kCv + "Run", "ZdvD" + kPid, missing, REG_SZ),
         Row(0, kHkcu, kCv + "RunOnce", "ZdvF" + kPid, "%ProgramFiles%\\Tool\\tool.exe", REG_SZ)},
    };
    for (int task : {1, 3, 4, 5, 6, 7, 8, 9, 10, 11})
        EXPECT_EQ(Added(before[task - 1], RunRows(task)), expected[task - 1]) << "task " << task;

    // A Programs folder whose path cannot be read or that cannot be listed
    // leaves every menu order key unjudged, not stale.
    for (const std::string& programs : {std::string(300, 'x'), files.Missing("NoPrograms")}) {
        userFolders.String("Programs", programs);
        EXPECT_EQ(Added(before[6], RunRows(7)),
                  std::vector<std::string>(expected[6].begin() + 2, expected[6].end()))
            << programs;
    }
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

TEST_F(ScanDriver, RunsTickedTasksInTaskOrderShowsEachKeyAndStopKeepsWhatWasFound) {
    PlantedKey run(HKEY_CURRENT_USER, kCv + "Explorer\\RunMRU");
    run.String("a", "one");
    run.String("b", "two");
    run.String("c", "three");
    std::vector<bool> selection(12, false);
    selection[8] = selection[5] = selection[10] = true;
    selection[11] = true;  // past the last task: ignored
    RecordingSink sink;
    TestProgress progress;
    RunScan(selection, sink, &progress, nullptr);
    EXPECT_EQ(sink.tasks, (std::vector<int>{6, 9, 11}));
    EXPECT_NE(std::find(progress.texts.begin(), progress.texts.end(), "Scanning: " + run.path()),
              progress.texts.end());
    // The end text with the count of rows the cleaner page shows after every scan.

    // Stopped after two rows: no later row, task or end text.
    StopFlag stop(false);
    RecordingSink stopped;
    stopped.stop = &stop;
    stopped.stopAfterRows = 2;
    progress.texts.clear();
    EXPECT_EQ(RunScan(selection, stopped, &progress, &stop), 2u);
    EXPECT_EQ(stopped.rows,
              (std::vector<std::string>{Row(0, kHkcu, run.path(), "a", "one", REG_SZ),
                                        Row(0, kHkcu, run.path(), "b", "two", REG_SZ)}));
    EXPECT_EQ(stopped.tasks, std::vector<int>{6});
    for (const std::string& text : progress.texts)
        EXPECT_EQ(text.rfind("Scanning: ", 0), 0u) << text;
}

}  // namespace
