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
#include "framework/Prompt.h"
#include "resource.h"
#include "text/FormatText.h"
#include "text/LanguageTable.h"

namespace {

using Texts = std::vector<std::string>;

// What the page showed when a timer came while it waited for the editor.
HWND g_page = nullptr;
bool g_buttonsEnabled = true;
std::string g_status;

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
            SetMessageBoxHook([this](HWND, const std::string& text, const std::string&, UINT) {
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
        SendMessageA(Page().hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Page().Item(id)));
    }
    void ClickHeader(int column) {
        HWND header = ListView_GetHeader(List());
        RECT rect = {};
        Header_GetItemRect(header, column, &rect);
        const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, rect.bottom / 2);
        SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageA(header, WM_LBUTTONUP, 0, point);
    }
    std::string Cell(int row, int column) {
        char text[MAX_PATH] = {};
        ListView_GetItemText(List(), row, column, text, sizeof(text));
        return text;
    }
    Texts Column(int column) {
        Texts texts;
        for (int row = 0; row < ListView_GetItemCount(List()); ++row)
            texts.push_back(Cell(row, column));
        return texts;
    }
    void Select(int row) { ListView_SetItemState(List(), row, LVIS_SELECTED, LVIS_SELECTED); }
    std::string SelectedPath() { return Cell(ListView_GetNextItem(List(), -1, LVNI_SELECTED), 4); }
    std::string Backup(const std::string& name, const std::string& content) {
        return m_folder.MakeFile("Backup\\" + name, content);
    }
    static std::string PathText(const char* key, const std::string& path) {
        return FormatPath(GetText(key), path);
    }

    LanguageFileScope m_language{ShippedLanguageFile()};
    ScratchFolder m_folder{"backuppage"};
    std::string m_backups = m_folder.path() + "\\Backup\\";
    std::string m_chosen;
    Texts m_asked;
    MessageBoxHook m_previousHook;
    std::unique_ptr<MainFrame> m_frame;
};

}  // namespace

// Which files are backups, and their times, the backup list's own test shows.
TEST_F(BackupPageTest, ListsFiveColumnsSortsSizesAsNumbersAndShowingAgainKeepsTheChosenFile) {
    Backup("b(b).reg", std::string(100, 'x'));
    Backup("a(a).reg", std::string(10, 'x'));
    Backup("c(c).reg", std::string(9, 'x'));
    Open();
    Texts headers;
    for (int column = 0; column < 5; ++column) {
        char text[64] = {};
        HDITEMA item = {};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        Header_GetItem(ListView_GetHeader(List()), column, &item);
        headers.push_back(text);
    }
    EXPECT_EQ(headers, (Texts{"Date", "Time", "Size (bytes)", "Type", "Path"}));
    // The path column is hidden.
    EXPECT_GT(ListView_GetColumnWidth(List(), 3), 0);
    EXPECT_EQ(ListView_GetColumnWidth(List(), 4), 0);
    const BackupRow row = ListBackups(m_backups).at(0);
    const std::string firstInFolder = Cell(0, 4);
    EXPECT_EQ(Cell(0, 0) + " " + Cell(0, 1) + " " + firstInFolder,
              row.date + " " + row.time + " " + row.path);
    // One direction for every column, turned by each sort.
    const bool descending = SortListView::NextSortDescending();
    ClickHeader(2);
    EXPECT_EQ(Column(2), descending ? Texts({"100", "10", "9"}) : Texts({"9", "10", "100"}));
    ClickHeader(3);
    EXPECT_EQ(Column(3), descending ? Texts({"a", "b", "c"}) : Texts({"c", "b", "a"}));

    Select(Cell(0, 4) == firstInFolder ? 1 : 0);
    const std::string chosen = SelectedPath();
    // Every later file moves up one place in the folder's order.
    DeleteFileA(firstInFolder.c_str());
    ShowAgain();
    EXPECT_EQ(Column(4).size(), 2u);
    EXPECT_EQ(SelectedPath(), chosen);
}

