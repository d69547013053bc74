#include "resultlist/RegistryListView.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/SkinLayer.h"
#include "backup/BackupStore.h"
#include "backup/Regedit.h"
#include "framework/FileDialogs.h"
#include "framework/Prompt.h"
#include "framework/ShellOpen.h"
#include "framework/SortListView.h"
#include "resource.h"
#include "results/DeleteEntries.h"
#include "results/EntryEdit.h"
#include "resultlist/EditRegItemDlg.h"
#include "resultlist/ProgressWindow.h"
#include "settings/ModulePath.h"
#include "text/FormatText.h"
#include "text/LanguageTable.h"

namespace {

constexpr int kInitialWidths[RegistryListView::kColumnCount] = {100, 300, 100, 300};
// Drawing a list row by row costs far more than adding the rows (under Wine
// several milliseconds a row): a stream of rows is drawn at this pace.
constexpr UINT kShowRowsInterval = 50;
constexpr UINT_PTR kShowRowsTimer = 0x5A44;

// Shared by every list for the program's life; the first sort is descending.
bool g_sortDescending = true;
// Job numbers are never reused in the process, not even by another list, so
// rows sent to a list handle that now belongs to a newer list are dropped.
unsigned g_lastJob = 0;

struct MenuEntry {
    int command;  // 0 for a separator
};
constexpr MenuEntry kMenu[] = {{IDM_ROW_EDIT},
                               {IDM_ROW_DELETE},
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
    // The control may outlive this object; it must not keep tags that are
    // gone, nor stay undrawn.
    if (m_hwnd) {
        ShowNewRows();
        SendMessageW(m_hwnd, LVM_DELETEALLITEMS, 0, 0);
    }
}

bool RegistryListView::SubclassList(HWND list) {
    if (!Subclass(list))
        return false;
    InsertColumns();
    const LPARAM styles = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP;
    SendMessageW(m_hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles);
    return true;
}

bool RegistryListView::SetRowPictures(int bitmapId) {
    if (!LoadPictureStrip(m_pictures, bitmapId, 16, 16, 2))
        return false;
    SendMessageW(m_hwnd, LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(m_pictures.list.get()));
    return true;
}

void RegistryListView::InsertColumns() {
    HWND header = reinterpret_cast<HWND>(SendMessageW(m_hwnd, LVM_GETHEADER, 0, 0));
    for (int column = 0; column < kColumnCount; ++column) {
        std::wstring text = GetText(L"_RegistryListViewCol" + std::to_wstring(column + 1));
        LVCOLUMNW entry = {};
        entry.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        entry.fmt = LVCFMT_LEFT;
        entry.cx = kInitialWidths[column];
        entry.pszText = &text[0];
        entry.iSubItem = column;
        SendMessageW(m_hwnd, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&entry));
        HDITEMW item = {};
        item.mask = HDI_LPARAM;
        item.lParam = kSortAsText;  // every column of both lists
        SendMessageW(header, HDM_SETITEMW, column, reinterpret_cast<LPARAM>(&item));
    }
}

void RegistryListView::FitColumns() {
    if (m_fitting || !m_hwnd)
        return;
    m_fitting = true;
    RECT client = {};
    GetClientRect(m_hwnd, &client);
    const int width = (client.right - client.left) / kColumnCount;
    for (int column = 0; column < kColumnCount; ++column)
        SendMessageW(m_hwnd, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0));
    m_fitting = false;
}

void RegistryListView::BeginRowStream() {
    if (m_streaming)
        return;
    m_streaming = true;
    m_streamStart = GetTickCount64();
    SendMessageW(m_hwnd, WM_SETREDRAW, FALSE, 0);
    SetTimer(m_hwnd, kShowRowsTimer, kShowRowsInterval, nullptr);
}

void RegistryListView::ShowNewRows() {
    if (!m_streaming)
        return;
    m_streaming = false;
    KillTimer(m_hwnd, kShowRowsTimer);
    SendMessageW(m_hwnd, WM_SETREDRAW, TRUE, 0);
    const int last = RowCount() - 1;
    if (last >= 0)
        SendMessageW(m_hwnd, LVM_ENSUREVISIBLE, last, FALSE);
}

