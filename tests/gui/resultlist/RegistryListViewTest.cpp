// The result list on a plain window that reflects notifications as a page
// does: rows and their tags, sorting, the context menu and its commands, the
// entry editor and the progress window.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <set>
#include <thread>

#include "GuiTestSupport.h"
#include "TestSupport.h"
#include "framework/PopupMenu.h"
#include "backup/BackupStore.h"
#include "backup/Regedit.h"
#include "framework/FileDialogs.h"
#include "framework/Prompt.h"
#include "framework/ShellOpen.h"
#include "resource.h"
#include "results/EntryEdit.h"
#include "resultlist/EditRegItemDlg.h"
#include "resultlist/ProgressWindow.h"
#include "resultlist/RegistryListView.h"
#include "text/FormatText.h"
#include "text/LanguageTable.h"

namespace {

const std::wstring kHkcu = L"HKEY_CURRENT_USER";

RegistryItem Row(const std::wstring& key, const std::wstring& value = L"",
                 const std::wstring& data = L"", int type = REG_SZ) {
    return {kHkcu, key, value, data, type, type == KeyRowMarker ? 1 : 0};
}

class ListHost : public Window {
  public:
    ListHost() {
        RegisterWindowClass(L"ZdvListHost", 0, LoadCursor(nullptr, IDC_ARROW));
        Create(L"ZdvListHost", nullptr, {0, 0, 700, 400}, WS_OVERLAPPEDWINDOW);
        HWND control = CreateWindowExW(
            0, WC_LISTVIEWW, L"",
            WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0,
            0, 680, 360, m_hwnd, reinterpret_cast<HMENU>(IDC_RESULT_LIST), nullptr, nullptr);
        list.SubclassList(control);
        ShowWindow(m_hwnd, SW_SHOWNA);
    }
    ~ListHost() override { DestroyWindow(m_hwnd); }

    void Select(const std::vector<int>& rows) {
        list.SelectAll(false);
        for (int row : rows)
            list.SetSelected(row, true);
    }
    // The texts the control shows in a column (it asks the list for them).
    std::wstring Column(int column) {
        std::wstring texts;
        for (int row = 0; row < list.RowCount(); ++row)
            texts += list.CellText(row, column) + L";";
        return texts;
    }
    // A right click; the menu answers command and notes its enabled items.
    std::wstring RightClick(int command = 0) {
        std::wstring enabled;
        PopupMenuHook previous = SetPopupMenuHook([&](HMENU menu, UINT flags, HWND) {
            EXPECT_EQ(flags, static_cast<UINT>(TPM_RETURNCMD));
            for (wchar_t id = L'1'; id <= L'7'; ++id) {
                if (!(GetMenuState(menu, id - L'0', MF_BYCOMMAND) & MF_GRAYED))
                    enabled += id;
            }
            return command;
        });
        NMHDR header = {list.hwnd(), IDC_RESULT_LIST, static_cast<UINT>(NM_RCLICK)};
        SendMessageW(m_hwnd, WM_NOTIFY, IDC_RESULT_LIST, reinterpret_cast<LPARAM>(&header));
        SetPopupMenuHook(previous);
        return enabled;
    }

    RegistryListView list;
    std::function<void()> onPaint;

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        LRESULT result = 0;
        if (message == WM_NOTIFY && ReflectToChild(message, wParam, lParam, result))
            return result;
        if (message == WM_PAINT && onPaint)
            onPaint();
        return Window::OnMessage(message, wParam, lParam);
    }
};

// Answers the modal dialog that is open when the timer fires.
std::function<void(HWND)> g_answer;
void CALLBACK AnswerOnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    g_answer(GetActiveWindow());
}

class ResultListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        m_previousHook =
            SetMessageBoxHook([this](HWND, const std::wstring& text, const std::wstring&, UINT) {
                messages.push_back(text);
                return IDOK;
            });
    }
    void TearDown() override { SetMessageBoxHook(m_previousHook); }

    LanguageFileScope m_language{ShippedLanguageFile()};
    MessageBoxHook m_previousHook;
    std::vector<std::wstring> messages;
    ListHost host;
};

