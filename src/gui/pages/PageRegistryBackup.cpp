#include "pages/PageRegistryBackup.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "backup/Regedit.h"
#include "results/RegFile.h"
#include "framework/FileDialogs.h"
#include "framework/ProcessWait.h"
#include "framework/Prompt.h"
#include "resource.h"
#include "settings/ModulePath.h"
#include "text/FormatText.h"
#include "text/LanguageTable.h"

namespace {

struct ColumnSpec {
    const wchar_t* headerKey;
    int width;
    ListSortKind kind;
};

// Date, time, size, type and the full path, which is never shown.
const ColumnSpec kColumns[] = {
    {L"_PageRegistryBackupListCol2", 100, kSortAsText},
    {L"_PageRegistryBackupListCol3", 100, kSortAsText},
    {L"_PageRegistryBackupListCol4", 100, kSortAsNumber},
    {L"_PageRegistryBackupListCol5", 100, kSortAsText},
    {L"_PageRegistryBackupListCol1", 0, kSortAsText},
};
constexpr int kPathColumn = 4;

constexpr int kButtons[] = {IDC_BACKUP, IDC_RESTORE, IDC_BACKUP_TO_FILE, IDC_RESTORE_FROM_FILE,
                            IDC_BACKUP_DELETE};

std::wstring ChooseRegistryFile(HWND owner, bool forSaving) {
    if (!forSaving)
        return ChooseFileToOpen(owner, RegistryFileFilters(false));
    return ChooseFileToSave(owner, RegistryFileFilters(true), L"reg");
}

}  // namespace

PageRegistryBackup::PageRegistryBackup()
    : PageDialog(IDD_PAGE_REGISTRY_BACKUP, {{IDC_BACKUP_LIST, kLayoutSizeX | kLayoutSizeY},
                                            {IDC_BACKUP, kLayoutMoveX},
                                            {IDC_RESTORE, kLayoutMoveX},
                                            {IDC_BACKUP_TO_FILE, kLayoutMoveX},
                                            {IDC_RESTORE_FROM_FILE, kLayoutMoveX},
                                            {IDC_BACKUP_DELETE, kLayoutMoveX},
                                            {IDC_STATUS, kLayoutSizeX | kLayoutMoveY}}),
      m_backupFolder(BackupFolderPath()),
      m_editorProgram(RegistryEditorPath()),
      m_chooseFile(&ChooseRegistryFile) {}

PageRegistryBackup::~PageRegistryBackup() {
    Destroy();
}

void PageRegistryBackup::InitPage() {
    m_list.Attach(Item(IDC_BACKUP_LIST));
    if (LoadPictureStrip(m_rowPicture, IDB_BACKUP_ROW, WindowDpi(m_hwnd), 16, 16, 2))
        m_list.SetPictures(m_rowPicture.list.get());
    int index = 0;
    for (const ColumnSpec& column : kColumns)
        m_list.InsertColumn(index++, GetText(column.headerKey), column.width, column.kind);
    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    SetStatusText(GetText(L"_PageRegistryBackupState1"));
    RefreshBackupList();
}

void PageRegistryBackup::AfterResize() {
    FitColumns();
}

// Equal shares of the list's width for the visible columns.
void PageRegistryBackup::FitColumns() {
    m_list.FitColumnsEqually(kPathColumn);
}

bool PageRegistryBackup::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT&) {
    // Shown by ShowWindow, not uncovered by a parent: the folder may hold new backups.
    if (message == WM_SHOWWINDOW && wParam && lParam == 0)
        RefreshBackupList();
    return false;
}

void PageRegistryBackup::OnDestroy() {
    if (m_editorWait)
        m_editorWait->pageGone = true;
    m_editorWait.reset();
}

