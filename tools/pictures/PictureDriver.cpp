// Drives a copy of the program through the states the README pictures: the
// cleaner page after a scan, the entry editor, the search page with hits, the
// backup page with two backups and the about box. Before each picture it writes
// NAME.want (the main window's place as WIDTHxHEIGHT+X+Y) into the folder given
// as its argument and waits until the picture script has taken the screen and
// removed the file.
//
//   picture_driver.exe FOLDER

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "GuiTestSupport.h"
#include "TestSupport.h"
#include "resource.h"
#include "text/LanguageTable.h"

namespace {

constexpr DWORD kPictureWaitMs = 60000;
constexpr DWORD kWorkWaitMs = 120000;

std::wstring g_folder;
int g_failures = 0;

void Check(bool condition, const char* step) {
    if (!condition) {
        std::fprintf(stderr, "picture driver: %s failed\n", step);
        ++g_failures;
    }
}

void TakePicture(HWND mainWindow, const wchar_t* name) {
    // Let the last rows, texts and dialogs paint.
    Sleep(1500);
    RECT rect = {};
    GetWindowRect(mainWindow, &rect);
    char geometry[64];
    std::snprintf(geometry, sizeof(geometry), "%ldx%ld+%ld+%ld", rect.right - rect.left,
                  rect.bottom - rect.top, rect.left, rect.top);
    const std::wstring want = g_folder + L"\\" + name + L".want";
    WriteWholeFile(want, geometry);
    Check(WaitUntil([&] { return !FileExists(want); }, kPictureWaitMs), "picture");
}

// Waits until the page's status line shows the language text of the key, its
// one conversion (if it has one) standing for anything.
bool StatusShows(HWND page, const wchar_t* key) {
    const std::wstring text = GetText(key);
    const std::size_t conversion = text.find(L'%');
    const std::wstring start = text.substr(0, conversion);
    const std::wstring end = conversion == std::wstring::npos ? L"" : text.substr(conversion + 2);
    return WaitUntil(
        [&] {
            const std::wstring shown = ControlText(GetDlgItem(page, IDC_STATUS));
            return shown.size() >= start.size() + end.size() &&
                   shown.compare(0, start.size(), start) == 0 &&
                   shown.compare(shown.size() - end.size(), end.size(), end) == 0;
        },
        kWorkWaitMs);
}

// Selects (and focuses) the row with that root and key.
bool SelectRow(const ChildProgram& program, HWND list, const std::wstring& root,
               const std::wstring& key) {
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        if (program.RowText(list, row, 0) == root && program.RowText(list, row, 1) == key)
            return program.SetRowState(list, row, LVIS_SELECTED | LVIS_FOCUSED,
                                       LVIS_SELECTED | LVIS_FOCUSED);
    }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: picture_driver FOLDER\n");
        return 2;
    }
    g_folder = argv[1];
    LanguageFileScope language(ShippedLanguageFile());
    // A copy of its own: its settings and backups stay out of the build folder.
    const std::wstring copy = L"C:\\ZazaDaziveveVivozed";
    CreateDirectoryW(copy.c_str(), nullptr);
    for (const wchar_t* file :
         {L"ZazaDaziveveVivozed.exe", L"ZazaDaziveveVivozed.language", L"config.xml"})
        CopyFileW((BuildFolder() + L"\\" + file).c_str(), (copy + L"\\" + file).c_str(), FALSE);

    ChildProgram program(copy + L"\\ZazaDaziveveVivozed.exe");
    HWND main = program.WaitForMainWindow();
    if (!main) {
        std::fprintf(stderr, "picture driver: the program did not start\n");
        return 1;
    }
    // The cleaner page scans with the factory selection of tasks.
    HWND cleaner = GetParent(FindControl(main, WC_LISTVIEWW, IDC_TASK_LIST));
    HWND cleanerList = GetDlgItem(cleaner, IDC_RESULT_LIST);
    Press(GetDlgItem(cleaner, IDC_SCAN));
    Check(StatusShows(cleaner, L"_PageRegistryCleanerState3"), "scan");
    Check(SelectRow(program, cleanerList, L"HKEY_CURRENT_USER", L"Software\\Contoso\\PhotoTool"),
          "the planted row");
    TakePicture(main, L"cleaner");

    // The entry editor on the selected string value, opened from the row's menu.
    PostMessageW(cleanerList, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(cleanerList),
                 MAKELPARAM(-1, -1));
    Check(program.ChooseMenuItem(IDM_ROW_EDIT), "editor menu");
    HWND editor = program.WaitForWindow(L"#32770", IDC_EDIT_VALUE_DATA);
    Check(editor != nullptr, "editor");
    TakePicture(main, L"editor");
    Press(GetDlgItem(editor, IDCANCEL));

    ShowPage(main, 1);
    HWND keyword = FindControl(main, WC_EDITW, IDC_KEYWORD);
    HWND search = GetParent(keyword);
    SendMessageW(keyword, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Contoso"));
    Press(GetDlgItem(search, IDC_START_SEARCH));
    Check(StatusShows(search, L"_PageRegistrySearchState3"), "search");
    TakePicture(main, L"search");

    // Two backups: the one the deletion of that row writes first, and a full one.
    ShowPage(main, 0);
    Press(GetDlgItem(cleaner, IDC_CLEANER_DELETE));
    Check(!program.AnswerMessageBox(IDYES).empty(), "delete question");
    Check(StatusShows(cleaner, L"_RegistryListViewDeleted"), "delete");
    ShowPage(main, 2);
    HWND backupList = FindControl(main, WC_LISTVIEWW, IDC_BACKUP_LIST);
    HWND backup = GetParent(backupList);
    Press(GetDlgItem(backup, IDC_BACKUP));
    Check(StatusShows(backup, L"_PageRegistryBackupState3"), "full backup");
    Check(ListView_GetItemCount(backupList) == 2, "two backups");
    TakePicture(main, L"backup");

    PostMessageW(main, WM_COMMAND, IDM_ABOUT, 0);
    HWND about = program.WaitForWindow(L"#32770", IDC_APP_NAME);
    Check(about != nullptr, "about box");
    TakePicture(main, L"about");
    Press(GetDlgItem(about, IDCANCEL));
    PostMessageW(main, WM_COMMAND, IDCANCEL, 0);
    Check(program.WaitForExit() == 2, "close");
    return g_failures == 0 ? 0 : 1;
}
