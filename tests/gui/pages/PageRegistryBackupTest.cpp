// The backup page in the real main window: the list of the backup folder,
// sorting, and the five commands with Wine's own registry editor.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "GuiTestSupport.h"
#include "TestSupport.h"
#include "app/Application.h"
#include "app/MainFrame.h"
#include "backup/BackupStore.h"
#include "backup/Regedit.h"
#include "results/DeleteEntries.h"
#include "framework/Prompt.h"
#include "resource.h"
#include "text/FormatText.h"
#include "text/LanguageTable.h"

namespace {

using Texts = std::vector<std::wstring>;

// What the page showed when a timer came while it waited for the editor.
HWND g_page = nullptr;
bool g_buttonsEnabled = true;
std::wstring g_status;

void CALLBACK LookAtThePage(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    g_buttonsEnabled = IsWindowEnabled(GetDlgItem(g_page, IDC_RESTORE)) != FALSE;
    g_status = WindowText(GetDlgItem(g_page, IDC_STATUS));
}

class BackupPageTest : public ::testing::Test {
  protected:
    BackupPageTest() {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        m_previousHook =
            SetMessageBoxHook([this](HWND, const std::wstring& text, const std::wstring&, UINT) {
                m_asked.push_back(text);
                return IDYES;
            });
    }
    ~BackupPageTest() override {
        m_frame.reset();
        SetMessageBoxHook(m_previousHook);
    }

    // The main window with the backup page shown, its folder and dialogs the test's.
    void Open() {
        m_frame = std::make_unique<MainFrame>();
        Page().SetBackupFolder(m_backups);
        Page().SetFileChooser([this](HWND, bool) { return m_chosen; });
        ASSERT_NE(m_frame->Create(nullptr), nullptr);
        ShowAgain();
    }
    PageRegistryBackup& Page() { return m_frame->BackupPage(); }
    HWND List() { return Page().Item(IDC_BACKUP_LIST); }
    void ShowAgain() {
        ShowWindow(Page().hwnd(), SW_HIDE);
        ShowWindow(Page().hwnd(), SW_SHOW);
    }
    void Click(int id) {
        SendMessageW(Page().hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Page().Item(id)));
    }
    void ClickHeader(int column) {
        HWND header = ListView_GetHeader(List());
        RECT rect = {};
        Header_GetItemRect(header, column, &rect);
        const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, rect.bottom / 2);
        SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageW(header, WM_LBUTTONUP, 0, point);
    }
    std::wstring Cell(int row, int column) {
        wchar_t text[MAX_PATH] = {};
        ListView_GetItemText(List(), row, column, text, MAX_PATH);
        return text;
    }
    Texts Column(int column) {
        Texts texts;
        for (int row = 0; row < ListView_GetItemCount(List()); ++row)
            texts.push_back(Cell(row, column));
        return texts;
    }
    void Select(int row) { ListView_SetItemState(List(), row, LVIS_SELECTED, LVIS_SELECTED); }
    std::wstring SelectedPath() { return Cell(ListView_GetNextItem(List(), -1, LVNI_SELECTED), 4); }
    std::wstring Backup(const std::wstring& name, const std::string& content) {
        return m_folder.MakeFile(L"Backup\\" + name, content);
    }
    static std::wstring PathText(const wchar_t* key, const std::wstring& path) {
        return FormatPath(GetText(key), path);
    }

    LanguageFileScope m_language{ShippedLanguageFile()};
    ScratchFolder m_folder{L"backuppage"};
    std::wstring m_backups = m_folder.path() + L"\\Backup\\";
    std::wstring m_chosen;
    Texts m_asked;
    MessageBoxHook m_previousHook;
    std::unique_ptr<MainFrame> m_frame;
};

}  // namespace