// Each row's picture and type are shown by the pages, whose rows match the engines' rows.
TEST_F(ResultListTest, RowsKeepTheirWholeTextsInEqualColumns) {
    ASSERT_TRUE(host.list.SetRowPictures(IDB_SEARCH_RESULTS));
    EXPECT_EQ(ImageList_GetImageCount(ListView_GetImageList(host.list.hwnd(), LVSIL_SMALL)), 3);
    const std::wstring data(5000, L'd');
    host.list.AddRow(Row(L"Software\\T", L"v", data));
    EXPECT_EQ(host.list.CellText(0, 3), data);
    // Equal shares of the width beside a scroll bar, before the rows need one and after.
    MoveWindow(host.list.hwnd(), 0, 0, 413, 200, FALSE);
    RECT client = {};
    GetClientRect(host.list.hwnd(), &client);
    const int share = (client.right - GetSystemMetrics(SM_CXVSCROLL)) / 4;
    for (int i = 0; i < 2; ++i) {
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(ListView_GetColumnWidth(host.list.hwnd(), column), share);
        for (int row = 0; row < 50; ++row)
            host.list.AddRow(Row(L"Software\\T", std::to_wstring(row)));
    }
}

// The worker goes on without waiting while the queue has room, waits when it
// is full until the list takes the rows, and never waits for a job that was
// let go; what the list took shows in order, the newest in view. That a
// stopped or replaced job's rows never land, the page tests show.
TEST_F(ResultListTest, WorkerRowsArriveInOrderAndOnlyAFullQueueMakesTheWorkerWait) {
    auto job = host.list.BeginJob();
    const std::wstring big(RowQueue::kBoundBytes / sizeof(wchar_t) / 3, L'b');
    std::atomic<int> added{0};
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i, ++added) {
            RegistryItem row = Row(L"Software\\Job1", std::to_wstring(i), i == 50 ? big : L"");
            if (i == 3)
                row.rootKey = L"HKEY_LOCAL_MACHINE";
            job->AddRow(row);
        }
        for (int i = 0; i < 4; ++i, ++added)
            job->AddRow(Row(L"Software\\Job1", L"big", big));
    });
    Sleep(300);  // this thread takes nothing meanwhile
    EXPECT_EQ(added.load(), 102);
    EXPECT_EQ(host.list.RowCount(), 0);
    WaitUntil([&] { return added == 104 && host.list.RowCount() == 104; }, 10000);
    worker.join();
    EXPECT_EQ(host.list.RowText(7, 2) + host.list.RowText(103, 2), L"7big");
    EXPECT_EQ(host.list.RowText(3, 0) + host.list.RowText(4, 0), L"HKEY_LOCAL_MACHINE" + kHkcu);
    EXPECT_EQ(ListView_GetTopIndex(host.list.hwnd()) + ListView_GetCountPerPage(host.list.hwnd()),
              104);

    job = host.list.BeginJob();
    for (int i = 0; i < 3; ++i)
        job->AddRow(Row(L"Software\\Job2", L"big", big));
    host.list.EndJob();
    job->AddRow(Row(L"Software\\Job2", L"dropped"));
    PumpMessages();
    EXPECT_EQ(host.list.RowCount(), 104);
    host.list.Clear();
    EXPECT_EQ(host.list.RowCount(), 0);
}

// Sorting moves the rows, not the selection: it stays on the same entries.
TEST_F(ResultListTest, ColumnClicksSortByTurnsKeepingTheSelectionWithOneDirectionForEveryList) {
    ListHost other;
    for (ListHost* list : {&host, &other}) {
        for (std::wstring key : {L"beta", L"Gamma", L"alpha"})
            list->list.AddRow(Row(key, L"", L"", KeyRowMarker));
    }
    host.Select({0, 2});
    other.list.SortByColumn(1);
    host.list.SortByColumn(1);
    const std::set<std::wstring> orders = {host.Column(1), other.Column(1)};
    EXPECT_EQ(orders, (std::set<std::wstring>{L"Gamma;alpha;beta;", L"beta;alpha;Gamma;"}));
    std::set<std::wstring> selected;
    for (int row : host.list.SelectedRows())
        selected.insert(host.list.RowText(row, 1));
    EXPECT_EQ(selected, (std::set<std::wstring>{L"alpha", L"beta"}));
    HDITEMW arrow = {};
    arrow.mask = HDI_FORMAT;
    Header_GetItem(ListView_GetHeader(host.list.hwnd()), 1, &arrow);
    EXPECT_NE(arrow.fmt & (HDF_SORTUP | HDF_SORTDOWN), 0);
    // Equal texts keep their order; a row added to a sorted list goes at the end.
    host.list.AddRow(Row(L"same", L"first"));
    host.list.AddRow(Row(L"same", L"second"));
    host.list.SortByColumn(1);
    EXPECT_NE(host.Column(2).find(L"first;second;"), std::wstring::npos);
    host.list.AddRow(Row(L"aardvark"));
    EXPECT_EQ(host.list.RowText(5, 1), L"aardvark");
}

