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

const std::string kHkcu = "HKEY_CURRENT_USER";

class ListHost : public Window {
  public:
    ListHost() {
        RegisterWindowClass("ZdvListHost", 0, LoadCursor(nullptr, IDC_ARROW));
        Create("ZdvListHost", nullptr, {0, 0, 700, 400}, WS_OVERLAPPEDWINDOW);
        HWND control = CreateWindowExA(
            0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS,
            0, 0, 680, 360, m_hwnd, reinterpret_cast<HMENU>(IDC_RESULT_LIST), nullptr, nullptr);
        list.SubclassList(control);
        ShowWindow(m_hwnd, SW_SHOWNA);
    }
    ~ListHost() override { DestroyWindow(m_hwnd); }

    void Select(const std::vector<int>& rows) {
        list.SelectAll(false);
        for (int row : rows)
            ListView_SetItemState(list.hwnd(), row, LVIS_SELECTED, LVIS_SELECTED);
    }
    std::string Column(int column) {
        std::string texts;
        for (int row = 0; row < list.RowCount(); ++row)
            texts += list.RowText(row, column) + ";";
        return texts;
    }
    // A right click; the menu answers command and notes its enabled items.
    std::string RightClick(int command = 0) {
        std::string enabled;
        PopupMenuHook previous = SetPopupMenuHook([&](HMENU menu, UINT flags, HWND) {
            EXPECT_EQ(flags, static_cast<UINT>(TPM_RETURNCMD));
            for (char id = '1'; id <= '7'; ++id) {
                if (!(GetMenuState(menu, id - '0', MF_BYCOMMAND) & MF_GRAYED))
                    enabled += id;
            }
            return command;
        });
        NMHDR header = {list.hwnd(), IDC_RESULT_LIST, static_cast<UINT>(NM_RCLICK)};
        SendMessageA(m_hwnd, WM_NOTIFY, IDC_RESULT_LIST, reinterpret_cast<LPARAM>(&header));
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
            SetMessageBoxHook([this](HWND, const std::string& text, const std::string&, UINT) {
                messages.push_back(text);
                return IDOK;
            });
    }
    void TearDown() override { SetMessageBoxHook(m_previousHook); }

    LanguageFileScope m_language{ShippedLanguageFile()};
    MessageBoxHook m_previousHook;
    std::vector<std::string> messages;
    ListHost host;
};

// Each row's picture and type are shown by the pages, whose rows match the engines' rows.
TEST_F(ResultListTest, RowsKeepTheirWholeTextsInEqualColumns) {
    ASSERT_TRUE(host.list.SetRowPictures(IDB_SEARCH_RESULTS));
    EXPECT_EQ(ImageList_GetImageCount(ListView_GetImageList(host.list.hwnd(), LVSIL_SMALL)), 3);
    const std::string data(5000, 'd');
    host.list.AddRow(1, kHkcu, "Software\\T", "v", data, REG_SZ);
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
            job->AddRow(0, kHkcu, "Software\\Job1", std::to_string(i), "", REG_SZ);
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
    host.list.AddRow(0, kHkcu, "left", "", "", REG_SZ);
    EXPECT_EQ(host.list.TagCount(), 1u);
    DestroyWindow(host.hwnd());
    EXPECT_EQ(host.list.TagCount(), 0u);
}

TEST_F(ResultListTest, ColumnClicksSortByTurnsWithOneDirectionForEveryList) {
    ListHost other;
    for (ListHost* list : {&host, &other}) {
        for (std::string key : {"beta", "Gamma", "alpha"})
            list->list.AddRow(0, kHkcu, key, "", "", KeyRowMarker);
    }
    host.list.SortByColumn(1);
    other.list.SortByColumn(1);
    const std::set<std::string> orders = {host.Column(1), other.Column(1)};
    EXPECT_EQ(orders, (std::set<std::string>{"Gamma;alpha;beta;", "beta;alpha;Gamma;"}));
    // Only the first 259 bytes count: these two compare equal and keep their order.
    const std::string cut(259, 'p');
    host.list.AddRow(0, kHkcu, cut + "2", "", "", KeyRowMarker);
    host.list.AddRow(0, kHkcu, cut + "1", "", "", KeyRowMarker);
    host.list.SortByColumn(1);
    EXPECT_NE(host.Column(1).find(cut + "2;" + cut + "1;"), std::string::npos);
    // A row added to a sorted list goes at the end.
    host.list.AddRow(0, kHkcu, "aardvark", "", "", KeyRowMarker);
    EXPECT_EQ(host.list.RowText(5, 1), "aardvark");
}