void RegistryListView::AddRow(int image, const std::wstring& rootName, const std::wstring& keyPath,
                              const std::wstring& valueName, const std::wstring& dataText,
                              int type) {
    BeginRowStream();
    auto* tag = new RowTag;
    tag->type = type;
    std::wstring root = rootName;
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = RowCount();
    item.pszText = &root[0];
    item.iImage = image;
    item.lParam = reinterpret_cast<LPARAM>(tag);
    const int row =
        static_cast<int>(SendMessageW(m_hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) {
        delete tag;
        return;
    }
    ++m_tagCount;
    tag->insertionIndex = row;
    const std::wstring* texts[] = {&keyPath, &valueName, &dataText};
    for (int column = 1; column < kColumnCount; ++column) {
        std::wstring text = *texts[column - 1];
        LVITEMW cell = {};
        cell.iSubItem = column;
        cell.pszText = &text[0];
        SendMessageW(m_hwnd, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
    }
    // The timer shows the rows; this covers a stream so dense that it never comes.
    if (GetTickCount64() - m_streamStart >= 2 * kShowRowsInterval)
        ShowNewRows();
}

void RegistryListView::Clear() {
    // Not drawn row by row while many rows go.
    SendMessageW(m_hwnd, WM_SETREDRAW, FALSE, 0);
    SendMessageW(m_hwnd, LVM_DELETEALLITEMS, 0, 0);
    if (!m_streaming)
        SendMessageW(m_hwnd, WM_SETREDRAW, TRUE, 0);
}

std::shared_ptr<RowForwarder> RegistryListView::BeginJob() {
    m_acceptedJob = ++g_lastJob;
    return std::make_shared<RowForwarder>(m_hwnd, m_acceptedJob);
}

int RegistryListView::RowCount() const {
    return static_cast<int>(SendMessageW(m_hwnd, LVM_GETITEMCOUNT, 0, 0));
}

int RegistryListView::SelectedCount() const {
    return static_cast<int>(SendMessageW(m_hwnd, LVM_GETSELECTEDCOUNT, 0, 0));
}

std::vector<int> RegistryListView::SelectedRows() const {
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(SelectedCount()));
    for (int row = -1; (row = static_cast<int>(
                            SendMessageW(m_hwnd, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;) {
        rows.push_back(row);
    }
    return rows;
}

std::wstring RegistryListView::RowText(int row, int column) const {
    std::wstring text(256, '\0');
    for (;;) {
        LVITEMW cell = {};
        cell.iSubItem = column;
        cell.pszText = &text[0];
        cell.cchTextMax = static_cast<int>(text.size());
        const std::size_t length = static_cast<std::size_t>(
            SendMessageW(m_hwnd, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell)));
        // A full buffer may have cut the text (one byte short when the cut
        // fell inside a double-byte character).
        if (length + 2 < text.size()) {
            text.resize(length);
            return text;
        }
        text.assign(text.size() * 2, '\0');
    }
}

RowTag* RegistryListView::TagOf(int row) const {
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageW(m_hwnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    return reinterpret_cast<RowTag*>(item.lParam);
}

const RowTag* RegistryListView::Tag(int row) const {
    return TagOf(row);
}

RegistryItem RegistryListView::Entry(int row) const {
    RegistryItem entry;
    entry.rootKey = RowText(row, 0);
    entry.keyPath = RowText(row, 1);
    entry.valueName = RowText(row, 2);
    entry.dataText = RowText(row, 3);
    const RowTag* tag = TagOf(row);
    entry.type = tag ? tag->type : KeyRowMarker;
    return entry;
}

void RegistryListView::FreeTag(int row) {
    if (RowTag* tag = TagOf(row)) {
        delete tag;
        --m_tagCount;
    }
}

void RegistryListView::FreeAllTags() {
    for (int row = RowCount() - 1; row >= 0; --row)
        FreeTag(row);
}

void RegistryListView::SortByColumn(int column) {
    if (column < 0 || column >= kColumnCount)
        return;
    ShowNewRows();
    SortRowsByColumn(m_hwnd, column, g_sortDescending);
    g_sortDescending = !g_sortDescending;
}

HWND RegistryListView::Owner() const {
    return GetAncestor(m_hwnd, GA_ROOT);
}

void RegistryListView::RemoveRows(const std::vector<int>& rows, const std::vector<RowTag*>& tags) {
    if (rows.empty())
        return;
    ShowNewRows();
    SendMessageW(m_hwnd, WM_SETREDRAW, FALSE, 0);
    if (static_cast<int>(rows.size()) == RowCount()) {
        Clear();
    } else {
        // From the bottom up, so the rows still to go keep their places.
        for (std::size_t k = rows.size(); k-- > 0;) {
            int row = rows[k];
            if (TagOf(row) != tags[k]) {
                LVFINDINFOW find = {};
                find.flags = LVFI_PARAM;
                find.lParam = reinterpret_cast<LPARAM>(tags[k]);
                row = static_cast<int>(
                    SendMessageW(m_hwnd, LVM_FINDITEMW, -1, reinterpret_cast<LPARAM>(&find)));
            }
            if (row >= 0)
                SendMessageW(m_hwnd, LVM_DELETEITEM, row, 0);
        }
    }
    SendMessageW(m_hwnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

ListDeletion RegistryListView::DeleteSelected() {
    ListDeletion deletion;
    const std::vector<int> rows = SelectedRows();
    deletion.selected = rows.size();
    if (rows.empty())
        return deletion;
    std::vector<RegistryItem> entries;
    std::vector<RowTag*> tags;
    entries.reserve(rows.size());
    tags.reserve(rows.size());
    for (int row : rows) {
        entries.push_back(Entry(row));
        tags.push_back(TagOf(row));
    }
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
        RemoveDeletedRows(rows, tags, report, deletion);
    }
    if (m_deletionHandler)
        m_deletionHandler(deletion);
    return deletion;
}

void RegistryListView::RemoveDeletedRows(const std::vector<int>& rows,
                                         const std::vector<RowTag*>& tags,
                                         const DeleteReport& report, ListDeletion& deletion) {
    std::vector<int> gone;
    std::vector<RowTag*> goneTags;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (IsFailure(report.outcomes[k])) {
            ++deletion.failed;
        } else {
            gone.push_back(rows[k]);
            goneTags.push_back(tags[k]);
        }
    }
    RemoveRows(gone, goneTags);
    deletion.removed = gone.size();
}

bool RegistryListView::ExportSelected(const std::wstring& fileName) {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return false;
    std::wstring path = fileName;
    if (path.empty()) {
        path = ChooseFileToSave(GetActiveWindow(),
                                {{GetText(L"_RegistryListViewFilterReg"), L"*.reg"},
                                 {GetText(L"_RegistryListViewFilterAll"), L"*.*"}},
                                L"reg");
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
    const int row = static_cast<int>(SendMessageW(m_hwnd, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    if (row < 0)
        return;
    RowTag* tag = TagOf(row);
    EditRegItemDlg editor(Entry(row));
    if (editor.DoModal(GetActiveWindow()) != IDOK)
        return;
    LVFINDINFOW find = {};
    find.flags = LVFI_PARAM;
    find.lParam = reinterpret_cast<LPARAM>(tag);
    const int now =
        static_cast<int>(SendMessageW(m_hwnd, LVM_FINDITEMW, -1, reinterpret_cast<LPARAM>(&find)));
    if (now < 0)
        return;
    std::wstring name = editor.ValueName();
    std::wstring data = editor.Data();
    LVITEMW cell = {};
    cell.iSubItem = 2;
    cell.pszText = &name[0];
    SendMessageW(m_hwnd, LVM_SETITEMTEXTW, now, reinterpret_cast<LPARAM>(&cell));
    cell.iSubItem = 3;
    cell.pszText = &data[0];
    SendMessageW(m_hwnd, LVM_SETITEMTEXTW, now, reinterpret_cast<LPARAM>(&cell));
}

void RegistryListView::OpenSelectedInRegistryEditor() {
    const int row = static_cast<int>(SendMessageW(m_hwnd, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
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

void RegistryListView::SetRowState(int row, bool selected) {
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED;
    state.state = selected ? LVIS_SELECTED : 0;
    SendMessageW(m_hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&state));
}

void RegistryListView::InvertSelection() {
    const int rows = RowCount();
    for (int row = 0; row < rows; ++row) {
        const bool selected = SendMessageW(m_hwnd, LVM_GETITEMSTATE, row, LVIS_SELECTED) != 0;
        SetRowState(row, !selected);
    }
}

void RegistryListView::SelectAll(bool select) {
    SetRowState(-1, select);
}

bool RegistryListView::CommandEnabled(int command) const {
    const int selected = SelectedCount();
    switch (command) {
        case IDM_ROW_EDIT:
            return selected == 1 && !m_busy;
        case IDM_ROW_DELETE:
        case IDM_ROW_EXPORT:
            return selected >= 1 && !m_busy;
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
    }
}

void RegistryListView::ShowContextMenu(POINT screenPoint) {
    UniqueMenu menu(CreatePopupMenu());
    if (!menu)
        return;
    for (const MenuEntry& entry : kMenu) {
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

LRESULT RegistryListView::OnNotify(const NMHDR& header) {
    switch (header.code) {
        case LVN_COLUMNCLICK: {
            const auto& click = reinterpret_cast<const NMLISTVIEW&>(header);
            SortByColumn(click.iSubItem);
            break;
        }
        case LVN_DELETEALLITEMS:
            // The tags went with LVM_DELETEALLITEMS: no notification per row.
            return TRUE;
        case NM_RCLICK: {
            POINT cursor = {};
            GetCursorPos(&cursor);
            ShowContextMenu(cursor);
            break;
        }
        default:
            break;
    }
    return 0;
}

LRESULT RegistryListView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == ForwardedRowsMessage()) {
        if (m_acceptedJob == 0 || wParam != m_acceptedJob)
            return 0;
        for (const ForwardedRow& row : *reinterpret_cast<const std::vector<ForwardedRow>*>(lParam))
            AddRow(row.image, row.rootName, row.keyPath, row.valueName, row.dataText, row.type);
        return 1;
    }
    switch (message) {
        case kReflectedNotify:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case LVM_DELETEITEM:
            FreeTag(static_cast<int>(wParam));
            break;
        case LVM_DELETEALLITEMS:
            FreeAllTags();
            break;
        case WM_TIMER:
            if (wParam != kShowRowsTimer)
                break;
            ShowNewRows();
            return 0;
        case WM_DESTROY:
            m_streaming = false;
            // The rows go with the control; their tags go now, while it can say which.
            SendMessageW(m_hwnd, LVM_DELETEALLITEMS, 0, 0);
            break;
        case WM_SIZE: {
            LRESULT result = CallPrevious(message, wParam, lParam);
            FitColumns();
            return result;
        }
        case WM_CONTEXTMENU:
            // From the keyboard (Shift+F10, the menu key) the point is (-1, -1), in
            // the low half of lParam only: at the focused row. A click came as NM_RCLICK.
            if (GET_X_LPARAM(lParam) == -1 && GET_Y_LPARAM(lParam) == -1) {
                const int focused =
                    static_cast<int>(SendMessageW(m_hwnd, LVM_GETNEXTITEM, -1, LVNI_FOCUSED));
                RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
                if (focused < 0 || !SendMessageW(m_hwnd, LVM_GETITEMRECT, focused,
                                                 reinterpret_cast<LPARAM>(&bounds))) {
                    bounds = {};
                }
                POINT point = {bounds.left, bounds.bottom};
                ClientToScreen(m_hwnd, &point);
                ShowContextMenu(point);
                return 0;
            }
            break;
        default:
            break;
    }
    return Window::OnMessage(message, wParam, lParam);
}
