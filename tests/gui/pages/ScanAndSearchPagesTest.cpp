// The cleaner and the search page in the real main window: scans and searches
// on their worker threads, stopping, the stored choices, and deletion.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "GuiTestSupport.h"
#include "TestSupport.h"
#include "app/MainFrame.h"
#include "backup/BackupStore.h"
#include "cleaner/ScanDriver.h"
#include "framework/Prompt.h"
#include "framework/PopupMenu.h"
#include "pages/EntryListsDialog.h"
#include "work/Worker.h"
#include "resource.h"
#include "settings/ConfigStore.h"
#include "settings/ModulePath.h"
#include "text/FormatText.h"
#include "text/LanguageTable.h"

namespace {

using Flags = std::vector<bool>;
using Texts = std::vector<std::wstring>;
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

Flags Tasks(std::initializer_list<int> numbers) {
    Flags flags(11, false);
    for (int number : numbers)
        flags[number - 1] = true;
    return flags;
}

class PagesTest : public ::testing::Test {
  protected:
    PagesTest() {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        m_previousHook =
            SetMessageBoxHook([this](HWND, const std::wstring& text, const std::wstring&, UINT) {
                asked.push_back(text);
                return answer;
            });
    }
    ~PagesTest() override {
        Close();
        SetMessageBoxHook(m_previousHook);
    }

