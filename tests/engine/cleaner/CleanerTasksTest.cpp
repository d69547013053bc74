#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "settings/ModulePath.h"
#include "text/LanguageTable.h"
#include "cleaner/CleanerTasks.h"
#include "cleaner/ScanDriver.h"

namespace {

const std::string kHklm = "HKEY_LOCAL_MACHINE";
const std::string kHkcu = "HKEY_CURRENT_USER";
const std::string kCv = "Software\\Microsoft\\Windows\\CurrentVersion\\";
const std::string kPid = std::to_string(GetCurrentProcessId());

// A row as "image|root|key|value|data|type".
std::string Row(int image, const std::string& root, const std::string& key,
                const std::string& value, const std::string& data, int type) {
    return std::to_string(image) + "|" + root + "|" + key + "|" + value + "|" + data + "|" +
           std::to_string(type);
}
std::string KeyRow(const std::string& root, const std::string& key, const std::string& data = "") {
    return Row(kImageKey, root, key, "", data, KeyRowMarker);
}

class RecordingSink : public RowSink {
  public:
    void BeginTask(int task) override { tasks.push_back(task); }
    void AddRow(int image, const std::string& root, const std::string& key,
                const std::string& value, const std::string& data, int type) override {
        rows.push_back(Row(image, root, key, value, data, type));
        if (stopAfterRows > 0 && rows.size() == stopAfterRows)
            stop->store(true);
    }
    std::vector<int> tasks;
    std::vector<std::string> rows;
    std::size_t stopAfterRows = 0;
    StopFlag* stop = nullptr;
};

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

// A key in a fixed location: removed afterwards when the test made it, else
// only the values the test planted are.
class FixedKey {
  public:
    FixedKey(HKEY root, std::string path)
        : m_root(root), m_path(std::move(path)), m_existed(KeyExists(root, m_path)) {
        PlantKey(root, m_path);
    }
    ~FixedKey() {
        if (!m_existed) {
            RemoveTree(m_root, m_path);
            return;
        }
        for (const std::string& name : m_values)
            RemoveValue(m_root, m_path, name);
    }
    void String(const std::string& name, const std::string& text, DWORD type = REG_SZ) {
        m_values.push_back(name);
        PlantString(m_root, m_path, name, text, type);
    }
    void Dword(const std::string& name, DWORD value) {
        m_values.push_back(name);
        PlantDword(m_root, m_path, name, value);
    }
    const std::string& path() const { return m_path; }

