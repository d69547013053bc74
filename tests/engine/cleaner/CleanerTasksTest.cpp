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

// What one task's table row plants, in a world of its own, and the rows the
// task then reports beyond what it reported before, with their reasons.
struct World {
    ScratchFolder files{L"tasks"};
    std::wstring present = files.MakeFile(L"Present\\tool.exe");
    std::wstring missing = files.Missing(L"Gone\\tool.exe");
    std::deque<PlantedKey> keys;
    PlantedKey& Plant(HKEY root, const std::wstring& path) { return keys.emplace_back(root, path); }
};

// A row as RunRows gives it: the row's texts, its reason's number and argument.
std::wstring Why(const std::wstring& row, Problem problem, const std::wstring& argument = L"") {
    return row + L"|" + std::to_wstring(static_cast<int>(problem)) + L":" + argument;
}

std::vector<std::wstring> RunReasons(int task) {
    RecordingSink sink;
    TaskEnvironment env;
    env.sink = &sink;
    RunTask(task, env);
    std::vector<std::wstring> rows;
    for (std::size_t i = 0; i < sink.rows.size(); ++i)
        rows.push_back(Why(sink.rows[i], sink.items[i].problem, sink.items[i].problemArgument));
    return rows;
}

using Rows = std::vector<std::wstring>;
struct TaskCase {
    int task;
    Rows (*plant)(World& w);
};

const std::wstring kUninstall = kCv + L"Uninstall\\";
const std::wstring kUninstall32 = L"Software\\Wow6432Node\\" + kCv.substr(9) + L"Uninstall\\";
std::wstring Guid(wchar_t fill) {
    return L"{ABCDEF01-2345-6789-ABCD-" + std::wstring(12 - kPid.size(), fill) + kPid + L"}";
}