    // The main window, its pages keeping their choices in the test's own
    // copy of the shipped settings, changed by edit first.
    void Open(const std::function<void(ConfigStore&)>& edit = nullptr) {
        ASSERT_TRUE(WriteWholeFile(m_config, ReadWholeFile(BuildFolder() + L"\\config.xml")));
        ConfigStore store;
        ASSERT_TRUE(store.Load(m_config));
        if (edit) {
            edit(store);
            ASSERT_TRUE(store.Save());
        }
        m_frame = std::make_unique<MainFrame>();
        Cleaner().SetConfigFile(m_config);
        Search().SetConfigFile(m_config);
        ASSERT_NE(m_frame->Create(nullptr), nullptr);
        for (RegistryListView* list : {&Cleaner().ResultList(), &Search().ResultList()})
            list->SetBackupFolder(m_backups.path());
    }
    // Closes the window the way the menu does; the pages store their choices.
    void Close() {
        if (m_frame && m_frame->hwnd())
            SendMessageW(m_frame->hwnd(), WM_COMMAND, IDCANCEL, 0);
        m_frame.reset();
        Worker::WaitForAll();
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    std::wstring Stored(const wchar_t* element) {
        ConfigStore store;
        return store.Load(m_config) ? store.Read(element, L"custom") : L"no file";
    }

    PageRegistryCleaner& Cleaner() { return m_frame->CleanerPage(); }
    PageRegistrySearch& Search() { return m_frame->SearchPage(); }
    static bool Enabled(PageDialog& page, int id) { return IsWindowEnabled(page.Item(id)) != 0; }
    static void Click(PageDialog& page, int id) {
        SendMessageW(page.hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(page.Item(id)));
    }
    // Scan, Stop, Delete, Delete All.
    std::vector<bool> CleanerButtons() {
        std::vector<bool> states;
        for (int id : {IDC_SCAN, IDC_STOP, IDC_CLEANER_DELETE, IDC_DELETE_ALL})
            states.push_back(Enabled(Cleaner(), id));
        return states;
    }
    // The rows as the control shows them: their pictures and texts.
    static Texts Rows(RegistryListView& list) {
        Texts rows;
        for (int row = 0; row < list.RowCount(); ++row) {
            LVITEMW item = {};
            item.mask = LVIF_IMAGE;
            item.iItem = row;
            SendMessageW(list.hwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            rows.push_back(RowText(item.iImage, list.CellText(row, 0), list.CellText(row, 1),
                                   list.CellText(row, 2), list.CellText(row, 3),
                                   list.Entry(row).type));
        }
        return rows;
    }
    Texts EngineRows(const Flags& tasks) {
        RecordingSink sink;
        RunScan(tasks, sink, nullptr, nullptr, StoredEntryFilter(m_config).get());
        return sink.rows;
    }
    bool ScanEnds() {
        return WaitUntil([this] { return !Cleaner().ScanRunning(); });
    }

    ComInitialization m_com;  // the settings file is read through COM
    Texts asked;
    int answer = IDYES;
    ScratchFolder m_folder{L"pages"};
    std::wstring m_config = m_folder.MakeFile(L"config.xml");
    ScratchFolder m_backups{L"pagesbackup"};
    std::unique_ptr<MainFrame> m_frame;

  private:
    LanguageFileScope m_language{ShippedLanguageFile()};
    MessageBoxHook m_previousHook;
};

// A stale start-up entry and a stale uninstall entry, found by tasks 11 and 5.
class StaleEntries {
  public:
    StaleEntries() {
        run.String(L"ZdvPagesStale", L"C:\\zdv-pages-missing\\stale.exe");
        PlantKey(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + L"\\ZdvPagesStale");
    }
    ~StaleEntries() {
        RemoveTree(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + L"\\ZdvPagesStale");
    }
    PlantedKey run{HKEY_CURRENT_USER, kRunKey};
};

TEST_F(PagesTest, ScanShowsTheEngineRowsInOrderAndTheCountSafely) {
    StaleEntries stale;
    Open();
    for (const Flags& tasks : {Tasks({11, 5}), Tasks({})}) {
        const Texts expected = EngineRows(tasks);
        Cleaner().SetTaskSelection(tasks);
        Click(Cleaner(), IDC_SCAN);
        Click(Cleaner(), IDC_SCAN);  // a second press starts nothing
        EXPECT_EQ(CleanerButtons(), (Flags{false, true, false, false}));
        ASSERT_TRUE(ScanEnds());
        EXPECT_EQ(Rows(Cleaner().ResultList()), expected);
        const bool found = !expected.empty();
        EXPECT_EQ(found, tasks == Tasks({11, 5}));
        EXPECT_EQ(CleanerButtons(), (Flags{true, false, found, found}));
        EXPECT_EQ(Cleaner().StatusText(), FormatCount(GetText(L"_PageRegistryCleanerState3"),
                                                      static_cast<long long>(expected.size())));
    }
}

// Presses Stop from inside the list's handling of a scan's first rows: the
// scan runs for sure then, its end still to come.
struct StopOnFirstRows {
    PageRegistryCleaner* page;
    bool deleteOffered = true;

    static StopOnFirstRows* self(DWORD_PTR data) {
        return reinterpret_cast<StopOnFirstRows*>(data);
    }

    static LRESULT CALLBACK Proc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR data) {
        LRESULT result = DefSubclassProc(list, message, wParam, lParam);
        if (message == RowsWaitingMessage() && self(data)->page->ResultList().RowCount() > 0) {
            StopOnFirstRows* self = StopOnFirstRows::self(data);
            RemoveWindowSubclass(list, &Proc, id);
            self->page->ResultList().SelectAll(true);
            self->deleteOffered = self->page->ResultList().CommandEnabled(IDM_ROW_DELETE);
            self->page->StopScan();
        }
        return result;
    }
};

TEST_F(PagesTest, StopKeepsTheRowsAndNothingOfAStoppedScanArrivesLater) {
    StaleEntries stale;
    Open();
    const Texts expected = EngineRows(Tasks({5, 11}));
    Cleaner().SetTaskSelection(Tasks({5, 11}));
    RegistryListView& list = Cleaner().ResultList();

    StopOnFirstRows stopper{&Cleaner()};
    SetWindowSubclass(list.hwnd(), &StopOnFirstRows::Proc, 1,
                      reinterpret_cast<DWORD_PTR>(&stopper));
    Cleaner().StartScan();
    ASSERT_TRUE(WaitUntil([&] { return !Cleaner().ScanRunning(); }));
    EXPECT_FALSE(stopper.deleteOffered);  // the menu waits for the scan too
    const Texts kept = Rows(list);
    EXPECT_FALSE(kept.empty());
    Worker::WaitForAll();
    PumpMessages();
    EXPECT_EQ(Rows(list), kept);
    EXPECT_EQ(Cleaner().StatusText(), FormatCount(GetText(L"_PageRegistryCleanerState4"),
                                                  static_cast<long long>(kept.size())));
    EXPECT_EQ(CleanerButtons(), (Flags{true, false, true, true}));
    EXPECT_TRUE(list.CommandEnabled(IDM_ROW_DELETE));

    // Stop and Scan at once: the new list holds the new scan's rows only.
    Cleaner().StartScan();
    Cleaner().StopScan();
    Cleaner().StartScan();
    ASSERT_TRUE(ScanEnds());
    EXPECT_EQ(Rows(list), expected);
}

// The row of the planted start-up value, or -1.
int StaleRow(RegistryListView& list) {
    for (int row = 0; row < list.RowCount(); ++row) {
        if (list.RowText(row, 2) == L"ZdvPagesStale")
            return row;
    }
    return -1;
}

// Each row says why; an ignored entry leaves the list and later scans until
// the dialog takes it off the ignore list; an entry no longer stale when it
// is deleted is kept and counted apart.
TEST_F(PagesTest, RowsSayWhyIgnoreLastsUntilTheDialogRemovesItAndDeletionLooksAgain) {
    StaleEntries stale;
    Open();
    RegistryListView& list = Cleaner().ResultList();
    Cleaner().SetTaskSelection(Tasks({11}));
    auto scan = [this] {
        Click(Cleaner(), IDC_SCAN);
        return ScanEnds();
    };
    ASSERT_TRUE(scan());
    const int row = StaleRow(list);
    ASSERT_GE(row, 0);
    EXPECT_EQ(list.RowText(row, 4), L"File not found: C:\\zdv-pages-missing\\stale.exe");
    list.SelectAll(false);
    ListView_SetItemState(list.hwnd(), row, LVIS_SELECTED, LVIS_SELECTED);
    list.RunCommand(IDM_ROW_IGNORE);
    EXPECT_EQ(StaleRow(list), -1);
    ASSERT_TRUE(scan());
    EXPECT_EQ(StaleRow(list), -1);

    EntryListsDialog dialog(m_config);
    ASSERT_NE(dialog.Create(m_frame->hwnd()), nullptr);
    ASSERT_EQ(dialog.Lists().ignored.size(), 1u);
    ListView_SetItemState(dialog.Item(IDC_IGNORED_LIST), 0, LVIS_SELECTED, LVIS_SELECTED);
    dialog.RemoveSelectedIgnored();
    EXPECT_TRUE(dialog.Lists().ignored.empty());
    ASSERT_TRUE(scan());
    ASSERT_GE(StaleRow(list), 0);

    // The file is there by the time the row is deleted.
    ASSERT_TRUE(CreateDirectoryW(L"C:\\zdv-pages-missing", nullptr));
    const std::wstring file = L"C:\\zdv-pages-missing\\stale.exe";
    CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    list.SelectAll(false);
    ListView_SetItemState(list.hwnd(), StaleRow(list), LVIS_SELECTED, LVIS_SELECTED);
    Click(Cleaner(), IDC_CLEANER_DELETE);
    DeleteFileW(file.c_str());
    RemoveDirectoryW(L"C:\\zdv-pages-missing");
    EXPECT_GE(StaleRow(list), 0);
    EXPECT_EQ(list.SelectedCount(), 0);
    EXPECT_EQ(Cleaner().StatusText(), FormatCount(GetText(L"_RegistryListViewNoLongerStale"), 1));
    EXPECT_TRUE(ListBackups(m_backups.path()).empty());  // no backup of nothing
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kRunKey, L"ZdvPagesStale"));
}