bool PageRegistryBackup::OnCommand(int id, int, HWND) {
    using Command = bool (PageRegistryBackup::*)();
    static const std::pair<int, Command> kCommands[] = {
        {IDC_BACKUP, &PageRegistryBackup::OnBackup},
        {IDC_BACKUP_TO_FILE, &PageRegistryBackup::OnBackupToFile},
        {IDC_RESTORE, &PageRegistryBackup::OnRestore},
        {IDC_RESTORE_FROM_FILE, &PageRegistryBackup::OnRestoreFromFile},
        {IDC_BACKUP_DELETE, &PageRegistryBackup::OnDelete},
    };
    for (const auto& command : kCommands) {
        if (command.first != id)
            continue;
        // One command at a time: the buttons are disabled while one waits.
        if (EditorRunning())
            return true;
        // A page that went away reports the command unhandled, so that the
        // dialog code does not touch it either.
        return (this->*command.second)();
    }
    return false;
}

bool PageRegistryBackup::OnBackup() {
    SetStatusText(GetText(L"_PageRegistryBackupState2"));
    const std::wstring path =
        NewBackupPath(m_backupFolder, GetText(L"_PageRegistryBackupType1"), LocalTimeNow());
    if (!CreatePathFolders(path)) {
        ShowPathText(L"_PageRegistryBackupExportFailed", path);
        return true;
    }
    return Export(path);
}

bool PageRegistryBackup::OnBackupToFile() {
    const std::wstring path = m_chooseFile(GetActiveWindow(), true);
    if (path.empty())
        return true;
    SetStatusText(GetText(L"_PageRegistryBackupState2"));
    return Export(path);
}

bool PageRegistryBackup::OnRestore() {
    const std::wstring path = SelectedBackup();
    if (path.empty()) {
        ShowMessage(m_hwnd, GetText(L"_PageRegistryBackupPleaseSelectAItem"),
                    MB_OK | MB_ICONINFORMATION);
        return true;
    }
    if (!AskYesNo(m_hwnd,
                  FormatPath(GetText(L"_PageRegistryBackupAreYouSureRestoreFile", 1), path)))
        return true;
    return Import(path);
}

bool PageRegistryBackup::OnRestoreFromFile() {
    // Choosing the file is the confirmation.
    const std::wstring path = m_chooseFile(GetActiveWindow(), false);
    return path.empty() || Import(path);
}

bool PageRegistryBackup::OnDelete() {
    const std::wstring path = SelectedBackup();
    if (path.empty()) {
        ShowMessage(m_hwnd, GetText(L"_PageRegistryBackupPleaseSelectAItem"),
                    MB_OK | MB_ICONINFORMATION);
        return true;
    }
    if (!AskYesNo(m_hwnd, FormatPath(GetText(L"_PageRegistryBackupAreYouSureDeleteFile", 1), path)))
        return true;
    SetStatusText(GetText(L"_PageRegistryBackupState4"));
    const bool deleted = DeleteFileW(path.c_str()) != FALSE;
    RefreshBackupList();
    if (deleted) {
        SetStatusText(GetText(L"_PageRegistryBackupState7"));
    } else {
        ShowPathText(L"_PageRegistryBackupDeleteFailed", path);
    }
    return true;
}

bool PageRegistryBackup::Export(const std::wstring& path) {
    const ExportTarget before = ExportTargetBefore(path);
    const EditorEnd end = RunEditor(true, path);
    if (end == EditorEnd::Interrupted)
        return false;
    if (end == EditorEnd::Ended) {
        ShowPathText(ExportWritten(path, before) ? L"_PageRegistryBackupState3"
                                                 : L"_PageRegistryBackupExportFailed",
                     path);
    }
    RefreshBackupList();
    return true;
}

