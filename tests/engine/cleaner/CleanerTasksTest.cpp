#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "cleaner/CleanerTasks.h"
#include "cleaner/ScanDriver.h"

namespace {

const std::wstring kHklm = L"HKEY_LOCAL_MACHINE";
const std::wstring kHkcu = L"HKEY_CURRENT_USER";
const std::wstring kCv = L"Software\\Microsoft\\Windows\\CurrentVersion\\";
const std::wstring kPid = std::to_wstring(GetCurrentProcessId());

const auto& Row = RowText;
std::wstring KeyRow(const std::wstring& root, const std::wstring& key,
                    const std::wstring& data = L"") {
    return RowText(kImageKey, root, key, L"", data, KeyRowMarker);
}

std::vector<std::wstring> RunRows(int task) {
    RecordingSink sink;
    TaskEnvironment env;
    env.sink = &sink;
    RunTask(task, env);
    return sink.rows;
}

// The rows of after that before does not hold (as a multiset), in after's order.
std::vector<std::wstring> Added(std::vector<std::wstring> before,
                                const std::vector<std::wstring>& after) {
    std::vector<std::wstring> added;
    for (const std::wstring& row : after) {
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
    ScratchFolder files{L"tasks"};
    std::wstring present = files.MakeFile(L"Present\\tool.exe");
    std::wstring missing = files.Missing(L"Gone\\tool.exe");
};

TEST_F(CleanerTasks, AllUsersSkipShellFoldersAndTheir32BitCopies) {
    auto before = RunRows(2);
    ScratchKey key(L"Task2");
    const std::wstring shell = L"Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    PlantString(HKEY_CURRENT_USER, key.Sub(L"Software\\" + shell), L"Programs", missing);
    PlantString(HKEY_CURRENT_USER, key.Sub(L"Software\\Wow6432Node\\" + shell), L"Programs",
                missing);
    PlantString(HKEY_CURRENT_USER, key.Sub(L"Software\\Wow6432Node\\Tool"), L"Path", missing);
    auto added = Added(before, RunRows(2));
    // HKEY_CURRENT_USER is one of the users below HKEY_USERS.
    ASSERT_EQ(added.size(), 1u);
    std::wstring tail = key.Sub(L"Software\\Wow6432Node\\Tool") + L"|Path|" + missing + L"|1";
    EXPECT_EQ(added[0].compare(0, 22, L"0|HKEY_USERS|S-1-5-21-"), 0) << added[0];
    EXPECT_EQ(added[0].substr(added[0].size() - tail.size()), tail);
}

// On a machine whose folders are named in Cyrillic or Chinese, a file that is
// there is never offered for deletion; one that is gone is, with its real path.
TEST_F(CleanerTasks, UserSettingsNamingFilesInFoldersOfAnyScriptAreJudgedByTheRealPath) {
    ScratchFolder folder(L"\u0423\u0442\u0438\u043b\u0438\u0442\u044b");
    const std::wstring tool = folder.MakeFile(L"\u8868\\tool.exe");
    const std::wstring gone = folder.Missing(L"\u8868\\gone.exe");
    ScratchKey key(L"Task1Scripts");
    PlantString(HKEY_CURRENT_USER, key.path(), L"Tool", tool);
    PlantString(HKEY_CURRENT_USER, key.path(), L"Gone", L"\"" + gone + L"\" /start");
    std::vector<std::wstring> rows;
    for (const std::wstring& row : RunRows(1)) {
        if (row.find(key.path()) != std::wstring::npos)
            rows.push_back(row);
    }
    EXPECT_EQ(rows, std::vector<std::wstring>{
                        Row(0, kHkcu, key.path(), L"Gone", L"\"" + gone + L"\" /start", REG_SZ)});
}

// One planted world, every task run before and after planting: each task
// reports exactly the stale entries of its own areas, in its walk order.
TEST_F(CleanerTasks, EachTaskReportsOnlyTheStaleEntriesOfItsAreas) {
    std::vector<std::vector<std::wstring>> before;
    for (int task = 1; task <= kCleanerTaskCount; ++task)
        before.push_back(RunRows(task));
    std::deque<PlantedKey> keys;
    auto plant = [&keys](HKEY root, const std::wstring& path) -> PlantedKey& {
        return keys.emplace_back(root, path);
    };
    // Task 1: string values of the user's software naming a missing file, but no class.
    // (Data naming a missing file, and a file type whose ProgID's command names one,
    // the road test plants; a present file is IsMissingPath's.)
    ScratchKey user(L"Task1");
    const std::wstring k = user.path();
    PlantString(HKEY_CURRENT_USER, k, missing, L"any text");
    PlantString(HKEY_CURRENT_USER, k + L"\\Sub", present, missing);
    PlantString(HKEY_CURRENT_USER, k + L"\\Sub", L"z twice", L"\"" + missing + L"\" \"%1\"");
    PlantString(HKEY_CURRENT_USER, k + L"\\Classes\\CLSID\\{1-2-3-4-5}\\InprocServer32", L"",
                missing);
    // Task 3: machine settings, but not classes, installer or uninstall data.
    const std::wstring tool = L"Software\\ZdvTool" + kPid,
                       tool32 = L"Software\\Wow6432Node\\ZdvTool" + kPid;
    plant(HKEY_LOCAL_MACHINE, tool).String(L"Path", missing);
    plant(HKEY_LOCAL_MACHINE, tool32).String(L"Path", missing);
    plant(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\ZdvType" + kPid).String(L"Path", missing);
    plant(HKEY_LOCAL_MACHINE,
          L"Software\\Wow6432Node\\" + kCv.substr(9) + L"Uninstall\\ZdvApp" + kPid)
        .String(L"DisplayIcon", missing);
    plant(HKEY_LOCAL_MACHINE, kCv + L"Installer\\ZdvApp" + kPid).String(L"Source", missing);
    // Task 4: a class key once per invalid value and root.
    const std::wstring guid =
        L"{ABCDEF01-2345-6789-ABCD-" + std::wstring(12 - kPid.size(), L'0') + kPid + L"}";
    const std::wstring clsid = L"Software\\Classes\\CLSID\\" + guid;
    plant(HKEY_LOCAL_MACHINE, clsid).String(L"Own", missing);
    PlantedKey& server = plant(HKEY_LOCAL_MACHINE, clsid + L"\\InprocServer32");
    server.String(L"", missing);
    server.String(L"ThreadingModel", L"Both");
    server.String(L"Backup", L"\"" + missing + L"\"");
    PlantString(HKEY_LOCAL_MACHINE, server.path() + L"\\Deeper", L"", missing);
    PlantString(HKEY_LOCAL_MACHINE,
                plant(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID\\{00000000-0000-0000-0000-" +
                                              std::wstring(12 - kPid.size(), L'1') + kPid + L"}")
                        .path() +
                    L"\\LocalServer32",
                L"", present);
    // Task 5: uninstall entries without values or with a missing uninstaller.
    const std::wstring uninstall = kCv + L"Uninstall\\Zdv";
    plant(HKEY_LOCAL_MACHINE, uninstall + L"A" + kPid);
    plant(HKEY_LOCAL_MACHINE, uninstall + L"B" + kPid).String(L"DisplayName", L"Tool");
    plant(HKEY_LOCAL_MACHINE, uninstall + L"C" + kPid)
        .String(L"UninstallString", L"\"" + missing + L"\" /uninstall");
    plant(HKEY_LOCAL_MACHINE, uninstall + L"D" + kPid)
        .String(L"UninstallString", L"\"" + present + L"\" /uninstall");
    plant(HKEY_LOCAL_MACHINE, uninstall + L"E" + kPid)
        .String(L"UninstallString", L"MsiExec.exe /X{12345678-1234-1234-1234-123456789012}");
    // Task 6: every value of the history lists but REG_NONE (several values of
    // one list the scan driver's test shows).
    const std::wstring runMru = kCv + L"Explorer\\RunMRU",
                       docs = kCv + L"Explorer\\RecentDocs\\.txt";
    const std::wstring urls = L"Software\\Microsoft\\Internet Explorer\\TypedUrls";
    PlantedKey& run = plant(HKEY_CURRENT_USER, runMru);
    run.String(L"a", L"notepad\\1");
    run.Value(L"none", REG_NONE, "x");
    plant(HKEY_CURRENT_USER, docs).Dword(L"MRUListEx", 2);
    PlantedKey& typed = plant(HKEY_CURRENT_USER, urls);
    typed.String(L"url1", L"http://example.com/");
    typed.Dword(L"count", 1);
    // Task 7: start menu order, empty software keys and file types.
    files.MakeFolder(L"User\\Accessories");
    files.MakeFolder(L"Common\\Games");
    const std::wstring shellFolders = kCv + L"Explorer\\Shell Folders";
    PlantedKey& userFolders = plant(HKEY_CURRENT_USER, shellFolders);
    userFolders.String(L"Programs", files.path() + L"\\User");
    plant(HKEY_LOCAL_MACHINE, shellFolders).String(L"Common Programs", files.path() + L"\\Common");
    const std::wstring menu = kCv + L"Explorer\\MenuOrder\\Start Menu\\Programs";
    const std::wstring menu2 = kCv + L"Explorer\\MenuOrder\\Start Menu2\\Programs";
    plant(HKEY_CURRENT_USER, menu);
    plant(HKEY_CURRENT_USER, menu2);
    for (const std::wstring& order : {menu + L"\\accessories", menu + L"\\GAMES",
                                      menu + L"\\Old Tool" + kPid, menu2 + L"\\Older Tool" + kPid})
        PlantKey(HKEY_CURRENT_USER, order);
    plant(HKEY_CURRENT_USER, L"Software\\ZdvEmpty" + kPid);
    plant(HKEY_CURRENT_USER, L"Software\\ZdvUsed" + kPid).String(L"x", L"y");
    plant(HKEY_LOCAL_MACHINE, L"Software\\ZdvEmpty" + kPid);
    const std::wstring classes = L"Software\\Classes\\";
    const std::wstring lost = classes + L".zdvlost" + kPid, fine = classes + L".zdvfine" + kPid;
    // A type whose ProgID key is missing is judged on its own command.
    plant(HKEY_LOCAL_MACHINE, lost).String(L"", L"ZdvNoSuchProg" + kPid);
    PlantString(HKEY_LOCAL_MACHINE, lost + L"\\Shell\\Open\\Command", L"",
                L"\"" + missing + L"\" \"%1\"");
    plant(HKEY_LOCAL_MACHINE, fine);
    PlantString(HKEY_LOCAL_MACHINE, fine + L"\\Shell\\Open\\Command", L"", present + L" %1 %2");
    // Task 8: shared library counts; 9: locale entries; 11: start-up entries.
    const std::wstring shared = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
    const std::wstring gone = files.Missing(L"Gone\\old.dll");
    PlantedKey& sharedDlls = plant(HKEY_LOCAL_MACHINE, shared);
    sharedDlls.Dword(gone, 2);
    sharedDlls.Dword(present, 1);
    const std::wstring locale = L"System\\CurrentControlSet\\Control\\Nls\\Locale";
    PlantedKey& locales = plant(HKEY_LOCAL_MACHINE, locale);
    locales.String(L"zdv" + kPid, L"");
    locales.String(L"zdv" + kPid + L"b", L"1");
    PlantedKey& startup = plant(HKEY_LOCAL_MACHINE, kCv + L"Run");
    startup.String(L"ZdvA" + kPid, L"rundll32.exe shell32.dll,Control_RunDLL");
    startup.String(L"ZdvB" + kPid, present);
    startup.String(L"ZdvC" + kPid, L"\"" + missing + L"\" -tray");
    startup.String(L"ZdvD" + kPid, missing);
    PlantedKey& userOnce = plant(HKEY_CURRENT_USER, kCv + L"RunOnce");
    // REG_EXPAND_SZ is even-numbered: the mask of 1 keeps it out.
    userOnce.String(L"ZdvE" + kPid, L"%ProgramFiles%\\Tool\\tool.exe", REG_EXPAND_SZ);
    userOnce.String(L"ZdvF" + kPid, L"%ProgramFiles%\\Tool\\tool.exe");
    // Task 10: every time zone but the one in use (TZ=Europe/London).
    for (const std::wstring& row : before[9])
        EXPECT_EQ(row.find(L"|GMT Standard Time|"), std::wstring::npos) << row;
    const std::wstring zones = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\Zdv ";
    plant(HKEY_LOCAL_MACHINE, zones + L"Same " + kPid).String(L"Std", L"GMT Standard Time");
    plant(HKEY_LOCAL_MACHINE, zones + L"Other " + kPid).String(L"Std", L"Zdv Standard Time");
    plant(HKEY_LOCAL_MACHINE, zones + L"Unnamed " + kPid);

    const std::vector<std::wstring> expected[kCleanerTaskCount] = {
        {Row(0, kHkcu, k, missing, L"any text", REG_SZ),
         Row(0, kHkcu, k + L"\\Sub", present, missing, REG_SZ),
         Row(0, kHkcu, k + L"\\Sub", L"z twice", L"\"" + missing + L"\" \"%1\"", REG_SZ)},
        {},  // all users: the user's rows again below HKEY_USERS, proved by its own test
        // "-tray" makes the text no path, but it still holds a drive path.
        {Row(0, kHklm, kCv + L"Run", L"ZdvD" + kPid, missing, REG_SZ),
         Row(0, kHklm, tool32, L"Path", missing, REG_SZ),
         Row(0, kHklm, tool, L"Path", missing, REG_SZ)},
        {KeyRow(L"HKEY_CLASSES_ROOT", L"CLSID\\" + guid, missing),
         KeyRow(L"HKEY_CLASSES_ROOT", L"CLSID\\" + guid, L"\"" + missing + L"\""),
         KeyRow(kHklm, clsid, missing), KeyRow(kHklm, clsid, L"\"" + missing + L"\"")},
        {KeyRow(kHklm, uninstall + L"A" + kPid), KeyRow(kHklm, uninstall + L"C" + kPid)},
        {Row(0, kHkcu, runMru, L"a", L"notepad\\1", REG_SZ),
         Row(2, kHkcu, docs, L"MRUListEx", L"0x00000002 (2)", REG_DWORD),
         Row(0, kHkcu, urls, L"url1", L"http://example.com/", REG_SZ)},
        {KeyRow(kHkcu, menu + L"\\Old Tool" + kPid), KeyRow(kHkcu, menu2 + L"\\Older Tool" + kPid),
         KeyRow(kHkcu, L"Software\\ZdvEmpty" + kPid), KeyRow(kHklm, L"Software\\ZdvEmpty" + kPid),
         KeyRow(kHklm, lost, L"\"" + missing + L"\" \"%1\"")},
        {Row(2, kHklm, shared, gone, L"0x00000002 (2)", REG_DWORD)},
        {Row(0, kHklm, locale, L"zdv" + kPid, L"", REG_SZ)},
        {KeyRow(kHklm, zones + L"Other " + kPid, L"Zdv Standard Time")},
        {Row(0, kHklm, kCv + L"Run", L"ZdvA" + kPid, L"rundll32.exe shell32.dll,Control_RunDLL",
             REG_SZ),
         Row(0, kHklm, kCv + L"Run", L"ZdvD" + kPid, missing, REG_SZ),
         Row(0, kHkcu, kCv + L"RunOnce", L"ZdvF" + kPid, L"%ProgramFiles%\\Tool\\tool.exe",
             REG_SZ)},
    };
    for (int task : {1, 3, 4, 5, 6, 7, 8, 9, 10, 11})
        EXPECT_EQ(Added(before[task - 1], RunRows(task)), expected[task - 1]) << L"task " << task;

    // A Programs folder whose path cannot be read or that cannot be listed
    // leaves every menu order key unjudged, not stale.
    for (const std::wstring& programs : {std::wstring(300, L'x'), files.Missing(L"NoPrograms")}) {
        userFolders.String(L"Programs", programs);
        EXPECT_EQ(Added(before[6], RunRows(7)),
                  std::vector<std::wstring>(expected[6].begin() + 2, expected[6].end()))
            << programs;
    }
}

class TestProgress : public ScanProgress {
  public:
    void ShowKey(const std::wstring& keyPath) override { keys.push_back(keyPath); }
    std::vector<std::wstring> keys;
};

using ScanDriver = CleanerTasks;

TEST_F(ScanDriver, RunsTickedTasksInTaskOrderShowsEachKeyAndStopKeepsWhatWasFound) {
    PlantedKey run(HKEY_CURRENT_USER, kCv + L"Explorer\\RunMRU");
    run.String(L"a", L"one");
    run.String(L"b", L"two");
    run.String(L"c", L"three");
    std::vector<bool> selection(12, false);
    selection[8] = selection[5] = selection[10] = true;
    selection[11] = true;  // past the last task: ignored
    RecordingSink sink;
    TestProgress progress;
    RunScan(selection, sink, &progress, nullptr);
    EXPECT_EQ(sink.tasks, (std::vector<int>{6, 9, 11}));
    EXPECT_NE(std::find(progress.keys.begin(), progress.keys.end(), run.path()),
              progress.keys.end());

    // Stopped after two rows: no later row, task or key.
    StopFlag stop(false);
    RecordingSink stopped;
    stopped.stop = &stop;
    stopped.stopAfterRows = 2;
    progress.keys.clear();
    EXPECT_EQ(RunScan(selection, stopped, &progress, &stop), 2u);
    EXPECT_EQ(stopped.rows,
              (std::vector<std::wstring>{Row(0, kHkcu, run.path(), L"a", L"one", REG_SZ),
                                         Row(0, kHkcu, run.path(), L"b", L"two", REG_SZ)}));
    EXPECT_EQ(stopped.tasks, std::vector<int>{6});
    EXPECT_EQ(progress.keys.back(), run.path());
}

}  // namespace