// Which files are backups, and their times, the backup list's own test shows.
TEST_F(BackupPageTest, ListsFiveColumnsSortsSizesAsNumbersAndShowingAgainKeepsTheChosenFile) {
    Backup(L"b(b).reg", std::string(100, 'x'));
    Backup(L"a(a).reg", std::string(10, 'x'));
    Backup(L"c(c).reg", std::string(9, 'x'));
    Open();
    Texts headers;
    for (int column = 0; column < 5; ++column) {
        wchar_t text[64] = {};
        HDITEMW item = {};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        Header_GetItem(ListView_GetHeader(List()), column, &item);
        headers.push_back(text);
    }
    EXPECT_EQ(headers, (Texts{L"Date", L"Time", L"Size (bytes)", L"Type", L"Path"}));
    // The path column is hidden.
    EXPECT_GT(ListView_GetColumnWidth(List(), 3), 0);
    EXPECT_EQ(ListView_GetColumnWidth(List(), 4), 0);
    const BackupRow row = ListBackups(m_backups).at(0);
    const std::wstring firstInFolder = Cell(0, 4);
    EXPECT_EQ(Cell(0, 0) + L" " + Cell(0, 1) + L" " + firstInFolder,
              row.date + L" " + row.time + L" " + row.path);
    // One direction for every column of the list, turned by each sort.
    ClickHeader(2);
    EXPECT_EQ(Column(2), Texts({L"100", L"10", L"9"}));
    ClickHeader(3);
    EXPECT_EQ(Column(3), Texts({L"a", L"b", L"c"}));

    Select(Cell(0, 4) == firstInFolder ? 1 : 0);
    const std::wstring chosen = SelectedPath();
    // Every later file moves up one place in the folder's order.
    DeleteFileW(firstInFolder.c_str());
    ShowAgain();
    EXPECT_EQ(Column(4).size(), 2u);
    EXPECT_EQ(SelectedPath(), chosen);
}

