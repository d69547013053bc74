#include "resultlist/RegistryListView.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "backup/BackupStore.h"
#include "backup/Regedit.h"
#include "framework/FileDialogs.h"
#include "framework/PopupMenu.h"
#include "framework/Prompt.h"
#include "framework/ShellOpen.h"
#include "resource.h"
#include "results/DeleteEntries.h"
#include "results/EntryEdit.h"
#include "resultlist/EditRegItemDlg.h"
#include "resultlist/ProgressWindow.h"
#include "settings/ModulePath.h"
#include "text/FormatText.h"
#include "text/LanguageTable.h"

namespace {

// Rows that come in a stream are taken into the list at this pace at most:
// each time the list shows its new end.
constexpr ULONGLONG kTakeInterval = 500;
constexpr UINT_PTR kTakeRowsTimer = 0x5A44;

// Shared by every result list for the program's life; the first sort is descending.
bool g_sortDescending = true;
// Job numbers are never reused in the process, not even by another list, so
// rows sent to a list handle that now belongs to a newer list are dropped.
unsigned g_lastJob = 0;

struct MenuEntry {
    int command;  // 0 for a separator
};
constexpr MenuEntry kMenu[] = {{IDM_ROW_EDIT},
                               {IDM_ROW_DELETE},
                               {IDM_ROW_IGNORE},
                               {0},
                               {IDM_ROW_EXPORT},
                               {0},
                               {IDM_ROW_INVERT_SELECTION},
                               {IDM_ROW_SELECT_NONE},
                               {IDM_ROW_SELECT_ALL},
                               {0},
                               {IDM_ROW_OPEN_IN_EDITOR}};

void ShowNotice(HWND owner, const std::wstring& text) {
    ShowMessage(owner, text, MB_OK | MB_ICONINFORMATION);
}

}  // namespace

RegistryListView::RegistryListView() : m_backupFolder(BackupFolderPath()) {}

RegistryListView::~RegistryListView() {
    EndJob();
    // The control may outlive this object: it must not ask for rows that are gone.
    if (m_hwnd)
        SetRowCount(0);
}

bool RegistryListView::SubclassList(HWND list, bool withProblems) {
    if (!Attach(list))
        return false;
    m_columns = withProblems ? kColumnCount : kColumnCount - 1;
    for (int column = 0; column < m_columns; ++column) {
        InsertColumn(column, GetText(L"_RegistryListViewCol" + std::to_wstring(column + 1)),
                     column % 2 ? 300 : 100, kSortAsText);
    }
    SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    return true;
}

bool RegistryListView::SetRowPictures(int bitmapId) {
    if (!LoadPictureStrip(m_pictures, bitmapId, WindowDpi(hwnd()), 16, 16, 2))
        return false;
    SetPictures(m_pictures.list.get());
    return true;
}

void RegistryListView::ShowRowCount() {
    SetRowCount(static_cast<int>(m_store.Size()), true);
    if (m_store.Size() > 0)
        EnsureVisible(static_cast<int>(m_store.Size()) - 1);
}

void RegistryListView::AddRow(const RegistryItem& item) {
    m_store.Append(item);
    ShowRowCount();
}

void RegistryListView::Clear() {
    SetRowCount(0);
    m_store.Clear();
    m_sortColumn = -1;
    ShowSortArrow(-1, false);
}

std::shared_ptr<RowQueue> RegistryListView::BeginJob() {
    EndJob();
    m_queue = std::make_shared<RowQueue>(m_hwnd, ++g_lastJob);
    return m_queue;
}

void RegistryListView::EndJob() {
    if (m_queue)
        m_queue->Close();
    m_queue.reset();
    if (m_hwnd)
        KillTimer(m_hwnd, kTakeRowsTimer);
}

void RegistryListView::TakeWaitingRows() {
    if (!m_queue)
        return;
    KillTimer(m_hwnd, kTakeRowsTimer);
    m_lastTaken = GetTickCount64();
    const std::unique_ptr<RowStore> rows = m_queue->Take();
    if (rows->Size() == 0)
        return;
    m_store.AppendAll(*rows);
    ShowRowCount();
}

void RegistryListView::OnRowsWaiting(WPARAM job) {
    if (!m_queue || job != m_queue->Job())
        return;  // a stopped or replaced job's
    const ULONGLONG since = GetTickCount64() - m_lastTaken;
    if (since >= kTakeInterval)
        TakeWaitingRows();
    else
        SetTimer(m_hwnd, kTakeRowsTimer, static_cast<UINT>(kTakeInterval - since), nullptr);
}