// A copy that cannot write its own folder (an installed copy a standard user
// runs) writes a deletion's backup into the user's folder, and lists it there.
TEST_F(PagesTest, WithoutItsOwnFolderTheBackupGoesToTheUsersFolderAndIsListed) {
    SetProgramFolderWritableForTesting(false);
    const std::wstring folder = BackupFolderPath();
    m_frame = std::make_unique<MainFrame>();
    Cleaner().SetConfigFile(m_config);
    ASSERT_NE(m_frame->Create(nullptr), nullptr);
    ScratchKey scratch;
    PlantString(scratch.root(), scratch.path(), L"v", L"x");
    RegistryListView& list = Cleaner().ResultList();
    list.AddRow({L"HKEY_CURRENT_USER", scratch.path(), L"v", L"x", REG_SZ});
    list.SelectAll(true);
    Click(Cleaner(), IDC_CLEANER_DELETE);
    const std::vector<BackupRow> backups = ListBackups(folder);
    m_frame->BackupPage().RefreshBackupList();
    const int listed = ListView_GetItemCount(m_frame->BackupPage().Item(IDC_BACKUP_LIST));
    for (const BackupRow& backup : backups)
        DeleteFileW(backup.path.c_str());
    SetProgramFolderWritableForTesting(std::nullopt);
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(folder.find(FolderOfPath(ModulePath(nullptr))), std::wstring::npos) << folder;
    EXPECT_EQ(listed, 1);
}