// Typing finds the next row whose key begins with what was typed, letter case
// aside, from the focused row on and round again.
TEST_F(ResultListTest, TypingFindsARowByTheStartOfItsKey) {
    for (std::wstring key : {L"alpha", L"Beta", L"bravo", L"\u0411\u0443\u043a\u0432\u0430"})
        host.list.AddRow(Row(key));
    host.list.FocusRow(2);
    auto find = [&](const wchar_t* typed) {
        LVFINDINFOW info = {};
        info.flags = LVFI_STRING | LVFI_PARTIAL | LVFI_WRAP;
        info.psz = typed;
        return static_cast<int>(SendMessageW(host.list.hwnd(), LVM_FINDITEMW,
                                             static_cast<WPARAM>(host.list.FocusedRow()),
                                             reinterpret_cast<LPARAM>(&info)));
    };
    EXPECT_EQ(find(L"B"), 2);
    EXPECT_EQ(find(L"al"), 0);
    EXPECT_EQ(find(L"\u0431\u0443"), 3);
    EXPECT_EQ(find(L"zz"), -1);
}

// Shift with a key or a click selects from the selection mark to the new
// focus, and nothing else, whatever the selection was before.
TEST_F(ResultListTest, ShiftKeysAndClicksSelectFromTheMarkToTheFocusedRowOnly) {
    for (int i = 0; i < 20; ++i)
        host.list.AddRow(Row(L"Software\\T", std::to_wstring(i)));
    HWND list = host.list.hwnd();
    auto press = [&](UINT key) { SendMessageW(list, WM_KEYDOWN, key, 0); };
    auto click = [&](int row) {
        RECT place = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&place));
        SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT,
                     MAKELPARAM(place.left + 5, (place.top + place.bottom) / 2));
        SendMessageW(list, WM_LBUTTONUP, MK_SHIFT, 0);
    };
    struct Step {
        std::function<void()> action;
        int firstSelected, lastSelected, focused;
    } steps[] = {
        {[&] { press(VK_DOWN), press(VK_DOWN); }, 5, 7, 7},
        {[&] { press(VK_HOME); }, 0, 5, 0},
        {[&] { press(VK_END); }, 5, 19, 19},
        {[&] { press(VK_UP); }, 5, 18, 18},
        {[&] { click(3); }, 3, 5, 3},
        // From a selection of two runs.
        {[&] { host.list.SetSelected(12, true), click(8); }, 5, 8, 8},
        {[&] { host.list.SelectAll(true), press(VK_UP); }, 5, 7, 7},
    };
    host.list.FocusRow(5);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    for (const Step& step : steps) {
        step.action();
        std::vector<int> expected;
        for (int row = step.firstSelected; row <= step.lastSelected; ++row)
            expected.push_back(row);
        EXPECT_EQ(host.list.SelectedRows(), expected)
            << step.firstSelected << ".." << step.lastSelected;
        EXPECT_EQ(host.list.FocusedRow(), step.focused);
    }
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

TEST_F(ResultListTest, MenuOffersWhatTheSelectionAndTheOwnersWorkAllow) {
    EXPECT_EQ(host.RightClick(), L"");
    for (int i = 0; i < 3; ++i)
        host.list.AddRow(Row(L"Software\\T", std::to_wstring(i)));
    struct Case {
        std::vector<int> selected;
        bool busy;
        const wchar_t* enabled;
    } cases[] = {{{}, false, L"456"},
                 {{1}, false, L"1234567"},
                 {{0, 2}, false, L"23456"},
                 {{1}, true, L"4567"}};
    for (const Case& c : cases) {
        host.Select(c.selected);
        host.list.SetBusy(c.busy);
        EXPECT_EQ(host.RightClick(), c.enabled);
    }
    host.list.SetBusy(false);
    host.Select({0});
    host.RightClick(IDM_ROW_INVERT_SELECTION);
    EXPECT_EQ(host.list.SelectedRows(), (std::vector<int>{1, 2}));
    host.RightClick(IDM_ROW_SELECT_ALL);
    EXPECT_EQ(host.list.SelectedCount(), 3);
}

