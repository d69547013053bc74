// The road a user takes, driven from outside through the real program's windows:
// scan for stale entries and delete them, restore them from the backup page,
// find a key and delete it from the search list, close, start again.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "GuiTestSupport.h"
#include "TestSupport.h"
#include "backup/BackupStore.h"
#include "resource.h"
#include "settings/ConfigStore.h"
#include "text/FormatText.h"
#include "text/LanguageTable.h"

namespace {

const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kClasses = "Software\\Classes\\";
const std::string kClassId = "CLSID\\{5C0E2B7A-94D1-4F36-8A2E-71B3D9C0F4A8}";
const std::string kPid = std::to_string(GetCurrentProcessId());
// The user's own software (1), class registrations (4), file types (7), start-up (11).
const std::vector<bool> kTicks = {true, false, false, true,  false, false,
                                  true, false, false, false, true};
// The search page's option and root boxes are 1013 to 1024, the keyword's 1019 aside.
constexpr int kFirstSearchBox = IDC_USE_WILDCARD, kLastSearchBox = IDC_CASE_SENSITIVE;
// A row the scan must list: a value, or a key when there is no value name.
struct Finding {
    HKEY root;
    std::string key, value, planted = {};
};
// Waits for the page's status text (with countedList, the text is a format for
// the number of its rows); a failure tells what the status line showed.
::testing::AssertionResult StatusBecomes(HWND page, const std::string& text,
                                         DWORD timeoutMs = 30000, HWND countedList = nullptr) {
    HWND status = GetDlgItem(page, IDC_STATUS);
    auto expected = [&] {
        return countedList ? FormatCount(text, ListView_GetItemCount(countedList)) : text;
    };
    if (WaitUntil([&] { return ControlText(status) == expected(); }, timeoutMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "status \"" << ControlText(status) << "\", not \"" << expected() << "\"";
}

}  // namespace

TEST(Road, ScanDeleteRestoreSearchDeleteAndTheChoicesSurviveARestart) {
    LanguageFileScope language(ShippedLanguageFile());
    // The program keeps config.xml and its backups beside itself: a copy of its own.
    ScratchFolder copy("road");
    for (const char* file :
         {"ZazaDaziveveVivozed.exe", "ZazaDaziveveVivozed.language", "config.xml"})
        ASSERT_TRUE(CopyFileA((BuildFolder() + "\\" + file).c_str(),
                              (copy.path() + "\\" + file).c_str(), FALSE));

    // An uninstalled program's settings, start-up entry, class registration and file type.
    const std::string gone = "C:\\zdvtest\\gone" + kPid + "\\PhotoTool\\";
    ScratchKey app("RoadPhotoTool"), find("RoadFind");
    PlantString(HKEY_CURRENT_USER, app.path(), "InstallPath", gone + "phototool.exe");
    PlantString(HKEY_CURRENT_USER, app.path(), "Language", "en-GB");
    PlantString(HKEY_CURRENT_USER, find.path(), "Note", "found by its name");
    PlantedKey run(HKEY_CURRENT_USER, kRun, "ZdvRoad" + kPid, "\"" + gone + "update.exe\" /quiet");
    PlantedKey server(HKEY_LOCAL_MACHINE, kClasses + kClassId);
    PlantString(HKEY_LOCAL_MACHINE, server.path() + "\\InprocServer32", "", gone + "thumbs.dll");
    PlantedKey type(HKEY_LOCAL_MACHINE, kClasses + ".zdvroad" + kPid, "", "ZdvRoad.Photo" + kPid);
    PlantedKey program(HKEY_LOCAL_MACHINE, kClasses + "ZdvRoad.Photo" + kPid);
    PlantString(HKEY_LOCAL_MACHINE, program.path() + "\\Shell\\Open\\Command", "",
                "\"" + gone + "phototool.exe\" \"%1\"");
    std::vector<Finding> findings = {{HKEY_CURRENT_USER, app.path(), "InstallPath"},
                                     {HKEY_CURRENT_USER, kRun, "ZdvRoad" + kPid},
                                     {HKEY_CLASSES_ROOT, kClassId, ""},
                                     {HKEY_LOCAL_MACHINE, server.path(), ""},
                                     {HKEY_LOCAL_MACHINE, type.path(), ""},
                                     {HKEY_LOCAL_MACHINE, program.path(), ""}};
    for (Finding& f : findings)
        f.planted = DescribeTree(f.root, f.key);

    ChildProgram first(copy.path() + "\\ZazaDaziveveVivozed.exe");
    HWND main = first.WaitForMainWindow();
    ASSERT_NE(main, nullptr) << "start: no main window";
    {
        SCOPED_TRACE("cleaner page: scan, delete");
        HWND tasks = FindControl(main, WC_LISTVIEWA, IDC_TASK_LIST);
        HWND page = GetParent(tasks);
        HWND list = GetDlgItem(page, IDC_RESULT_LIST);
        for (int row = 0; row < static_cast<int>(kTicks.size()); ++row)
            first.SetRowState(tasks, row, INDEXTOSTATEIMAGEMASK(kTicks[row] ? 2 : 1),
                              LVIS_STATEIMAGEMASK);
        Press(GetDlgItem(page, IDC_SCAN));
        ASSERT_TRUE(StatusBecomes(page, GetText("_PageRegistryCleanerState3"), 60000, list));
        int selected = 0;
        for (int row = 0; row < ListView_GetItemCount(list); ++row) {
            const std::string root = first.RowText(list, row, 0), key = first.RowText(list, row, 1),
                              value = first.RowText(list, row, 2);
            for (std::size_t f = 0; f < findings.size(); ++f) {
                if (root == RootKeyName(findings[f].root) &&
                    lstrcmpiA(key.c_str(), findings[f].key.c_str()) == 0 &&
                    value == findings[f].value)
                    selected += first.SetRowState(list, row, LVIS_SELECTED, LVIS_SELECTED);
            }
        }
        Press(GetDlgItem(page, IDC_CLEANER_DELETE));
        EXPECT_EQ(first.AnswerMessageBox(IDYES),
                  FormatCount(GetText("_PageRegistryCleanerDeleteConfirm"), selected));
        ASSERT_TRUE(
            StatusBecomes(page, FormatCount(GetText("_RegistryListViewDeleted"), selected)));
        for (const Finding& f : findings)
            EXPECT_FALSE(f.value.empty() ? KeyExists(f.root, f.key)
                                         : ValueExists(f.root, f.key, f.value))
                << "not listed, or not deleted: " << f.key;
        ASSERT_EQ(ListBackups(copy.path() + "\\Data\\ZazaDaziveveVivozed\\Backup").size(), 1u);
    }
    HWND backupList = FindControl(main, WC_LISTVIEWA, IDC_BACKUP_LIST);
    {
        SCOPED_TRACE("backup page: restore");
        ShowPage(main, 2);
        ASSERT_TRUE(WaitUntil([&] { return ListView_GetItemCount(backupList) == 1; }, 10000));
        const std::string backup = first.RowText(backupList, 0, 4);  // the hidden path column
        first.SetRowState(backupList, 0, LVIS_SELECTED, LVIS_SELECTED);
        Press(GetDlgItem(GetParent(backupList), IDC_RESTORE));
        EXPECT_EQ(first.AnswerMessageBox(IDYES),
                  FormatPath(GetText("_PageRegistryBackupAreYouSureRestoreFile", 1), backup));
        ASSERT_TRUE(StatusBecomes(GetParent(backupList),
                                  FormatPath(GetText("_PageRegistryBackupState5"), backup), 60000));
        for (const Finding& f : findings)
            EXPECT_EQ(DescribeTree(f.root, f.key), f.planted);
    }
    const std::string keyword = "RoadFind" + kPid;
    {
        SCOPED_TRACE("search page: find, delete from the context menu");
        ShowPage(main, 1);
        HWND edit = FindControl(main, WC_EDITA, IDC_KEYWORD);
        HWND page = GetParent(edit);
        HWND list = GetDlgItem(page, IDC_RESULT_LIST);
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(keyword.c_str()));
        // Key names in HKEY_CURRENT_USER only.
        for (int box = kFirstSearchBox; box <= kLastSearchBox; ++box)
            if (box != IDC_KEYWORD)
                CheckDlgButton(page, box, box == IDC_INCLUDE_KEY || box == IDC_HKCU);
        Press(GetDlgItem(page, IDC_START_SEARCH));
        ASSERT_TRUE(StatusBecomes(page, GetText("_PageRegistrySearchState3")));
        ASSERT_EQ(ListView_GetItemCount(list), 1);
        EXPECT_EQ(first.RowText(list, 0, 1), find.path());
        first.SetRowState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        // What Shift+F10 sends.
        PostMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
        ASSERT_TRUE(first.ChooseMenuItem(IDM_ROW_DELETE)) << "no context menu";
        ASSERT_TRUE(StatusBecomes(page, FormatCount(GetText("_RegistryListViewDeleted"), 1)));
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, find.path()));
        ShowPage(main, 2);
        EXPECT_TRUE(WaitUntil([&] { return ListView_GetItemCount(backupList) == 2; }, 10000))
            << ListView_GetItemCount(backupList) << " backups listed";
    }
    SCOPED_TRACE("close, start again");
    PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
    ASSERT_EQ(first.WaitForExit(), 2);
    const std::string config = ReadWholeFile(copy.path() + "\\config.xml");
    for (const std::string& custom :
         {MakeFlagList(kTicks), keyword, std::string("1,0,0,0,0,0"), std::string("0,1,0,0,0")})
        EXPECT_NE(config.find("custom=\"" + custom + "\""), std::string::npos) << custom;
    ChildProgram second(copy.path() + "\\ZazaDaziveveVivozed.exe");
    ASSERT_NE(main = second.WaitForMainWindow(), nullptr);
    for (int row = 0; row < static_cast<int>(kTicks.size()); ++row)
        EXPECT_EQ(ListView_GetItemState(FindControl(main, WC_LISTVIEWA, IDC_TASK_LIST), row,
                                        LVIS_STATEIMAGEMASK),
                  INDEXTOSTATEIMAGEMASK(kTicks[row] ? 2u : 1u))
            << "task " << row + 1;
    EXPECT_EQ(ControlText(FindControl(main, WC_EDITA, IDC_KEYWORD)), keyword);
    PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(second.WaitForExit(), 2);
}