std::wstring RegistryListView::RowText(int row, int column) const {
    std::wstring buffer;
    return std::wstring(m_store.Text(static_cast<std::size_t>(row), column, buffer));
}

RegistryItem RegistryListView::Entry(int row) const {
    return m_store.Item(static_cast<std::size_t>(row));
}

void RegistryListView::Select(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    SelectRuns(RunsOfRows(rows));
}

void RegistryListView::SortByColumn(int column) {
    if (column < 0 || column >= m_columns)
        return;
    TakeWaitingRows();
    // Every row selected stays so whatever the order.
    const bool all = SelectedCount() == RowCount();
    const std::vector<int> selected = all ? std::vector<int>() : SelectedRows();
    const int focused = FocusedRow();
    const std::vector<std::uint32_t> placeOf = m_store.SortBy(column, g_sortDescending);
    if (!all) {
        std::vector<int> moved;
        moved.reserve(selected.size());
        for (int row : selected)
            moved.push_back(static_cast<int>(placeOf[static_cast<std::size_t>(row)]));
        Select(moved);
    }
    if (focused >= 0)
        MoveFocusTo(static_cast<int>(placeOf[static_cast<std::size_t>(focused)]));
    InvalidateRect(m_hwnd, nullptr, TRUE);
    ShowSortArrow(column, g_sortDescending);
    m_sortColumn = column;
    g_sortDescending = !g_sortDescending;
}

void RegistryListView::OnColumnClick(int column) {
    SortByColumn(column);
}

HWND RegistryListView::Owner() const {
    return GetAncestor(m_hwnd, GA_ROOT);
}

ListDeletion RegistryListView::DeleteSelected() {
    ListDeletion deletion;
    const std::vector<int> rows = SelectedRows();
    deletion.selected = rows.size();
    if (rows.empty())
        return deletion;
    std::vector<RegistryItem> entries;
    entries.reserve(rows.size());
    for (int row : rows)
        entries.push_back(Entry(row));
    DeleteReport report;
    {
        ProgressWindow progress(m_hwnd);
        const std::wstring backup =
            m_backupFolder.empty()
                ? std::wstring()
                : NewBackupPath(m_backupFolder, GetText(L"_PageRegistryBackupType2"),
                                LocalTimeNow());
        report = DeleteItems(entries, backup, &progress);
    }
    if (!report.backupOk) {
        deletion.failed = rows.size();
        ShowNotice(Owner(),
                   FormatPath(GetText(L"_RegistryListViewBackupFailed"), report.backupPath));
    } else {
        // Only rows whose entries are gone leave the list; those that failed
        // stay selected, at their places among the rows that remain, and
        // those no longer stale stay unselected.
        std::vector<int> gone, kept;
        for (std::size_t k = 0; k < rows.size(); ++k) {
            if (IsFailure(report.outcomes[k]))
                kept.push_back(rows[k] - static_cast<int>(gone.size()));
            else if (report.outcomes[k] == DeleteOutcome::NoLongerStale)
                ++deletion.noLongerStale;
            else
                gone.push_back(rows[k]);
        }
        m_store.Remove(gone);
        SetRowCount(static_cast<int>(m_store.Size()));
        Select(kept);
        deletion.removed = gone.size();
        deletion.failed = kept.size();
    }
    if (m_deletionHandler)
        m_deletionHandler(deletion);
    return deletion;
}

bool RegistryListView::ExportSelected(const std::wstring& fileName) {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return false;
    std::wstring path = fileName;
    if (path.empty()) {
        path = ChooseFileToSave(GetActiveWindow(), RegistryFileFilters(true), L"reg");
        if (path.empty())
            return false;
    }
    std::vector<RegistryItem> entries;
    entries.reserve(rows.size());
    for (int row : rows)
        entries.push_back(Entry(row));
    FileExportResult result;
    {
        ProgressWindow progress(m_hwnd);
        result = ExportItemsToFile(path, entries, &progress);
    }
    if (result != FileExportResult::Complete) {
        ShowNotice(Owner(), FormatPath(GetText(L"_RegistryListViewExportFailed"), path));
        return false;
    }
    return true;
}

