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
#include "app/SkinLayer.h"
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

class ListHost : public Window {
  public:
    ListHost() {
        RegisterWindowClass(L"ZdvListHost", 0, LoadCursor(nullptr, IDC_ARROW));
        Create(L"ZdvListHost", nullptr, {0, 0, 700, 400}, WS_OVERLAPPEDWINDOW);
        HWND control = CreateWindowExW(
            0, WC_LISTVIEWW, L"",
            WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 680, 360,
            m_hwnd, reinterpret_cast<HMENU>(IDC_RESULT_LIST), nullptr, nullptr);
        list.SubclassList(control);
        ShowWindow(m_hwnd, SW_SHOWNA);
    }
    ~ListHost() override { DestroyWindow(m_hwnd); }

    void Select(const std::vector<int>& rows) {
        list.SelectAll(false);
        for (int row : rows)
            ListView_SetItemState(list.hwnd(), row, LVIS_SELECTED, LVIS_SELECTED);
    }
    std::wstring Column(int column) {
        std::wstring texts;
        for (int row = 0; row < list.RowCount(); ++row)
            texts += list.RowText(row, column) + L";";
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
    host.list.AddRow(1, kHkcu, L"Software\\T", L"v", data, REG_SZ);
    EXPECT_EQ(host.list.RowText(0, 3), data);
    MoveWindow(host.list.hwnd(), 0, 0, 413, 200, FALSE);
    RECT client = {};
    GetClientRect(host.list.hwnd(), &client);
    for (int column = 0; column < 4; ++column)
        EXPECT_EQ(ListView_GetColumnWidth(host.list.hwnd(), column), client.right / 4);
}

// That a stopped or replaced job's rows never land, the page tests show.
TEST_F(ResultListTest, WorkerRowsShowAsTheyComeAndEveryTagGoesWithItsRow) {
    auto job = host.list.BeginJob();
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 300; ++i)
            job->AddRow(0, kHkcu, L"Software\\Job1", std::to_wstring(i), L"", REG_SZ);
        Sleep(50);
        job->FlushIfDue();  // as the worker does for every key it walks
        done = true;
    });
    // This thread takes the messages the worker sends; a stream of rows shows
    // within tens of milliseconds.
    WaitUntil([&] { return done.load(); }, INFINITE);
    worker.join();
    WaitUntil([] { return false; }, 150);
    EXPECT_EQ(ListView_GetTopIndex(host.list.hwnd()) + ListView_GetCountPerPage(host.list.hwnd()),
              300);
    ListView_DeleteItem(host.list.hwnd(), 0);
    EXPECT_EQ(host.list.TagCount(), 299u);
    ListView_DeleteAllItems(host.list.hwnd());
    host.list.AddRow(0, kHkcu, L"left", L"", L"", REG_SZ);
    EXPECT_EQ(host.list.TagCount(), 1u);
    DestroyWindow(host.hwnd());
    EXPECT_EQ(host.list.TagCount(), 0u);
}

TEST_F(ResultListTest, ColumnClicksSortByTurnsWithOneDirectionForEveryList) {
    ListHost other;
    for (ListHost* list : {&host, &other}) {
        for (std::wstring key : {L"beta", L"Gamma", L"alpha"})
            list->list.AddRow(0, kHkcu, key, L"", L"", KeyRowMarker);
    }
    host.list.SortByColumn(1);
    other.list.SortByColumn(1);
    const std::set<std::wstring> orders = {host.Column(1), other.Column(1)};
    EXPECT_EQ(orders, (std::set<std::wstring>{L"Gamma;alpha;beta;", L"beta;alpha;Gamma;"}));
    // Only the first 259 bytes count: these two compare equal and keep their order.
    const std::wstring cut(259, L'p');
    host.list.AddRow(0, kHkcu, cut + L"2", L"", L"", KeyRowMarker);
    host.list.AddRow(0, kHkcu, cut + L"1", L"", L"", KeyRowMarker);
    host.list.SortByColumn(1);
    EXPECT_NE(host.Column(1).find(cut + L"2;" + cut + L"1;"), std::wstring::npos);
    // A row added to a sorted list goes at the end.
    host.list.AddRow(0, kHkcu, L"aardvark", L"", L"", KeyRowMarker);
    EXPECT_EQ(host.list.RowText(5, 1), L"aardvark");
}

TEST_F(ResultListTest, MenuOffersWhatTheSelectionAndTheOwnersWorkAllow) {
    EXPECT_EQ(host.RightClick(), L"");
    for (int i = 0; i < 3; ++i)
        host.list.AddRow(0, kHkcu, L"Software\\T", std::to_wstring(i), L"", REG_SZ);
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
    host.list.AddRow(0, kHkcu, scratch.path(), L"v", L"stale", REG_SZ);
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
    host.list.AddRow(1, kHkcu, scratch.Sub(L"K"), L"", L"", KeyRowMarker);
    host.list.AddRow(2, kHkcu, scratch.path(), L"d", L"", REG_DWORD);
    host.list.AddRow(1, kHkcu, L"", L"", L"", KeyRowMarker);  // names no key: cannot go
    host.list.AddRow(0, kHkcu, scratch.path(), L"keep", L"k", REG_SZ);
    host.Select({0, 1, 2});
    ListDeletion told;
    host.list.SetDeletionHandler([&](const ListDeletion& deletion) { told = deletion; });
    host.RightClick(IDM_ROW_DELETE);
    EXPECT_EQ(told.removed, 2u);
    EXPECT_EQ(told.failed, 1u);
    EXPECT_EQ(host.Column(2), L";keep;");
    EXPECT_EQ(host.list.SelectedRows(), std::vector<int>{0});
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
    host.list.AddRow(1, kHkcu, scratch.Sub(L"Tree"), L"", L"", KeyRowMarker);
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
    host.list.AddRow(2, kHkcu, scratch.path(), L"d", L"", REG_DWORD);
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
    host.list.AddRow(0, kHkcu, L"Software\\Test", L"v", L"", REG_SZ);
    host.list.AddRow(1, kHkcu, L"", L"", L"", KeyRowMarker);
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