TEST_F(BackupPageTest, DeleteNeedsARowThenRemovesTheChosenFileButAFileInUseStays) {
    const std::wstring gone = Backup(L"1(Full).reg", "REGEDIT4\r\n");
    const std::wstring kept = Backup(L"2(Full).reg", "REGEDIT4\r\n");
    Open();
    Click(IDC_RESTORE);
    Click(IDC_BACKUP_DELETE);
    EXPECT_EQ(m_asked, Texts(2, GetText(L"_PageRegistryBackupPleaseSelectAItem")));
    EXPECT_EQ(Page().StatusText(), GetText(L"_PageRegistryBackupState1"));

    m_asked.clear();
    Select(Column(4)[0] == gone ? 0 : 1);
    Click(IDC_BACKUP_DELETE);
    EXPECT_EQ(m_asked,
              Texts{FormatPath(GetText(L"_PageRegistryBackupAreYouSureDeleteFile", 1), gone)});
    EXPECT_EQ(GetFileAttributesW(gone.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Column(4), Texts{kept});
    EXPECT_EQ(Page().StatusText(), GetText(L"_PageRegistryBackupState7"));

    UniqueFileHandle inUse(
        CreateFileW(kept.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    Select(0);
    Click(IDC_BACKUP_DELETE);
    EXPECT_EQ(Column(4), Texts{kept});
    EXPECT_EQ(Page().StatusText(), PathText(L"_PageRegistryBackupDeleteFailed", kept));
}

TEST_F(BackupPageTest, FullBackupIsListedAndTheWindowAnswersWhileTheEditorRuns) {
    Open();
    g_page = Page().hwnd();
    SetTimer(nullptr, 0, 10, &LookAtThePage);
    Click(IDC_BACKUP);
    EXPECT_FALSE(g_buttonsEnabled);
    EXPECT_EQ(g_status, GetText(L"_PageRegistryBackupState2"));

    ASSERT_EQ(Column(4).size(), 1u);
    const std::wstring path = Column(4)[0];
    EXPECT_EQ(path.rfind(m_backups, 0), 0u);
    EXPECT_EQ(Column(3), Texts{GetText(L"_PageRegistryBackupType1")});
    EXPECT_TRUE(HasRegistryFileHeader(path));
    EXPECT_EQ(Page().StatusText(), PathText(L"_PageRegistryBackupState3", path));
    EXPECT_TRUE(IsWindowEnabled(Page().Item(IDC_RESTORE)));
}

TEST_F(BackupPageTest, FailuresAreReportedNeverAsSuccess) {
    const std::wstring text = m_folder.MakeFile(L"notes.reg", "just some notes");
    const std::wstring older = m_folder.MakeFile(L"older.reg", "REGEDIT4\r\n");
    const std::wstring blocked = m_folder.MakeFile(L"blocked", "a file where a folder should be");
    Open();
    m_chosen = text;
    Click(IDC_RESTORE_FROM_FILE);
    EXPECT_EQ(Page().StatusText(), PathText(L"_PageRegistryBackupNotARegistryFile", text));

    // An older file the editor cannot replace is not a new backup.
    m_chosen = older;
    {
        UniqueFileHandle inUse(
            CreateFileW(older.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        Click(IDC_BACKUP_TO_FILE);
    }
    EXPECT_EQ(Page().StatusText(), PathText(L"_PageRegistryBackupExportFailed", older));

    Page().SetBackupFolder(blocked + L"\\Backup");
    Click(IDC_BACKUP);
    const std::wstring failed = GetText(L"_PageRegistryBackupExportFailed");
    EXPECT_EQ(Page().StatusText().rfind(failed.substr(0, failed.find(L"%s")) + blocked, 0), 0u);

    Page().SetEditorProgram(L"");
    Click(IDC_RESTORE_FROM_FILE);
    EXPECT_EQ(Page().StatusText(), GetText(L"_PageRegistryBackupNoEditor"));
    Page().SetEditorProgram(m_folder.Missing(L"regedit.exe"));
    Click(IDC_RESTORE_FROM_FILE);
    EXPECT_EQ(Page().StatusText(),
              PathText(L"_PageRegistryBackupEditorNotStarted", m_folder.Missing(L"regedit.exe")));
}

// A deletion's backup holding strings the registry editor would change: the
// page's Restore gives back their bytes, after the editor has run.
TEST_F(BackupPageTest, RestoreGivesBackEveryByteOfStringsTheEditorWouldChange) {
    ScratchKey scratch;
    const std::wstring tree = scratch.Sub(L"Odd");
    for (DWORD type : {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ}) {
        PlantValue(scratch.root(), tree, L"one byte " + std::to_wstring(type), type, "x");
        PlantValue(scratch.root(), tree, L"unterminated " + std::to_wstring(type), type,
                   Utf16Bytes(L"\u03c3\u03bf"));
    }
    const std::wstring before = DescribeTree(scratch.root(), tree);
    ASSERT_TRUE(DeleteItems({{L"HKEY_CURRENT_USER", tree, L"", L"", KeyRowMarker}},
                            NewBackupPath(m_backups, L"Before cleaning", LocalTimeNow()), nullptr)
                    .backupOk);
    ASSERT_FALSE(KeyExists(scratch.root(), tree));
    Open();
    Select(0);
    Click(IDC_RESTORE);
    EXPECT_EQ(Page().StatusText(), PathText(L"_PageRegistryBackupState5", Column(4)[0]));
    EXPECT_EQ(DescribeTree(scratch.root(), tree), before);
}

TEST_F(BackupPageTest, ClosingWhileTheEditorRunsAsksFirstAndTheProgramStillEnds) {
    ScratchKey scratch;
    m_chosen = m_folder.MakeFile(
        L"import.reg", RegText({L"[HKEY_CURRENT_USER\\" + scratch.Sub(L"Imported") + L"]"}));
    const int exitCode = RunMainWindow(SW_SHOWNORMAL, [this](MainFrame& frame) {
        frame.BackupPage().SetFileChooser([this](HWND, bool) { return m_chosen; });
        // The close comes while the page waits for the editor.
        PostMessageW(frame.BackupPage().hwnd(), WM_COMMAND, IDC_RESTORE_FROM_FILE, 0);
        PostMessageW(frame.hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(exitCode, kExitClosed);
    EXPECT_EQ(m_asked, Texts{GetText(L"_MainDialogEditorRunningConfirm")});
    // The editor finishes its import on its own.
    EXPECT_TRUE(WaitUntil([&] { return KeyExists(scratch.root(), scratch.Sub(L"Imported")); }));
}