TEST_F(PagesTest, TaskSelectionComesFromTheSettingsChangesByMenuAndIsStoredAtClose) {
    Open([](ConfigStore& store) { store.Write(ConfigPaths::kCleanerTasks, L"custom", L"1,0"); });
    EXPECT_EQ(Cleaner().TaskSelection(), Tasks({1}));
    const struct {
        int command;
        Flags after;
    } steps[] = {
        {4, Tasks({2, 3, 4, 5, 6, 7, 8, 9, 10, 11})},  // invert
        {3, Tasks({})},                                // none
        {2, Flags(11, true)},                          // all
        {1, Tasks({1, 2, 3, 4, 5, 6, 7, 8, 9, 11})},   // the factory selection
        {0, Tasks({1, 2, 3, 4, 5, 6, 7, 8, 9, 11})},   // dismissed
    };
    for (const auto& step : steps) {
        PopupMenuHook previous = SetPopupMenuHook(
            [&](HMENU, UINT flags, HWND) { return flags & TPM_RETURNCMD ? step.command : 0; });
        NMHDR click = {Cleaner().Item(IDC_TASK_LIST), IDC_TASK_LIST, static_cast<UINT>(NM_RCLICK)};
        SendMessageW(Cleaner().hwnd(), WM_NOTIFY, IDC_TASK_LIST, reinterpret_cast<LPARAM>(&click));
        SetPopupMenuHook(previous);
        EXPECT_EQ(Cleaner().TaskSelection(), step.after) << L"command " << step.command;
    }
    Cleaner().SetTaskSelection(Tasks({1, 3, 11}));
    Close();
    EXPECT_EQ(Stored(ConfigPaths::kCleanerTasks), L"1,0,1,0,0,0,0,0,0,0,1");
}

TEST_F(PagesTest, DeleteAsksWithTheCountAndOnlyYesBacksUpAndDeletes) {
    ScratchKey scratch;
    Open();
    RegistryListView& list = Cleaner().ResultList();
    for (const wchar_t* name : {L"a", L"b", L"c", L"d"}) {
        PlantString(scratch.root(), scratch.path(), name, L"x");
        list.AddRow({L"HKEY_CURRENT_USER", scratch.path(), name, L"x", REG_SZ});
    }
    list.SelectAll(true);
    ListView_SetItemState(list.hwnd(), 3, 0, LVIS_SELECTED);
    const std::wstring before = DescribeTree(scratch.root(), scratch.path());
    answer = IDNO;
    Click(Cleaner(), IDC_CLEANER_DELETE);
    EXPECT_EQ(asked, Texts{FormatCount(GetText(L"_PageRegistryCleanerDeleteConfirm"), 3)});
    EXPECT_EQ(DescribeTree(scratch.root(), scratch.path()), before);
    EXPECT_EQ(list.RowCount(), 4);

    answer = IDYES;
    Click(Cleaner(), IDC_CLEANER_DELETE);
    EXPECT_EQ(list.RowCount(), 1);
    EXPECT_EQ(list.RowText(0, 2), L"d");
    EXPECT_FALSE(ValueExists(scratch.root(), scratch.path(), L"a"));
    EXPECT_EQ(Cleaner().StatusText(), FormatCount(GetText(L"_RegistryListViewDeleted"), 3));

    Click(Cleaner(), IDC_DELETE_ALL);
    EXPECT_EQ(asked.back(), GetText(L"_PageRegistryCleanerDeleteAllConfirm"));
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_FALSE(ValueExists(scratch.root(), scratch.path(), L"d"));
}