bool PageRegistryBackup::Import(const std::wstring& path) {
    // The editor reports nothing about a file it cannot import.
    if (!HasRegistryFileHeader(path)) {
        ShowPathText(L"_PageRegistryBackupNotARegistryFile", path);
        return true;
    }
    SetStatusText(GetText(L"_PageRegistryBackupState4"));
    const EditorEnd end = RunEditor(false, path);
    // The values the editor cannot import exactly, set from the file's own bytes.
    if (end == EditorEnd::Ended) {
        ShowPathText(
            SetExactValues(path) ? L"_PageRegistryBackupState5" : L"_PageRegistryBackupNotAllExact",
            path);
    }
    return end != EditorEnd::Interrupted;
}

PageRegistryBackup::EditorEnd PageRegistryBackup::RunEditor(bool exportAll,
                                                            const std::wstring& path) {
    if (m_editorProgram.empty()) {
        SetStatusText(GetText(L"_PageRegistryBackupNoEditor"));
        return EditorEnd::Failed;
    }
    RegeditRun run = exportAll ? RegeditExport(path, m_editorProgram, RegeditWait::No)
                               : RegeditImport(path, m_editorProgram, RegeditWait::No);
    if (!run.started) {
        ShowPathText(L"_PageRegistryBackupEditorNotStarted", m_editorProgram);
        return EditorEnd::Failed;
    }
    if (!run.process)
        return EditorEnd::Ended;

    auto wait = std::make_shared<EditorWait>();
    m_editorWait = wait;
    HWND focus = GetFocus();
    const bool focusOnButton = GetParent(focus) == m_hwnd && focus != m_list.hwnd();
    if (focusOnButton)
        SetFocus(m_list.hwnd());
    SetButtonsEnabled(false);
    const ProcessWaitEnd end =
        WaitForProcessDispatching(run.process.get(), [wait] { return wait->pageGone; });
    if (wait->pageGone)
        return EditorEnd::Interrupted;
    m_editorWait.reset();
    SetButtonsEnabled(true);
    if (focusOnButton && GetFocus() == m_list.hwnd())
        SetFocus(focus);
    // The program is ending while the editor still works: its result is unknown.
    return end == ProcessWaitEnd::Quit ? EditorEnd::Interrupted : EditorEnd::Ended;
}

void PageRegistryBackup::SetButtonsEnabled(bool enabled) {
    for (int id : kButtons)
        EnableControls({{id, enabled}});
}

void PageRegistryBackup::ShowPathText(const wchar_t* key, const std::wstring& path) {
    SetStatusText(FormatPath(GetText(key), path));
}

int PageRegistryBackup::SelectedRow() const {
    const int row = m_list.FirstSelected();
    if (row < 0)
        return -1;
    const LPARAM index = m_list.RowData(row);
    return index >= 0 && index < static_cast<LPARAM>(m_rowPaths.size()) ? static_cast<int>(index)
                                                                        : -1;
}

std::wstring PageRegistryBackup::SelectedBackup() const {
    const int row = SelectedRow();
    return row < 0 ? std::wstring() : m_rowPaths[static_cast<std::size_t>(row)];
}

void PageRegistryBackup::RefreshBackupList() {
    if (!m_list.hwnd())
        return;
    const std::wstring selectedPath = SelectedBackup();
    // Its place in the order the folder listed the files in.
    const int selectedRow = SelectedRow();
    m_list.DeleteAllRows();
    m_rowPaths.clear();
    for (const BackupRow& row : ListBackups(m_backupFolder)) {
        const LPARAM index = static_cast<LPARAM>(m_rowPaths.size());
        if (m_list.AppendRow({row.date, row.time, row.size, row.type, row.path}, 0, index) >= 0)
            m_rowPaths.push_back(row.path);
    }
    const int count = static_cast<int>(m_rowPaths.size());
    auto same = std::find(m_rowPaths.begin(), m_rowPaths.end(), selectedPath);
    int target = std::min(selectedRow, count - 1);
    if (!selectedPath.empty() && same != m_rowPaths.end())
        target = static_cast<int>(same - m_rowPaths.begin());
    if (target >= 0)
        m_list.FocusRow(target);
    // A vertical scroll bar may have come or gone with the rows.
    FitColumns();
}