TEST_F(ResultListTest, MenuOffersWhatTheSelectionAndTheOwnersWorkAllow) {
    EXPECT_EQ(host.RightClick(), "");
    for (int i = 0; i < 3; ++i)
        host.list.AddRow(0, kHkcu, "Software\\T", std::to_string(i), "", REG_SZ);
    struct Case {
        std::vector<int> selected;
        bool busy;
        const char* enabled;
    } cases[] = {
        {{}, false, "456"}, {{1}, false, "1234567"}, {{0, 2}, false, "23456"}, {{1}, true, "4567"}};
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
    PlantString(scratch.root(), scratch.path(), "v", "current");
    host.list.AddRow(0, kHkcu, scratch.path(), "v", "stale", REG_SZ);
    host.Select({0});
    std::string shown;
    g_answer = [&](HWND editor) {
        shown = WindowText(GetDlgItem(editor, IDC_EDIT_VALUE_DATA));
        SetDlgItemTextA(editor, IDC_EDIT_VALUE_NAME, "w");
        SetDlgItemTextA(editor, IDC_EDIT_VALUE_DATA, "b");
        SendMessageA(editor, WM_COMMAND, IDOK, 0);
    };
    SetTimer(nullptr, 0, 10, &AnswerOnTimer);
    host.RightClick(IDM_ROW_EDIT);
    EXPECT_EQ(shown, "current");
    EXPECT_EQ(DescribeTree(scratch.root(), scratch.path()),
              "key .\n  value \"w\" type 1 bytes 62 00\n");
    EXPECT_EQ(host.Column(2) + host.Column(3), "w;b;");
}

TEST_F(ResultListTest, EditorShowsOtherEntriesReadOnlyAndRefusesWhatItCannotWrite) {
    ScratchKey scratch;
    PlantDword(scratch.root(), scratch.path(), "d", 1);
    PlantString(scratch.root(), scratch.path(), "s", "text");
    for (const char* name : {"d", "gone"}) {  // another type; a string that went
        EditRegItemDlg readOnly({kHkcu, scratch.path(), name, "", REG_SZ});
        ASSERT_NE(readOnly.Create(host.hwnd()), nullptr);
        EXPECT_FALSE(GetWindowLongA(readOnly.Item(IDOK), GWL_STYLE) & WS_VISIBLE);
        EXPECT_TRUE(GetWindowLongA(readOnly.Item(IDC_EDIT_VALUE_DATA), GWL_STYLE) & ES_READONLY);
    }
    EditRegItemDlg editor({kHkcu, scratch.path(), "s", "text", REG_SZ});
    ASSERT_NE(editor.Create(host.hwnd()), nullptr);
    SetDlgItemTextA(editor.hwnd(), IDC_EDIT_VALUE_DATA, "");
    SendMessageA(editor.hwnd(), WM_COMMAND, IDOK, 0);
    RemoveTree(scratch.root(), scratch.path());
    SetDlgItemTextA(editor.hwnd(), IDC_EDIT_VALUE_DATA, "new");
    SendMessageA(editor.hwnd(), WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(IsWindow(editor.hwnd()));
    EXPECT_EQ(messages, (std::vector<std::string>{GetText("_EditRegItemDlgValueFieldCannotbeNULL"),
                                                  FormatPath(GetText("_EditRegItemDlgCannotWrite"),
                                                             kHkcu + "\\" + scratch.path())}));
    EXPECT_FALSE(KeyExists(scratch.root(), scratch.path()));
}

TEST_F(ResultListTest, DeletionBacksUpFirstAndKeepsFailedRowsSelected) {
    ScratchKey scratch;
    ScratchFolder backups("listbackup");
    PlantString(scratch.root(), scratch.Sub("K\\Deep"), "a", "1");
    PlantDword(scratch.root(), scratch.path(), "d", 7);
    PlantString(scratch.root(), scratch.path(), "keep", "k");
    host.list.SetBackupFolder(backups.path());
    host.list.AddRow(1, kHkcu, scratch.Sub("K"), "", "", KeyRowMarker);
    host.list.AddRow(2, kHkcu, scratch.path(), "d", "", REG_DWORD);
    host.list.AddRow(1, kHkcu, "", "", "", KeyRowMarker);  // names no key: cannot go
    host.list.AddRow(0, kHkcu, scratch.path(), "keep", "k", REG_SZ);
    host.Select({0, 1, 2});
    ListDeletion told;
    host.list.SetDeletionHandler([&](const ListDeletion& deletion) { told = deletion; });
    host.RightClick(IDM_ROW_DELETE);
    EXPECT_EQ(told.removed, 2u);
    EXPECT_EQ(told.failed, 1u);
    EXPECT_EQ(host.Column(2), ";keep;");
    EXPECT_EQ(host.list.SelectedRows(), std::vector<int>{0});
    const std::string kept = "key .\n  value \"keep\" type 1 bytes 6b 00\n";
    EXPECT_EQ(DescribeTree(scratch.root(), scratch.path()), kept);

    // What the backup holds, and that it restores, the engine and road tests show.
    EXPECT_EQ(ListBackups(backups.path()).size(), 1u);

    // No backup, no deletion.
    const std::string blocker = backups.MakeFile("file", "");
    host.list.SetBackupFolder(blocker + "\\Inner");
    host.Select({1});
    ListDeletion refused = host.list.DeleteSelected();
    EXPECT_EQ(refused.failed, 1u);
    EXPECT_EQ(host.list.RowCount(), 2);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(blocker + "\\Inner\\"), std::string::npos) << messages[0];
    EXPECT_EQ(DescribeTree(scratch.root(), scratch.path()), kept);
}