  private:
    HKEY m_root;
    std::string m_path;
    bool m_existed;
    std::vector<std::string> m_values;
};

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
    FixedKey tool(HKEY_LOCAL_MACHINE, "Software\\ZdvTool" + kPid);
    tool.String("Path", missing);
    FixedKey tool32(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\ZdvTool" + kPid);
    tool32.String("Path", missing);
    FixedKey classes(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\ZdvType" + kPid);
    classes.String("Path", missing);
    FixedKey uninstall32(HKEY_LOCAL_MACHINE,
                         "Software\\Wow6432Node\\Microsoft\\Windows\\"
                         "CurrentVersion\\Uninstall\\ZdvApp" +
                             kPid);
    uninstall32.String("DisplayIcon", missing);
    FixedKey installer(HKEY_LOCAL_MACHINE, kCv + "Installer\\ZdvApp" + kPid);
    installer.String("Source", missing);
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
    FixedKey server(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\" + guid + "\\InprocServer32");
    server.String("", missing);
    server.String("ThreadingModel", "Both");
    server.String("Backup", "\"" + missing + "\"");
    FixedKey deeper(HKEY_LOCAL_MACHINE, server.path() + "\\Deeper");
    deeper.String("", missing);
    PlantString(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\" + guid, "Own", missing);
    FixedKey fine(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\{00000000-0000-0000-0000-" +
                                          std::string(12 - kPid.size(), '1') + kPid +
                                          "}\\LocalServer32");
    fine.String("", present);
    auto added = Added(before, RunRows(4));
    std::vector<std::string> expected = {
        KeyRow("HKEY_CLASSES_ROOT", "CLSID\\" + guid, missing),
        KeyRow("HKEY_CLASSES_ROOT", "CLSID\\" + guid, "\"" + missing + "\""),
        KeyRow(kHklm, "Software\\Classes\\CLSID\\" + guid, missing),
        KeyRow(kHklm, "Software\\Classes\\CLSID\\" + guid, "\"" + missing + "\""),
    };
    EXPECT_EQ(added, expected);
    RemoveTree(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\" + guid);
    RemoveTree(HKEY_LOCAL_MACHINE, fine.path().substr(0, fine.path().rfind('\\')));
}

TEST_F(CleanerTasks, UninstallEntriesWithoutValuesOrWithAMissingUninstaller) {
    auto before = RunRows(5);
    const std::string base = kCv + "Uninstall\\";
    FixedKey empty(HKEY_LOCAL_MACHINE, base + "ZdvA" + kPid);
    FixedKey named(HKEY_LOCAL_MACHINE, base + "ZdvB" + kPid);
    named.String("DisplayName", "Tool");
    FixedKey gone(HKEY_LOCAL_MACHINE, base + "ZdvC" + kPid);
    gone.String("UninstallString", "\"" + missing + "\" /uninstall");
    FixedKey there(HKEY_LOCAL_MACHINE, base + "ZdvD" + kPid);
    there.String("UninstallString", "\"" + present + "\" /uninstall");
    FixedKey msi(HKEY_LOCAL_MACHINE, base + "ZdvE" + kPid);
    msi.String("UninstallString", "MsiExec.exe /X{12345678-1234-1234-1234-123456789012}");
    auto added = Added(before, RunRows(5));
    std::vector<std::string> expected = {KeyRow(kHklm, empty.path()), KeyRow(kHklm, gone.path())};
    EXPECT_EQ(added, expected);
}

TEST_F(CleanerTasks, HistoryListsReportEveryValueButRegNone) {
    auto before = RunRows(6);
    FixedKey run(HKEY_CURRENT_USER, kCv + "Explorer\\RunMRU");
    run.String("a", "notepad\\1");
    run.String("b", "cmd\\1");
    run.String("MRUList", "ba");
    PlantValue(HKEY_CURRENT_USER, run.path(), "none", REG_NONE, "x", 1);
    FixedKey docs(HKEY_CURRENT_USER, kCv + "Explorer\\RecentDocs\\.txt");
    docs.Dword("MRUListEx", 2);
    FixedKey urls(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedUrls");
    urls.String("url1", "http://example.com/");
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
    RemoveValue(HKEY_CURRENT_USER, run.path(), "none");
}

// Sets a Shell Folders value for the test and puts the old one back afterwards.
class ShellFolder {
  public:
    ShellFolder(HKEY root, const std::string& name, const std::string& folder)
        : m_root(root), m_name(name), m_old(ReadStringValue(root, kPath, name)) {
        PlantString(root, kPath, name, folder);
    }
    ~ShellFolder() {
        if (m_old.empty()) {
            RemoveValue(m_root, kPath, m_name);
        } else {
            PlantString(m_root, kPath, m_name, m_old);
        }
    }

  private:
    const std::string kPath = kCv + "Explorer\\Shell Folders";
    HKEY m_root;
    std::string m_name;
    std::string m_old;
};

TEST_F(CleanerTasks, StartMenuOrderEmptySoftwareKeysAndFileTypes) {
    auto before = RunRows(7);
    files.MakeFolder("User\\Accessories");
    files.MakeFolder("Common\\Games");
    ShellFolder user(HKEY_CURRENT_USER, "Programs", files.path() + "\\User");
    ShellFolder common(HKEY_LOCAL_MACHINE, "Common Programs", files.path() + "\\Common");
    FixedKey menu(HKEY_CURRENT_USER, kCv + "Explorer\\MenuOrder\\Start Menu\\Programs");
    PlantKey(HKEY_CURRENT_USER, menu.path() + "\\accessories");
    PlantKey(HKEY_CURRENT_USER, menu.path() + "\\GAMES");
    PlantKey(HKEY_CURRENT_USER, menu.path() + "\\Old Tool" + kPid);
    FixedKey menu2(HKEY_CURRENT_USER, kCv + "Explorer\\MenuOrder\\Start Menu2\\Programs");
    PlantKey(HKEY_CURRENT_USER, menu2.path() + "\\Older Tool" + kPid);

    FixedKey emptyUser(HKEY_CURRENT_USER, "Software\\ZdvEmpty" + kPid);
    FixedKey usedUser(HKEY_CURRENT_USER, "Software\\ZdvUsed" + kPid);
    usedUser.String("x", "y");
    FixedKey emptyMachine(HKEY_LOCAL_MACHINE, "Software\\ZdvEmpty" + kPid);

    // A type whose ProgID key is missing is judged on its own command.
    const std::string classes = "Software\\Classes\\";
    const std::string lost = ".zdvlost" + kPid, kept = ".zdvkept" + kPid;
    const std::string prog = "ZdvProg" + kPid, fine = ".zdvfine" + kPid;
    FixedKey lostType(HKEY_LOCAL_MACHINE, classes + lost);
    lostType.String("", "ZdvNoSuchProg" + kPid);
    FixedKey lostCommand(HKEY_LOCAL_MACHINE, classes + lost + "\\Shell\\Open\\Command");
    lostCommand.String("", "\"" + missing + "\" \"%1\"");
    // A type whose ProgID's command names a missing file: two rows.
    FixedKey keptType(HKEY_LOCAL_MACHINE, classes + kept);
    keptType.String("", prog);
    FixedKey progCommand(HKEY_LOCAL_MACHINE, classes + prog + "\\Shell\\Open\\Command");
    progCommand.String("", missing + " %1");
    FixedKey fineType(HKEY_LOCAL_MACHINE, classes + fine + "\\Shell\\Open\\Command");
    fineType.String("", present + " %1 %2");

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
        ShellFolder broken(HKEY_CURRENT_USER, "Programs", programs);
        EXPECT_EQ(Added(before, RunRows(7)), expected) << programs;
    }
    RemoveTree(HKEY_LOCAL_MACHINE, classes + prog);
    RemoveTree(HKEY_LOCAL_MACHINE, classes + fine);
}

TEST_F(CleanerTasks, SharedLibraryCountsLocaleEntriesAndStartupEntries) {
    auto before8 = RunRows(8), before9 = RunRows(9), before11 = RunRows(11);
    FixedKey shared(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls");
    std::string gone = files.Missing("Gone\\old.dll");
    shared.Dword(gone, 2);
    shared.Dword(present, 1);
    FixedKey locale(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Nls\\Locale");
    locale.String("zdv" + kPid, "");
    locale.String("zdv" + kPid + "b", "1");
    FixedKey run(HKEY_LOCAL_MACHINE, kCv + "Run");
    run.String("ZdvA" + kPid, "rundll32.exe shell32.dll,Control_RunDLL");
    run.String("ZdvB" + kPid, present);
    run.String("ZdvC" + kPid, "\"" + missing + "\" -tray");
    run.String("ZdvD" + kPid, missing);
    FixedKey userOnce(HKEY_CURRENT_USER, kCv + "RunOnce");
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
    for (const std::string& row : before) {
        EXPECT_EQ(row.find("|" + std::string(current) + "|"), std::string::npos) << row;
    }
    FixedKey same(HKEY_LOCAL_MACHINE, zones + "Zdv Same " + kPid);
    same.String("Std", current);
    FixedKey other(HKEY_LOCAL_MACHINE, zones + "Zdv Other " + kPid);
    other.String("Std", "Zdv Standard Time");
    FixedKey unnamed(HKEY_LOCAL_MACHINE, zones + "Zdv Unnamed " + kPid);
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
    void SetUp() override {
        char full[MAX_PATH] = {};
        GetFullPathNameA("ZazaDaziveveVivozed.language", MAX_PATH, full, nullptr);
        Language().SetFile(full);
    }
    void TearDown() override { Language().SetFile(""); }
};

TEST_F(ScanDriver, RunsTickedTasksInTaskOrderAndShowsTheCount) {
    FixedKey run(HKEY_CURRENT_USER, kCv + "Explorer\\RunMRU");
    run.String("a", "notepad\\1");
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
    ASSERT_FALSE(progress.texts.empty());
    EXPECT_EQ(progress.texts.back(), "Scan finished: " + std::to_string(count) + " entries found.");
}

TEST_F(ScanDriver, WithNothingTickedRunsNothingAndCountsZero) {
    RecordingSink sink;
    TestProgress progress;
    EXPECT_EQ(RunScan(std::vector<bool>(11, false), sink, &progress, nullptr), 0u);
    EXPECT_TRUE(sink.tasks.empty());
    EXPECT_EQ(progress.texts, (std::vector<std::string>{"Scan finished: 0 entries found."}));
    EXPECT_EQ(RunScan({}, sink, nullptr, nullptr), 0u);
}

TEST_F(ScanDriver, StopKeepsTheRowsFoundAndAddsNothingAfter) {
    FixedKey run(HKEY_CURRENT_USER, kCv + "Explorer\\RunMRU");
    run.String("a", "one");
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
    ASSERT_FALSE(progress.texts.empty());
    for (const std::string& text : progress.texts) {
        EXPECT_EQ(text.rfind("Scanning: ", 0), 0u) << text;
    }
}

}  // namespace