TEST_F(PagesTest, SearchOptionsComeFromTheSettingsAndDefaultsAreStoredAtClose) {
    Open([](ConfigStore& store) {
        store.Write(ConfigPaths::kSearchKeyword, L"custom", L"zdvkeyword");
        store.Write(ConfigPaths::kSearchOptions, L"custom", L"1,0");
        store.Write(ConfigPaths::kSearchRange, L"custom", L"0,1,0");
    });
    SearchOptions shown = Search().Options();
    EXPECT_EQ(shown.keyword, L"zdvkeyword");
    EXPECT_EQ((Flags{shown.includeKey, shown.includeValue, shown.includeData, shown.useWildcard,
                     shown.fullWordMatch, shown.caseSensitive, shown.searchHkcr, shown.searchHkcu,
                     shown.searchHklm, shown.searchHku, shown.searchHkcc}),
              (Flags{true, false, false, false, false, false, false, true, false, false, false}));
    Click(Search(), IDC_DEFAULT_SETTING);
    EXPECT_EQ(Search().Options().keyword, L"");
    Close();
    EXPECT_EQ(Stored(ConfigPaths::kSearchOptions), L"1,1,1,0,0,0");
    EXPECT_EQ(Stored(ConfigPaths::kSearchRange), L"1,1,1,1,1");
    EXPECT_EQ(Stored(ConfigPaths::kSearchKeyword), L"");
}

TEST_F(PagesTest, StartDuringASearchShowsOnlyTheNewSearchAndClearEmptiesTheList) {
    ScratchKey scratch;
    PlantKey(scratch.root(), scratch.Sub(L"ZdvPagesFirst"));
    PlantKey(scratch.root(), scratch.Sub(L"ZdvPagesSecond"));
    Open([](ConfigStore& store) {
        store.Write(ConfigPaths::kSearchOptions, L"custom", L"1,0");
        store.Write(ConfigPaths::kSearchRange, L"custom", L"0,1,0");
    });
    SetDlgItemTextW(Search().hwnd(), IDC_KEYWORD, L"ZdvPagesFirst");
    Click(Search(), IDC_START_SEARCH);
    SetDlgItemTextW(Search().hwnd(), IDC_KEYWORD, L"ZdvPagesSecond");
    Click(Search(), IDC_START_SEARCH);
    ASSERT_TRUE(WaitUntil([this] { return !Search().SearchRunning(); }));
    EXPECT_EQ(Rows(Search().ResultList()),
              Texts{RowText(0, L"HKEY_CURRENT_USER", scratch.Sub(L"ZdvPagesSecond"),
                            GetText(L"_PageRegistrySearchKeyFlagString"), L"", KeyRowMarker)});
    EXPECT_EQ(Search().StatusText(), FormatCount(GetText(L"_PageRegistrySearchState3"), 1));
    EXPECT_TRUE(Enabled(Search(), IDC_CLEAR_RESULT));

    Click(Search(), IDC_CLEAR_RESULT);
    EXPECT_EQ(Search().ResultList().RowCount(), 0);
    EXPECT_FALSE(Enabled(Search(), IDC_CLEAR_RESULT));
    EXPECT_TRUE(Enabled(Search(), IDC_START_SEARCH));
}

TEST_F(PagesTest, ClosingDuringAScanAsksAndYesEndsTheScanAndTheSearchWithoutWaiting) {
    Open();
    Cleaner().SetTaskSelection(Tasks({1, 2, 3}));
    Cleaner().StartScan();
    SetDlgItemTextW(Search().hwnd(), IDC_KEYWORD, L"zdv-nothing-has-this-name");
    Search().StartSearch();
    HWND window = m_frame->hwnd();
    answer = IDNO;
    SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(Cleaner().ScanRunning());
    answer = IDYES;
    Close();
    EXPECT_EQ(asked, Texts(2, GetText(L"_MainDialogCancelConfirm")));
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