TEST_F(BackupPageTest, DeleteNeedsARowThenRemovesTheChosenFileButAFileInUseStays) {
    const std::string gone = Backup("1(Full).reg", "REGEDIT4\r\n");
    const std::string kept = Backup("2(Full).reg", "REGEDIT4\r\n");
    Open();
    Click(IDC_RESTORE);
    Click(IDC_BACKUP_DELETE);
    EXPECT_EQ(m_asked, Texts(2, GetText("_PageRegistryBackupPleaseSelectAItem")));
    EXPECT_EQ(Page().StatusText(), GetText("_PageRegistryBackupState1"));

    m_asked.clear();
    Select(Column(4)[0] == gone ? 0 : 1);
    Click(IDC_BACKUP_DELETE);
    EXPECT_EQ(m_asked,
              Texts{FormatPath(GetText("_PageRegistryBackupAreYouSureDeleteFile", 1), gone)});
    EXPECT_EQ(GetFileAttributesA(gone.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Column(4), Texts{kept});
    EXPECT_EQ(Page().StatusText(), GetText("_PageRegistryBackupState7"));

    UniqueFileHandle inUse(
        CreateFileA(kept.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    Select(0);
    Click(IDC_BACKUP_DELETE);
    EXPECT_EQ(Column(4), Texts{kept});
    EXPECT_EQ(Page().StatusText(), PathText("_PageRegistryBackupDeleteFailed", kept));
}

TEST_F(BackupPageTest, FullBackupIsListedAndTheWindowAnswersWhileTheEditorRuns) {
    Open();
    g_page = Page().hwnd();
    SetTimer(nullptr, 0, 10, &LookAtThePage);
    Click(IDC_BACKUP);
    EXPECT_FALSE(g_buttonsEnabled);
    EXPECT_EQ(g_status, GetText("_PageRegistryBackupState2"));

    ASSERT_EQ(Column(4).size(), 1u);
    const std::string path = Column(4)[0];
    EXPECT_EQ(path.rfind(m_backups, 0), 0u);
    EXPECT_EQ(Column(3), Texts{GetText("_PageRegistryBackupType1")});
    EXPECT_TRUE(HasRegistryFileHeader(path));
    EXPECT_EQ(Page().StatusText(), PathText("_PageRegistryBackupState3", path));
    EXPECT_TRUE(IsWindowEnabled(Page().Item(IDC_RESTORE)));
}

TEST_F(BackupPageTest, FailuresAreReportedNeverAsSuccess) {
    const std::string text = m_folder.MakeFile("notes.reg", "just some notes");
    const std::string older = m_folder.MakeFile("older.reg", "REGEDIT4\r\n");
    const std::string blocked = m_folder.MakeFile("blocked", "a file where a folder should be");
    Open();
    m_chosen = text;
    Click(IDC_RESTORE_FROM_FILE);
    EXPECT_EQ(Page().StatusText(), PathText("_PageRegistryBackupNotARegistryFile", text));

    // An older file the editor cannot replace is not a new backup.
    m_chosen = older;
    {
        UniqueFileHandle inUse(
            CreateFileA(older.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        Click(IDC_BACKUP_TO_FILE);
    }
    EXPECT_EQ(Page().StatusText(), PathText("_PageRegistryBackupExportFailed", older));

    Page().SetBackupFolder(blocked + "\\Backup");
    Click(IDC_BACKUP);
    const std::string failed = GetText("_PageRegistryBackupExportFailed");
    EXPECT_EQ(Page().StatusText().rfind(failed.substr(0, failed.find("%s")) + blocked, 0), 0u);

    Page().SetEditorProgram("");
    Click(IDC_RESTORE_FROM_FILE);
    EXPECT_EQ(Page().StatusText(), GetText("_PageRegistryBackupNoEditor"));
    Page().SetEditorProgram(m_folder.Missing("regedit.exe"));
    Click(IDC_RESTORE_FROM_FILE);
    EXPECT_EQ(Page().StatusText(),
              PathText("_PageRegistryBackupEditorNotStarted", m_folder.Missing("regedit.exe")));
}

TEST_F(BackupPageTest, ClosingWhileTheEditorRunsAsksFirstAndTheProgramStillEnds) {
    ScratchKey scratch;
    m_chosen = m_folder.MakeFile(
        "import.reg", "REGEDIT4\r\n[HKEY_CURRENT_USER\\" + scratch.Sub("Imported") + "]\r\n");
    const int exitCode = RunMainWindow(SW_SHOWNORMAL, [this](MainFrame& frame) {
        frame.BackupPage().SetFileChooser([this](HWND, bool) { return m_chosen; });
        // The close comes while the page waits for the editor.
        PostMessageA(frame.BackupPage().hwnd(), WM_COMMAND, IDC_RESTORE_FROM_FILE, 0);
        PostMessageA(frame.hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(exitCode, kExitClosed);
    EXPECT_EQ(m_asked, Texts{GetText("_MainDialogEditorRunningConfirm")});
    // The editor finishes its import on its own.
    EXPECT_TRUE(WaitUntil([&] { return KeyExists(scratch.root(), scratch.Sub("Imported")); }));
}