TEST_F(ResultListTest, WindowsKeepPaintingButTakeNoInputWhileEntriesAreDeleted) {
    ScratchKey scratch;
    ScratchFolder backups("paintbackup");
    PlantString(scratch.root(), scratch.Sub("Tree\\A\\B"), "v", "1");
    host.list.SetBackupFolder(backups.path());
    host.list.AddRow(1, kHkcu, scratch.Sub("Tree"), "", "", KeyRowMarker);
    host.Select({0});
    PumpMessages();
    bool paintedMeanwhile = false;
    host.onPaint = [&] { paintedMeanwhile |= KeyExists(scratch.root(), scratch.Sub("Tree")); };
    InvalidateRect(host.hwnd(), nullptr, TRUE);
    PostMessageA(host.hwnd(), WM_KEYDOWN, VK_DELETE, 0);
    host.list.DeleteSelected();
    EXPECT_TRUE(paintedMeanwhile);
    EXPECT_FALSE(KeyExists(scratch.root(), scratch.Sub("Tree")));
    MSG input;
    EXPECT_TRUE(PeekMessageA(&input, host.hwnd(), WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
}

TEST_F(ResultListTest, ExportAsksForTheFileAndSaysWhenItCannotWriteIt) {
    ScratchKey scratch;
    ScratchFolder folder("listexport");
    PlantDword(scratch.root(), scratch.path(), "d", 5);
    host.list.AddRow(2, kHkcu, scratch.path(), "d", "", REG_DWORD);
    host.Select({0});
    std::string answer = folder.MakeFile("mine.reg", "older");
    SaveFileHook previous = SetSaveFileHook([&](HWND) { return answer; });
    host.RightClick(IDM_ROW_EXPORT);
    EXPECT_EQ(ReadWholeFile(answer),
              "REGEDIT4\r\n[" + kHkcu + "\\" + scratch.path() + "]\r\n\"d\"=dword:00000005\r\n");
    answer = folder.Missing("no folder\\x.reg");
    host.RightClick(IDM_ROW_EXPORT);
    SetSaveFileHook(previous);
    EXPECT_EQ(messages,
              std::vector<std::string>{FormatPath(GetText("_RegistryListViewExportFailed"),
                                                  folder.Missing("no folder\\x.reg"))});
}

TEST_F(ResultListTest, OpenInRegistryEditorSetsItsStartKeyAndStartsItByFullPath) {
    RemoveTree(HKEY_CURRENT_USER, kRegeditSettingsKey);
    std::vector<std::string> started;
    ShellOpener previous = SetShellOpener([&](HWND, const std::string& program) {
        started.push_back(program + " at " +
                          ReadStringValue(HKEY_CURRENT_USER, kRegeditSettingsKey, "LastKey"));
        return true;
    });
    host.list.AddRow(0, kHkcu, "Software\\Test", "v", "", REG_SZ);
    host.list.AddRow(1, kHkcu, "", "", "", KeyRowMarker);
    for (int row : {0, 1}) {
        host.Select({row});
        host.RightClick(IDM_ROW_OPEN_IN_EDITOR);
    }
    SetShellOpener(previous);
    const std::string editor = RegistryEditorPath();
    ASSERT_NE(editor, "");
    EXPECT_EQ(started, (std::vector<std::string>{editor + " at HKEY_CURRENT_USER\\Software\\Test",
                                                 editor + " at HKEY_CURRENT_USER"}));
}

TEST_F(ResultListTest, ProgressWindowCountsBeyondSixteenBits) {
    ProgressWindow progress(host.list.hwnd());
    progress.Begin("Working", 100000);
    progress.Step(70000);
    EXPECT_EQ(GetWindow(progress.hwnd(), GW_OWNER), host.hwnd());
    EXPECT_EQ(SendMessageA(progress.Item(IDC_PROGRESS_BAR), PBM_GETRANGE, FALSE, 0), 100000);
    EXPECT_EQ(SendMessageA(progress.Item(IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0), 70000);
}

}  // namespace