TEST_F(ResultListTest, EditorShowsTheValueAsItIsNowAndTheRowFollowsTheChange) {
    ScratchKey scratch;
    PlantString(scratch.root(), scratch.path(), L"v", L"current");
    host.list.AddRow(Row(scratch.path(), L"v", L"stale"));
    host.Select({0});
    std::wstring shown;
    g_answer = [&](HWND editor) {
        shown = WindowText(GetDlgItem(editor, IDC_EDIT_VALUE_DATA));
        SetDlgItemTextW(editor, IDC_EDIT_VALUE_NAME, L"w");
        SetDlgItemTextW(editor, IDC_EDIT_VALUE_DATA, L"b");
        SendMessageW(editor, WM_COMMAND, IDOK, 0);
    };
    SetTimer(nullptr, 0, 10, &AnswerOnTimer);
    host.RightClick(IDM_ROW_EDIT);
    EXPECT_EQ(shown, L"current");
    EXPECT_EQ(DescribeTree(scratch.root(), scratch.path()),
              L"key .\n  value \"w\" type 1 bytes 62 00 00 00\n");
    EXPECT_EQ(host.Column(2) + host.Column(3), L"w;b;");
}

TEST_F(ResultListTest, EditorShowsOtherEntriesReadOnlyAndRefusesWhatItCannotWrite) {
    ScratchKey scratch;
    PlantDword(scratch.root(), scratch.path(), L"d", 1);
    PlantString(scratch.root(), scratch.path(), L"s", L"text");
    for (const wchar_t* name : {L"d", L"gone"}) {  // another type; a string that went
        EditRegItemDlg readOnly({kHkcu, scratch.path(), name, L"", REG_SZ});
        ASSERT_NE(readOnly.Create(host.hwnd()), nullptr);
        EXPECT_FALSE(GetWindowLongW(readOnly.Item(IDOK), GWL_STYLE) & WS_VISIBLE);
        EXPECT_TRUE(GetWindowLongW(readOnly.Item(IDC_EDIT_VALUE_DATA), GWL_STYLE) & ES_READONLY);
    }
    EditRegItemDlg editor({kHkcu, scratch.path(), L"s", L"text", REG_SZ});
    ASSERT_NE(editor.Create(host.hwnd()), nullptr);
    SetDlgItemTextW(editor.hwnd(), IDC_EDIT_VALUE_DATA, L"");
    SendMessageW(editor.hwnd(), WM_COMMAND, IDOK, 0);
    RemoveTree(scratch.root(), scratch.path());
    SetDlgItemTextW(editor.hwnd(), IDC_EDIT_VALUE_DATA, L"new");
    SendMessageW(editor.hwnd(), WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(IsWindow(editor.hwnd()));
    EXPECT_EQ(messages,
              (std::vector<std::wstring>{GetText(L"_EditRegItemDlgValueFieldCannotbeNULL"),
                                         FormatPath(GetText(L"_EditRegItemDlgCannotWrite"),
                                                    kHkcu + L"\\" + scratch.path())}));
    EXPECT_FALSE(KeyExists(scratch.root(), scratch.path()));
}

TEST_F(ResultListTest, DeletionBacksUpFirstAndKeepsFailedRowsSelected) {
    ScratchKey scratch;
    ScratchFolder backups(L"listbackup");
    PlantString(scratch.root(), scratch.Sub(L"K\\Deep"), L"a", L"1");
    PlantDword(scratch.root(), scratch.path(), L"d", 7);
    PlantString(scratch.root(), scratch.path(), L"keep", L"k");
    host.list.SetBackupFolder(backups.path());
    host.list.AddRow(Row(scratch.Sub(L"K"), L"", L"", KeyRowMarker));
    host.list.AddRow(Row(scratch.path(), L"keep", L"k"));
    host.list.AddRow(Row(scratch.path(), L"d", L"", REG_DWORD));
    RegistryItem nowhere = Row(scratch.Sub(L"J"), L"", L"", KeyRowMarker);
    nowhere.rootKey = L"HKEY_NOWHERE";  // names no key: cannot go
    host.list.AddRow(nowhere);
    // Sorted by the key, the row that fails is between the two that go.
    host.list.SortByColumn(1);
    if (host.list.RowText(0, 2) != L"keep")
        host.list.SortByColumn(1);
    ASSERT_EQ(host.Column(2), L"keep;d;;;");
    host.Select({1, 2, 3});
    ListDeletion told;
    host.list.SetDeletionHandler([&](const ListDeletion& deletion) { told = deletion; });
    host.RightClick(IDM_ROW_DELETE);
    EXPECT_EQ(told.removed, 2u);
    EXPECT_EQ(told.failed, 1u);
    EXPECT_EQ(host.Column(2), L"keep;;");
    EXPECT_EQ(host.list.SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(host.list.RowText(1, 0), L"HKEY_NOWHERE");
    const std::wstring kept = L"key .\n  value \"keep\" type 1 bytes 6b 00 00 00\n";
    EXPECT_EQ(DescribeTree(scratch.root(), scratch.path()), kept);

    // What the backup holds, and that it restores, the engine and road tests show.
    EXPECT_EQ(ListBackups(backups.path()).size(), 1u);

    // No backup, no deletion.
    const std::wstring blocker = backups.MakeFile(L"file", "");
    host.list.SetBackupFolder(blocker + L"\\Inner");
    host.Select({1});
    ListDeletion refused = host.list.DeleteSelected();
    EXPECT_EQ(refused.failed, 1u);
    EXPECT_EQ(host.list.RowCount(), 2);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(blocker + L"\\Inner\\"), std::wstring::npos) << messages[0];
    EXPECT_EQ(DescribeTree(scratch.root(), scratch.path()), kept);
}

TEST_F(ResultListTest, WindowsKeepPaintingButTakeNoInputWhileEntriesAreDeleted) {
    ScratchKey scratch;
    ScratchFolder backups(L"paintbackup");
    PlantString(scratch.root(), scratch.Sub(L"Tree\\A\\B"), L"v", L"1");
    host.list.SetBackupFolder(backups.path());
    host.list.AddRow(Row(scratch.Sub(L"Tree"), L"", L"", KeyRowMarker));
    host.Select({0});
    PumpMessages();
    bool paintedMeanwhile = false;
    host.onPaint = [&] { paintedMeanwhile |= KeyExists(scratch.root(), scratch.Sub(L"Tree")); };
    InvalidateRect(host.hwnd(), nullptr, TRUE);
    PostMessageW(host.hwnd(), WM_KEYDOWN, VK_DELETE, 0);
    host.list.DeleteSelected();
    EXPECT_TRUE(paintedMeanwhile);
    EXPECT_FALSE(KeyExists(scratch.root(), scratch.Sub(L"Tree")));
    MSG input;
    EXPECT_TRUE(PeekMessageW(&input, host.hwnd(), WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
}

TEST_F(ResultListTest, ExportAsksForTheFileAndSaysWhenItCannotWriteIt) {
    ScratchKey scratch;
    ScratchFolder folder(L"listexport");
    PlantDword(scratch.root(), scratch.path(), L"d", 5);
    host.list.AddRow(Row(scratch.path(), L"d", L"", REG_DWORD));
    host.Select({0});
    std::wstring answer = folder.MakeFile(L"mine.reg", "older");
    SaveFileHook previous = SetSaveFileHook([&](HWND) { return answer; });
    host.RightClick(IDM_ROW_EXPORT);
    EXPECT_EQ(ReadWholeFile(answer),
              RegText({L"[" + kHkcu + L"\\" + scratch.path() + L"]", L"\"d\"=dword:00000005"}));
    answer = folder.Missing(L"no folder\\x.reg");
    host.RightClick(IDM_ROW_EXPORT);
    SetSaveFileHook(previous);
    EXPECT_EQ(messages,
              std::vector<std::wstring>{FormatPath(GetText(L"_RegistryListViewExportFailed"),
                                                   folder.Missing(L"no folder\\x.reg"))});
}

TEST_F(ResultListTest, OpenInRegistryEditorSetsItsStartKeyAndStartsItByFullPath) {
    RemoveTree(HKEY_CURRENT_USER, kRegeditSettingsKey);
    std::vector<std::wstring> started;
    ShellOpener previous = SetShellOpener([&](HWND, const std::wstring& program) {
        started.push_back(program + L" at " +
                          ReadStringValue(HKEY_CURRENT_USER, kRegeditSettingsKey, L"LastKey"));
        return true;
    });
    host.list.AddRow(Row(L"Software\\Test", L"v"));
    host.list.AddRow(Row(L"", L"", L"", KeyRowMarker));
    for (int row : {0, 1}) {
        host.Select({row});
        host.RightClick(IDM_ROW_OPEN_IN_EDITOR);
    }
    SetShellOpener(previous);
    const std::wstring editor = RegistryEditorPath();
    ASSERT_NE(editor, L"");
    EXPECT_EQ(started, (std::vector<std::wstring>{editor + L" at HKEY_CURRENT_USER\\Software\\Test",
                                                  editor + L" at HKEY_CURRENT_USER"}));
}

TEST_F(ResultListTest, ProgressWindowCountsBeyondSixteenBits) {
    ProgressWindow progress(host.list.hwnd());
    progress.Begin(ProgressPhase::Deleting, 100000);
    progress.Step(70000);
    EXPECT_EQ(GetWindow(progress.hwnd(), GW_OWNER), host.hwnd());
    EXPECT_EQ(SendMessageW(progress.Item(IDC_PROGRESS_BAR), PBM_GETRANGE, FALSE, 0), 100000);
    EXPECT_EQ(SendMessageW(progress.Item(IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0), 70000);
}

}  // namespace