void RegistryListView::EditSelected() {
    const int row = FirstSelected();
    if (row < 0)
        return;
    EditRegItemDlg editor(Entry(row));
    if (editor.DoModal(GetActiveWindow()) != IDOK)
        return;
    m_store.SetTexts(static_cast<std::size_t>(row), editor.ValueName(), editor.Data());
    RedrawRow(row);
}

void RegistryListView::OpenSelectedInRegistryEditor() {
    const int row = FirstSelected();
    if (row < 0)
        return;
    const std::wstring editor = RegistryEditorPath();
    if (editor.empty()) {
        ShowNotice(Owner(), GetText(L"_RegistryListViewNoRegistryEditor"));
        return;
    }
    WriteRegeditLastKey(RegeditLastKeyText(RowText(row, 0), RowText(row, 1)));
    OpenInShell(m_hwnd, editor);
}

void RegistryListView::InvertSelection() {
    std::vector<RowRun> others;
    int next = 0;
    for (const RowRun& run : RunsOfRows(SelectedRows())) {
        if (run.first > next)
            others.push_back({next, run.first - 1});
        next = run.last + 1;
    }
    if (next < RowCount())
        others.push_back({next, RowCount() - 1});
    SelectRuns(others);
}

void RegistryListView::SelectAll(bool select) {
    if (select && RowCount() > 0)
        SelectRuns({{0, RowCount() - 1}});
    else
        SelectRuns({});
}

bool RegistryListView::CommandEnabled(int command) const {
    const int selected = SelectedCount();
    switch (command) {
        case IDM_ROW_EDIT:
            return selected == 1 && !m_busy;
        case IDM_ROW_DELETE:
        case IDM_ROW_EXPORT:
            return selected >= 1 && !m_busy;
        case IDM_ROW_IGNORE:
            return selected >= 1 && !m_busy && m_ignoreHandler;
        case IDM_ROW_INVERT_SELECTION:
        case IDM_ROW_SELECT_NONE:
        case IDM_ROW_SELECT_ALL:
            return RowCount() >= 1;
        case IDM_ROW_OPEN_IN_EDITOR:
            return selected == 1;
        default:
            return false;
    }
}

void RegistryListView::RunCommand(int command) {
    if (!CommandEnabled(command))
        return;
    switch (command) {
        case IDM_ROW_EDIT:
            EditSelected();
            break;
        case IDM_ROW_DELETE:
            DeleteSelected();
            break;
        case IDM_ROW_EXPORT:
            ExportSelected(std::wstring());
            break;
        case IDM_ROW_INVERT_SELECTION:
            InvertSelection();
            break;
        case IDM_ROW_SELECT_NONE:
            SelectAll(false);
            break;
        case IDM_ROW_SELECT_ALL:
            SelectAll(true);
            break;
        case IDM_ROW_OPEN_IN_EDITOR:
            OpenSelectedInRegistryEditor();
            break;
        case IDM_ROW_IGNORE:
            IgnoreSelected();
            break;
    }
}

bool RegistryListView::OnKey(WPARAM key) {
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    if (control && !shift && key == 'A') {
        RunCommand(IDM_ROW_SELECT_ALL);
        return true;
    }
    if (control || shift)
        return false;
    if (key == VK_RETURN) {
        RunCommand(IDM_ROW_EDIT);
        return true;
    }
    if (key == VK_DELETE) {
        if (m_deleteKeyHandler && CommandEnabled(IDM_ROW_DELETE))
            m_deleteKeyHandler();
        else
            RunCommand(IDM_ROW_DELETE);
        return true;
    }
    return false;
}

void RegistryListView::IgnoreSelected() {
    std::vector<RegistryItem> entries;
    for (int row : SelectedRows())
        entries.push_back(Entry(row));
    if (entries.empty() || !m_ignoreHandler)
        return;
    const std::shared_ptr<const EntryFilter> hidden = m_ignoreHandler(entries);
    if (hidden)
        RemoveRowsHiddenBy(*hidden);
}

void RegistryListView::RemoveRowsHiddenBy(const EntryFilter& filter) {
    TakeWaitingRows();
    std::vector<int> gone;
    for (std::size_t row = 0; row < m_store.Size(); ++row) {
        if (filter.Hides(m_store.Item(row)))
            gone.push_back(static_cast<int>(row));
    }
    if (gone.empty())
        return;
    SelectAll(false);
    m_store.Remove(gone);
    SetRowCount(static_cast<int>(m_store.Size()));
}

