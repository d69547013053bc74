// The road a user takes, driven from outside through the real program's windows:
// scan for stale entries and delete them, restore them from the backup page,
// find a key and delete it from the search list, close, start again.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "GuiTestSupport.h"
#include "TestSupport.h"
#include "backup/BackupStore.h"
#include "common/Text.h"
#include "resource.h"
#include "settings/ConfigStore.h"
#include "text/FormatText.h"
#include "text/LanguageTable.h"

namespace {

const wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kClassId = L"CLSID\\{5C0E2B7A-94D1-4F36-8A2E-71B3D9C0F4A8}";
const std::wstring kPid = std::to_wstring(GetCurrentProcessId());
// The user's own software (1), class registrations (4), file types (7), start-up (11).
const std::vector<bool> kTicks = {true, false, false, true,  false, false,
                                  true, false, false, false, true};
// The search page's option and root boxes are 1013 to 1024, the keyword's 1019 aside.
constexpr int kFirstSearchBox = IDC_USE_WILDCARD, kLastSearchBox = IDC_CASE_SENSITIVE;
// A row the scan must list: a value, or a key when there is no value name.
struct Finding {
    HKEY root;
    std::wstring key, value, planted = {};
};
// Waits for the page's status text (with countedList, the text is a format for
// the number of its rows); a failure tells what the status line showed.
::testing::AssertionResult StatusBecomes(HWND page, const std::wstring& text,
                                         DWORD timeoutMs = 30000, HWND countedList = nullptr) {
    HWND status = GetDlgItem(page, IDC_STATUS);
    auto expected = [&] {
        return countedList ? FormatCount(text, ListView_GetItemCount(countedList)) : text;
    };
    if (WaitUntil([&] { return ControlText(status) == expected(); }, timeoutMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << L"status \"" << ControlText(status) << L"\", not \"" << expected() << L"\"";
}

}  // namespace

TEST(Road, ScanDeleteRestoreSearchDeleteAndTheChoicesSurviveARestart) {
    LanguageFileScope language(ShippedLanguageFile());
    // The program keeps config.xml and its backups beside itself: a copy of its
    // own, in a folder named in Chinese ("road").
    ScratchFolder copy(L"\u9053\u8def");
    for (const wchar_t* file :
         {L"ZazaDaziveveVivozed.exe", L"ZazaDaziveveVivozed.language", L"config.xml"})
        ASSERT_TRUE(CopyFileW((BuildFolder() + L"\\" + file).c_str(),
                              (copy.path() + L"\\" + file).c_str(), FALSE));

    // An uninstalled program's settings, start-up entry, class registration and file type.
    const std::wstring gone = L"C:\\zdvtest\\gone" + kPid + L"\\PhotoTool\\";
    ScratchKey app(L"RoadPhotoTool"), find(L"RoadFind");
    PlantString(HKEY_CURRENT_USER, app.path(), L"InstallPath", gone + L"phototool.exe");
    PlantString(HKEY_CURRENT_USER, app.path(), L"Language", L"en-GB");
    PlantString(HKEY_CURRENT_USER, find.path(), L"Note", L"found by its name");
    PlantedKey run(HKEY_CURRENT_USER, kRun, L"ZdvRoad" + kPid,
                   L"\"" + gone + L"update.exe\" /quiet");
    PlantedKey server(HKEY_LOCAL_MACHINE, kClasses + kClassId);
    PlantString(HKEY_LOCAL_MACHINE, server.path() + L"\\InprocServer32", L"", gone + L"thumbs.dll");
    PlantedKey type(HKEY_LOCAL_MACHINE, kClasses + L".zdvroad" + kPid, L"",
                    L"ZdvRoad.Photo" + kPid);
    PlantedKey program(HKEY_LOCAL_MACHINE, kClasses + L"ZdvRoad.Photo" + kPid);
    PlantString(HKEY_LOCAL_MACHINE, program.path() + L"\\Shell\\Open\\Command", L"",
                L"\"" + gone + L"phototool.exe\" \"%1\"");
    std::vector<Finding> findings = {{HKEY_CURRENT_USER, app.path(), L"InstallPath"},
                                     {HKEY_CURRENT_USER, kRun, L"ZdvRoad" + kPid},
                                     {HKEY_CLASSES_ROOT, kClassId, L""},
                                     {HKEY_LOCAL_MACHINE, server.path(), L""},
                                     {HKEY_LOCAL_MACHINE, type.path(), L""},
                                     {HKEY_LOCAL_MACHINE, program.path(), L""}};
    for (Finding& f : findings)
        f.planted = DescribeTree(f.root, f.key);

    ChildProgram first(copy.path() + L"\\ZazaDaziveveVivozed.exe");
    HWND main = first.WaitForMainWindow();
    ASSERT_NE(main, nullptr) << L"start: no main window";
    {
        SCOPED_TRACE(L"cleaner page: scan, delete");
        HWND tasks = FindControl(main, WC_LISTVIEWW, IDC_TASK_LIST);
        HWND page = GetParent(tasks);
        HWND list = GetDlgItem(page, IDC_RESULT_LIST);
        for (int row = 0; row < static_cast<int>(kTicks.size()); ++row)
            first.SetRowState(tasks, row, INDEXTOSTATEIMAGEMASK(kTicks[row] ? 2 : 1),
                              LVIS_STATEIMAGEMASK);
        Press(GetDlgItem(page, IDC_SCAN));
        ASSERT_TRUE(StatusBecomes(page, GetText(L"_PageRegistryCleanerState3"), 60000, list));
        int selected = 0;
        for (int row = 0; row < ListView_GetItemCount(list); ++row) {
            const std::wstring root = first.RowText(list, row, 0),
                               key = first.RowText(list, row, 1),
                               value = first.RowText(list, row, 2);
            for (std::size_t f = 0; f < findings.size(); ++f) {
                if (root == RootKeyName(findings[f].root) &&
                    lstrcmpiW(key.c_str(), findings[f].key.c_str()) == 0 &&
                    value == findings[f].value)
                    selected += first.SetRowState(list, row, LVIS_SELECTED, LVIS_SELECTED);
            }
        }
        Press(GetDlgItem(page, IDC_CLEANER_DELETE));
        EXPECT_EQ(first.AnswerMessageBox(IDYES),
                  FormatCount(GetText(L"_PageRegistryCleanerDeleteConfirm"), selected));
        ASSERT_TRUE(
            StatusBecomes(page, FormatCount(GetText(L"_RegistryListViewDeleted"), selected)));
        for (const Finding& f : findings)
            EXPECT_FALSE(f.value.empty() ? KeyExists(f.root, f.key)
                                         : ValueExists(f.root, f.key, f.value))
                << L"not listed, or not deleted: " << f.key;
        ASSERT_EQ(ListBackups(copy.path() + L"\\Data\\ZazaDaziveveVivozed\\Backup").size(), 1u);
    }
    HWND backupList = FindControl(main, WC_LISTVIEWW, IDC_BACKUP_LIST);
    {
        SCOPED_TRACE(L"backup page: restore");
        ShowPage(main, 2);
        ASSERT_TRUE(WaitUntil([&] { return ListView_GetItemCount(backupList) == 1; }, 10000));
        const std::wstring backup = first.RowText(backupList, 0, 4);  // the hidden path column
        first.SetRowState(backupList, 0, LVIS_SELECTED, LVIS_SELECTED);
        Press(GetDlgItem(GetParent(backupList), IDC_RESTORE));
        EXPECT_EQ(first.AnswerMessageBox(IDYES),
                  FormatPath(GetText(L"_PageRegistryBackupAreYouSureRestoreFile", 1), backup));
        ASSERT_TRUE(StatusBecomes(GetParent(backupList),
                                  FormatPath(GetText(L"_PageRegistryBackupState5"), backup),
                                  60000));
        for (const Finding& f : findings)
            EXPECT_EQ(DescribeTree(f.root, f.key), f.planted);
    }
    const std::wstring keyword = L"RoadFind" + kPid;
    {
        SCOPED_TRACE(L"search page: find, delete from the context menu");
        ShowPage(main, 1);
        HWND edit = FindControl(main, WC_EDITW, IDC_KEYWORD);
        HWND page = GetParent(edit);
        HWND list = GetDlgItem(page, IDC_RESULT_LIST);
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(keyword.c_str()));
        // Key names in HKEY_CURRENT_USER only.
        for (int box = kFirstSearchBox; box <= kLastSearchBox; ++box)
            if (box != IDC_KEYWORD)
                CheckDlgButton(page, box, box == IDC_INCLUDE_KEY || box == IDC_HKCU);
        Press(GetDlgItem(page, IDC_START_SEARCH));
        ASSERT_TRUE(StatusBecomes(page, FormatCount(GetText(L"_PageRegistrySearchState3"), 1)));
        ASSERT_EQ(ListView_GetItemCount(list), 1);
        EXPECT_EQ(first.RowText(list, 0, 1), find.path());
        first.SetRowState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        // What Shift+F10 sends.
        PostMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
        ASSERT_TRUE(first.ChooseMenuItem(IDM_ROW_DELETE)) << L"no context menu";
        ASSERT_TRUE(StatusBecomes(page, FormatCount(GetText(L"_RegistryListViewDeleted"), 1)));
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, find.path()));
        ShowPage(main, 2);
        EXPECT_TRUE(WaitUntil([&] { return ListView_GetItemCount(backupList) == 2; }, 10000))
            << ListView_GetItemCount(backupList) << L" backups listed";
    }
    SCOPED_TRACE(L"close, start again");
    PostMessageW(main, WM_COMMAND, IDCANCEL, 0);
    ASSERT_EQ(first.WaitForExit(), 2);
    const std::wstring config = WideFromUtf8(ReadWholeFile(copy.path() + L"\\config.xml"));
    for (const std::wstring& custom :
         {MakeFlagList(kTicks), keyword, std::wstring(L"1,0,0,0,0,0"), std::wstring(L"0,1,0,0,0")})
        EXPECT_NE(config.find(L"custom=\"" + custom + L"\""), std::wstring::npos) << custom;
    ChildProgram second(copy.path() + L"\\ZazaDaziveveVivozed.exe");
    ASSERT_NE(main = second.WaitForMainWindow(), nullptr);
    for (int row = 0; row < static_cast<int>(kTicks.size()); ++row)
        EXPECT_EQ(ListView_GetItemState(FindControl(main, WC_LISTVIEWW, IDC_TASK_LIST), row,
                                        LVIS_STATEIMAGEMASK),
                  INDEXTOSTATEIMAGEMASK(kTicks[row] ? 2u : 1u))
            << L"task " << row + 1;
    EXPECT_EQ(ControlText(FindControl(main, WC_EDITW, IDC_KEYWORD)), keyword);
    PostMessageW(main, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(second.WaitForExit(), 2);
}