const TaskCase kTaskCases[] = {
    // String values of the user's software naming a missing file, but no class.
    // (Data naming a missing file, and a file type whose ProgID's command names
    // one, the road test plants; a present file is IsMissingPath's.)
    {1,
     [](World& w) -> Rows {
         const std::wstring k = L"Software\\ZdvTask1" + kPid;
         PlantedKey& key = w.Plant(HKEY_CURRENT_USER, k);
         key.String(w.missing, L"any text");
         PlantString(HKEY_CURRENT_USER, k + L"\\Sub", w.present, w.missing);
         PlantString(HKEY_CURRENT_USER, k + L"\\Sub", L"z twice", L"\"" + w.missing + L"\" \"%1\"");
         PlantString(HKEY_CURRENT_USER, k + L"\\Classes\\CLSID\\{1-2-3-4-5}\\InprocServer32", L"",
                     w.missing);
         const auto found = Problem::FileNotFound;
         return {
             Why(Row(0, kHkcu, k, w.missing, L"any text", REG_SZ), found, w.missing),
             Why(Row(0, kHkcu, k + L"\\Sub", w.present, w.missing, REG_SZ), found, w.missing),
             Why(Row(0, kHkcu, k + L"\\Sub", L"z twice", L"\"" + w.missing + L"\" \"%1\"", REG_SZ),
                 found, w.missing)};
     }},
    // Machine settings, but not classes, installer or uninstall data.
    {3,
     [](World& w) -> Rows {
         const std::wstring tool = L"Software\\ZdvTool" + kPid,
                            tool32 = L"Software\\Wow6432Node\\ZdvTool" + kPid;
         w.Plant(HKEY_LOCAL_MACHINE, tool).String(L"Path", w.missing);
         w.Plant(HKEY_LOCAL_MACHINE, tool32).String(L"Path", w.missing);
         w.Plant(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\ZdvType" + kPid)
             .String(L"Path", w.missing);
         w.Plant(HKEY_LOCAL_MACHINE, kUninstall32 + L"ZdvApp" + kPid)
             .String(L"DisplayIcon", w.missing);
         w.Plant(HKEY_LOCAL_MACHINE, kCv + L"Installer\\ZdvApp" + kPid)
             .String(L"Source", w.missing);
         return {Why(Row(0, kHklm, tool32, L"Path", w.missing, REG_SZ), Problem::FileNotFound,
                     w.missing),
                 Why(Row(0, kHklm, tool, L"Path", w.missing, REG_SZ), Problem::FileNotFound,
                     w.missing)};
     }},
    // A class key once per invalid value and root, the 32-bit view's too, by
    // the path where it lives.
    {4,
     [](World& w) -> Rows {
         const std::wstring clsid = L"Software\\Classes\\CLSID\\" + Guid(L'0');
         w.Plant(HKEY_LOCAL_MACHINE, clsid).String(L"Own", w.missing);
         PlantedKey& server = w.Plant(HKEY_LOCAL_MACHINE, clsid + L"\\InprocServer32");
         server.String(L"", w.missing);
         server.String(L"ThreadingModel", L"Both");
         PlantString(HKEY_LOCAL_MACHINE, server.path() + L"\\Deeper", L"", w.missing);
         w.Plant(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID\\" + Guid(L'1'))
             .String(L"", w.present);
         PlantString(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID\\" + Guid(L'1') + L"\\Local",
                     L"", w.present);
         w.Plant(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Classes\\CLSID\\" + Guid(L'2'));
         PlantString(HKEY_LOCAL_MACHINE,
                     L"Software\\Wow6432Node\\Classes\\CLSID\\" + Guid(L'2') + L"\\LocalServer32",
                     L"", L"\"" + w.missing + L"\"");
         const auto why = Problem::ClassServerNotFound;
         return {
             Why(KeyRow(L"HKEY_CLASSES_ROOT", L"CLSID\\" + Guid(L'0'), w.missing), why, w.missing),
             Why(KeyRow(kHklm, clsid, w.missing), why, w.missing),
             Why(KeyRow(kHklm, L"Software\\Classes\\Wow6432Node\\CLSID\\" + Guid(L'2'),
                        L"\"" + w.missing + L"\""),
                 why, w.missing)};
     }},
    // Uninstall entries without values or with a missing uninstaller, in both views.
    {5,
     [](World& w) -> Rows {
         const std::wstring a = kUninstall + L"ZdvA" + kPid, c = kUninstall + L"ZdvC" + kPid,
                            c32 = kUninstall32 + L"ZdvC" + kPid;
         w.Plant(HKEY_LOCAL_MACHINE, a);
         w.Plant(HKEY_LOCAL_MACHINE, kUninstall + L"ZdvB" + kPid).String(L"DisplayName", L"Tool");
         w.Plant(HKEY_LOCAL_MACHINE, c)
             .String(L"UninstallString", L"\"" + w.missing + L"\" /uninstall");
         w.Plant(HKEY_LOCAL_MACHINE, c32).String(L"UninstallString", w.missing);
         w.Plant(HKEY_LOCAL_MACHINE, kUninstall + L"ZdvD" + kPid)
             .String(L"UninstallString", L"\"" + w.present + L"\" /uninstall");
         w.Plant(HKEY_LOCAL_MACHINE, kUninstall + L"ZdvE" + kPid)
             .String(L"UninstallString", L"MsiExec.exe /X{12345678-1234-1234-1234-123456789012}");
         return {Why(KeyRow(kHklm, a), Problem::UninstallWithoutValues),
                 Why(KeyRow(kHklm, c), Problem::UninstallProgramNotFound, w.missing),
                 Why(KeyRow(kHklm, c32), Problem::UninstallProgramNotFound, w.missing)};
     }},
    // Every value of the history lists but REG_NONE.
    {6,
     [](World& w) -> Rows {
         const std::wstring runMru = kCv + L"Explorer\\RunMRU",
                            docs = kCv + L"Explorer\\RecentDocs\\.txt",
                            urls = L"Software\\Microsoft\\Internet Explorer\\TypedUrls";
         PlantedKey& run = w.Plant(HKEY_CURRENT_USER, runMru);
         run.String(L"a", L"notepad\\1");
         run.Value(L"none", REG_NONE, "x");
         w.Plant(HKEY_CURRENT_USER, docs).Dword(L"MRUListEx", 2);
         PlantedKey& typed = w.Plant(HKEY_CURRENT_USER, urls);
         typed.String(L"url1", L"http://example.com/");
         typed.Dword(L"count", 1);
         const auto why = Problem::HistoryEntry;
         return {Why(Row(0, kHkcu, runMru, L"a", L"notepad\\1", REG_SZ), why),
                 Why(Row(2, kHkcu, docs, L"MRUListEx", L"0x00000002 (2)", REG_DWORD), why),
                 Why(Row(0, kHkcu, urls, L"url1", L"http://example.com/", REG_SZ), why)};
     }},
    // Start menu order, empty software keys and file types.
    {7,
     [](World& w) -> Rows {
         w.files.MakeFolder(L"User\\Accessories");
         w.files.MakeFolder(L"Common\\Games");
         const std::wstring shellFolders = kCv + L"Explorer\\Shell Folders";
         w.Plant(HKEY_CURRENT_USER, shellFolders).String(L"Programs", w.files.path() + L"\\User");
         w.Plant(HKEY_LOCAL_MACHINE, shellFolders)
             .String(L"Common Programs", w.files.path() + L"\\Common");
         const std::wstring menu = kCv + L"Explorer\\MenuOrder\\Start Menu\\Programs";
         const std::wstring menu2 = kCv + L"Explorer\\MenuOrder\\Start Menu2\\Programs";
         w.Plant(HKEY_CURRENT_USER, menu);
         w.Plant(HKEY_CURRENT_USER, menu2);
         for (const std::wstring& order : {menu + L"\\accessories", menu + L"\\GAMES",
                                           menu + L"\\Old Tool" + kPid, menu2 + L"\\Older" + kPid})
             PlantKey(HKEY_CURRENT_USER, order);
         w.Plant(HKEY_CURRENT_USER, L"Software\\ZdvEmpty" + kPid);
         w.Plant(HKEY_CURRENT_USER, L"Software\\ZdvUsed" + kPid).String(L"x", L"y");
         w.Plant(HKEY_LOCAL_MACHINE, L"Software\\ZdvEmpty" + kPid);
         // A type whose ProgID key is missing is judged on its own command.
         const std::wstring lost = L"Software\\Classes\\.zdvlost" + kPid,
                            fine = L"Software\\Classes\\.zdvfine" + kPid;
         const std::wstring command = L"\"" + w.missing + L"\" \"%1\"";
         w.Plant(HKEY_LOCAL_MACHINE, lost).String(L"", L"ZdvNoSuchProg" + kPid);
         PlantString(HKEY_LOCAL_MACHINE, lost + L"\\Shell\\Open\\Command", L"", command);
         w.Plant(HKEY_LOCAL_MACHINE, fine);
         PlantString(HKEY_LOCAL_MACHINE, fine + L"\\Shell\\Open\\Command", L"",
                     w.present + L" %1 %2");
         const auto empty = Problem::EmptyKey, gone = Problem::MenuOrderFolderGone;
         return {Why(KeyRow(kHkcu, menu + L"\\Old Tool" + kPid), gone, L"Old Tool" + kPid),
                 Why(KeyRow(kHkcu, menu2 + L"\\Older" + kPid), gone, L"Older" + kPid),
                 Why(KeyRow(kHkcu, L"Software\\ZdvEmpty" + kPid), empty),
                 Why(KeyRow(kHklm, L"Software\\ZdvEmpty" + kPid), empty),
                 Why(KeyRow(kHklm, lost, command), Problem::OpenCommandNotFound, w.missing)};
     }},
    // Shared library counts of missing files.
    {8,
     [](World& w) -> Rows {
         const std::wstring shared = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
         const std::wstring gone = w.files.Missing(L"Gone\\old.dll");
         PlantedKey& dlls = w.Plant(HKEY_LOCAL_MACHINE, shared);
         dlls.Dword(gone, 2);
         dlls.Dword(w.present, 1);
         return {Why(Row(2, kHklm, shared, gone, L"0x00000002 (2)", REG_DWORD),
                     Problem::SharedLibraryMissing, gone)};
     }},
    {9,
     [](World& w) -> Rows {
         const std::wstring locale = L"System\\CurrentControlSet\\Control\\Nls\\Locale";
         PlantedKey& locales = w.Plant(HKEY_LOCAL_MACHINE, locale);
         locales.String(L"zdv" + kPid, L"");
         locales.String(L"zdv" + kPid + L"b", L"1");
         return {Why(Row(0, kHklm, locale, L"zdv" + kPid, L"", REG_SZ), Problem::EmptyLocale)};
     }},
    // Every time zone but the one in use (TZ=Europe/London).
    {10,
     [](World& w) -> Rows {
         const std::wstring zones =
             L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\Zdv ";
         w.Plant(HKEY_LOCAL_MACHINE, zones + L"Same " + kPid).String(L"Std", L"GMT Standard Time");
         w.Plant(HKEY_LOCAL_MACHINE, zones + L"Other " + kPid).String(L"Std", L"Zdv Time");
         w.Plant(HKEY_LOCAL_MACHINE, zones + L"Unnamed " + kPid);
         return {Why(KeyRow(kHklm, zones + L"Other " + kPid, L"Zdv Time"),
                     Problem::TimeZoneNotInUse, L"Zdv Time")};
     }},
    // Start-up entries naming a missing file or no drive path, in both views.
    {11,
     [](World& w) -> Rows {
         const std::wstring run = kCv + L"Run",
                            run32 = L"Software\\Wow6432Node\\" + kCv.substr(9) + L"Run";
         PlantedKey& startup = w.Plant(HKEY_LOCAL_MACHINE, run);
         startup.String(L"ZdvA" + kPid, L"rundll32.exe shell32.dll,Control_RunDLL");
         startup.String(L"ZdvB" + kPid, w.present);
         startup.String(L"ZdvC" + kPid, L"\"" + w.missing + L"\" -tray");
         startup.String(L"ZdvD" + kPid, w.missing);
         w.Plant(HKEY_LOCAL_MACHINE, run32).String(L"ZdvG" + kPid, w.missing);
         PlantedKey& userOnce = w.Plant(HKEY_CURRENT_USER, kCv + L"RunOnce");
         // REG_EXPAND_SZ is even-numbered: the mask of 1 keeps it out.
         userOnce.String(L"ZdvE" + kPid, L"%ProgramFiles%\\Tool\\tool.exe", REG_EXPAND_SZ);
         userOnce.String(L"ZdvF" + kPid, L"%ProgramFiles%\\Tool\\tool.exe");
         const auto bare = Problem::StartupWithoutFullPath;
         return {Why(Row(0, kHklm, run, L"ZdvA" + kPid, L"rundll32.exe shell32.dll,Control_RunDLL",
                         REG_SZ),
                     bare),
                 Why(Row(0, kHklm, run, L"ZdvD" + kPid, w.missing, REG_SZ), Problem::FileNotFound,
                     w.missing),
                 Why(Row(0, kHklm, run32, L"ZdvG" + kPid, w.missing, REG_SZ), Problem::FileNotFound,
                     w.missing),
                 Why(Row(0, kHkcu, kCv + L"RunOnce", L"ZdvF" + kPid,
                         L"%ProgramFiles%\\Tool\\tool.exe", REG_SZ),
                     bare)};
     }},
};

void PrintTo(const TaskCase& taskCase, std::ostream* out) {
    *out << "task " << taskCase.task;
}

class EachTask : public ::testing::TestWithParam<TaskCase> {};

// Each task reports exactly the stale entries of its own areas, in its walk
// order, each with its reason.
TEST_P(EachTask, ReportsOnlyTheStaleEntriesOfItsAreasWithTheirReasons) {
    const int task = GetParam().task;
    const Rows before = RunReasons(task);
    World world;
    const Rows expected = GetParam().plant(world);
    EXPECT_EQ(Added(before, RunReasons(task)), expected);
    // A Programs folder whose path cannot be read or that cannot be listed
    // leaves every menu order key unjudged, not stale.
    if (task == 7) {
        for (const std::wstring& programs :
             {std::wstring(300, L'x'), world.files.Missing(L"NoPrograms")}) {
            PlantString(HKEY_CURRENT_USER, kCv + L"Explorer\\Shell Folders", L"Programs", programs);
            EXPECT_EQ(Added(before, RunReasons(7)), Rows(expected.begin() + 2, expected.end()));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(CleanerTasks, EachTask, ::testing::ValuesIn(kTaskCases),
                         [](const ::testing::TestParamInfo<TaskCase>& info) {
                             return "Task" + std::to_string(info.param.task);
                         });

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