void RegistryListView::ShowContextMenu(POINT screenPoint) {
    UniqueMenu menu(CreatePopupMenu());
    if (!menu)
        return;
    for (const MenuEntry& entry : kMenu) {
        if (entry.command == IDM_ROW_IGNORE && !m_ignoreHandler)
            continue;
        if (entry.command == 0) {
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const std::wstring text =
            GetText(L"_RegistryListViewMenuItem" + std::to_wstring(entry.command));
        const UINT flags = MF_STRING | (CommandEnabled(entry.command) ? 0 : MF_GRAYED);
        AppendMenuW(menu.get(), flags, static_cast<UINT_PTR>(entry.command), text.c_str());
    }
    const int command =
        SkinTrackPopupMenu(menu.get(), TPM_RETURNCMD, screenPoint.x, screenPoint.y, m_hwnd);
    menu.reset();
    if (command != 0)
        RunCommand(command);
}

void RegistryListView::ShowText(NMLVDISPINFOW& info) const {
    LVITEMW& item = info.item;
    if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= m_store.Size())
        return;
    const std::size_t row = static_cast<std::size_t>(item.iItem);
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        std::wstring buffer;
        const std::wstring_view text = m_store.Text(row, item.iSubItem, buffer);
        const std::size_t length = std::min<std::size_t>(text.size(), item.cchTextMax - 1);
        std::copy(text.begin(), text.begin() + length, item.pszText);
        item.pszText[length] = L'\0';
    }
    if (item.mask & LVIF_IMAGE)
        item.iImage = m_store.Image(row);
}

// Typing finds the next row, from the focused one on, whose text in the
// sorted column (the key while unsorted) begins with what was typed.
int RegistryListView::FindRow(const NMLVFINDITEMW& find) const {
    if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz || m_store.Size() == 0)
        return -1;
    const std::size_t start = find.iStart < 0 ? 0 : static_cast<std::size_t>(find.iStart);
    return m_store.FindPrefix(m_sortColumn >= 0 ? m_sortColumn : kKeyColumn, find.lvfi.psz,
                              start % m_store.Size());
}

LRESULT RegistryListView::OnNotify(const NMHDR& header) {
    switch (header.code) {
        case LVN_GETDISPINFOW:
            ShowText(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
            return 0;
        case LVN_ODFINDITEMW:
            return FindRow(reinterpret_cast<const NMLVFINDITEMW&>(header));
        case NM_RCLICK: {
            POINT cursor = {};
            GetCursorPos(&cursor);
            ShowContextMenu(cursor);
            return 0;
        }
        default:
            return ListView::OnMessage(kReflectedNotify, 0, reinterpret_cast<LPARAM>(&header));
    }
}

LRESULT RegistryListView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == RowsWaitingMessage()) {
        OnRowsWaiting(wParam);
        return 0;
    }
    switch (message) {
        case kReflectedNotify:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_TIMER:
            if (wParam != kTakeRowsTimer)
                break;
            TakeWaitingRows();
            return 0;
        case WM_DESTROY:
            EndJob();
            break;
        case WM_GETDLGCODE: {
            // Enter opens the editor: the dialog must not make it a button press.
            const auto* key = reinterpret_cast<const MSG*>(lParam);
            const LRESULT code = CallPrevious(message, wParam, lParam);
            if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
                return code | DLGC_WANTMESSAGE;
            return code;
        }
        case WM_KEYDOWN:
            if (OnKey(wParam))
                return 0;
            break;
        case WM_SIZE: {
            const LRESULT result = CallPrevious(message, wParam, lParam);
            if (!m_fitting) {
                m_fitting = true;
                FitColumnsEqually(m_columns);
                m_fitting = false;
            }
            return result;
        }
        case WM_CONTEXTMENU:
            // From the keyboard (Shift+F10, the menu key) the point is (-1, -1), in
            // the low half of lParam only: at the focused row. A click came as NM_RCLICK.
            if (GET_X_LPARAM(lParam) == -1 && GET_Y_LPARAM(lParam) == -1) {
                const RECT bounds = RowBounds(FocusedRow());
                POINT point = {bounds.left, bounds.bottom};
                ClientToScreen(m_hwnd, &point);
                ShowContextMenu(point);
                return 0;
            }
            break;
        default:
            break;
    }
    return ListView::OnMessage(message, wParam, lParam);
}