namespace {

// Presses the keys of a chord in order and lets them go in the reverse order,
// as a keyboard does: SendInput reaches the foreground window.
void Keys(std::initializer_list<WORD> chord) {
    std::vector<INPUT> inputs;
    auto add = [&inputs](WORD key, DWORD flags) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    for (WORD key : chord)
        add(key, 0);
    for (auto key = std::rbegin(chord); key != std::rend(chord); ++key)
        add(*key, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Sleep(50);
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

// Presses Tab until the focus is on the control; false when it never comes.
bool TabTo(HWND control) {
    for (int i = 0; i < 20 && FocusOf(control) != control; ++i)
        Keys({VK_TAB});
    return FocusOf(control) == control;
}

}  // namespace

// A keyboard user does the whole job: page to page with Ctrl+Tab, a task
// ticked with Space, Scan by its access key, every row with Ctrl+A, Delete
// and its question answered with Y, and the backup page that lists the backup.
TEST(Road, KeysAloneScanDeleteAndShowTheBackup) {
    LanguageFileScope language(ShippedLanguageFile());
    ScratchFolder copy(L"keys");
    for (const wchar_t* file : {L"ZazaDaziveveVivozed.exe", L"ZazaDaziveveVivozed.language"})
        ASSERT_TRUE(CopyFileW((BuildFolder() + L"\\" + file).c_str(),
                              (copy.path() + L"\\" + file).c_str(), FALSE));
    copy.MakeFile(L"config.xml",
                  "<?xml version=\"1.0\"?><config><zazadazivevevivozed><cleanersearchtasklist "
                  "custom=\"0,0,0,0,0,0,0,0,0,0,0\"/></zazadazivevevivozed></config>");
    PlantedKey run(HKEY_CURRENT_USER, kRun, L"ZdvKeys" + kPid,
                   L"C:\\zdvtest\\gone" + kPid + L"\\keys.exe");

    ChildProgram program(copy.path() + L"\\ZazaDaziveveVivozed.exe");
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    SetForegroundWindow(main);
    HWND tasks = FindControl(main, WC_LISTVIEWW, IDC_TASK_LIST);
    HWND page = GetParent(tasks), list = GetDlgItem(page, IDC_RESULT_LIST);
    HWND backupPage = GetParent(FindControl(main, WC_LISTVIEWW, IDC_BACKUP_LIST));
    Keys({VK_CONTROL, VK_SHIFT, VK_TAB});  // round to the last page
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(backupPage) != 0; }, 5000));
    Keys({VK_CONTROL, VK_TAB});
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(page) != 0; }, 5000));

    // Tab goes round the page list and the page's controls.
    ASSERT_TRUE(TabTo(FindControl(main, WC_TREEVIEWW, IDC_PAGE_TREE)));
    ASSERT_TRUE(TabTo(tasks));
    Keys({VK_END});
    Keys({VK_SPACE});  // the last task: start-up programs
    ASSERT_TRUE(WaitUntil(
        [&] {
            return ListView_GetItemState(tasks, 10, LVIS_STATEIMAGEMASK) ==
                   INDEXTOSTATEIMAGEMASK(2);
        },
        5000));
    Keys({VK_MENU, 'S'});
    ASSERT_TRUE(StatusBecomes(page, GetText(L"_PageRegistryCleanerState3"), 60000, list));
    const int rows = ListView_GetItemCount(list);
    ASSERT_GE(rows, 1);
    ASSERT_TRUE(TabTo(list));
    Keys({VK_CONTROL, 'A'});
    ASSERT_TRUE(WaitUntil([&] { return ListView_GetSelectedCount(list) == UINT(rows); }, 5000));
    Keys({VK_DELETE});
    HWND box = program.WaitForWindow(L"#32770", 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ControlText(GetDlgItem(box, 0xFFFF)),
              FormatCount(GetText(L"_PageRegistryCleanerDeleteConfirm"), rows));
    Keys({'Y'});
    ASSERT_TRUE(StatusBecomes(page, FormatCount(GetText(L"_RegistryListViewDeleted"), rows)));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kRun, L"ZdvKeys" + kPid));

    Keys({VK_CONTROL, VK_SHIFT, VK_TAB});
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(backupPage) != 0; }, 5000));
    EXPECT_EQ(ListView_GetItemCount(GetDlgItem(backupPage, IDC_BACKUP_LIST)), 1);
    PostMessageW(main, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(program.WaitForExit(), 2);
}
