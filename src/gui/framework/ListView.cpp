#include "framework/ListView.h"

#include <algorithm>
#include <cwchar>

#include <windowsx.h>

#include "common/Text.h"

namespace {

// Texts longer than this take part in a sort only with their beginning.
constexpr int kSortTextBuffer = 260;

struct SortKey {
    LPARAM row;
    std::wstring text;
    double number;
};

struct SortContext {
    std::vector<SortKey> keys;  // ordered by row
    ListSortKind kind;
    bool descending;

    const SortKey& Find(LPARAM row) const {
        static const SortKey unknown = {0, std::wstring(), 0.0};
        auto found =
            std::lower_bound(keys.begin(), keys.end(), row,
                             [](const SortKey& key, LPARAM value) { return key.row < value; });
        return found != keys.end() && found->row == row ? *found : unknown;
    }
};

int Sign(double value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM contextParam) {
    const auto* context = reinterpret_cast<const SortContext*>(contextParam);
    const SortKey& a = context->Find(first);
    const SortKey& b = context->Find(second);
    const int order = context->kind == kSortAsNumber ? Sign(a.number - b.number)
                                                     : CompareInCodePageOrder(a.text, b.text);
    return context->descending ? -order : order;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(window, message, wParam, lParam);
}

// What a selection change costs, in thirds of a microsecond: a row changed on
// its own, a row changed by a change to every row.
constexpr long long kOneRowCost = 3;
constexpr long long kAllRowsCost = 1;

long long Length(const RowRun& run) {
    return static_cast<long long>(run.last) - run.first + 1;
}

// The rows of a that are not in b, as at most two runs.
std::vector<RowRun> RunsLeft(const RowRun& a, const RowRun& b) {
    std::vector<RowRun> left;
    if (a.first < b.first)
        left.push_back({a.first, std::min(a.last, b.first - 1)});
    if (a.last > b.last)
        left.push_back({std::max(a.first, b.last + 1), a.last});
    return left;
}

}  // namespace

std::vector<RowRun> RunsOfRows(const std::vector<int>& rows) {
    std::vector<RowRun> runs;
    for (int row : rows) {
        if (!runs.empty() && runs.back().last + 1 == row)
            runs.back().last = row;
        else
            runs.push_back({row, row});
    }
    return runs;
}

HWND ListView::Header() const {
    return reinterpret_cast<HWND>(Send(m_hwnd, LVM_GETHEADER));
}

int ListView::InsertColumn(int index, const std::wstring& heading, int width, ListSortKind kind) {
    std::wstring text = heading;
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.pszText = &text[0];
    column.cx = width;
    column.iSubItem = index;
    const int inserted =
        static_cast<int>(Send(m_hwnd, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
    if (inserted == -1)
        return -1;
    HDITEMW item = {};
    item.mask = HDI_LPARAM;
    item.lParam = kind;
    Send(Header(), HDM_SETITEMW, inserted, reinterpret_cast<LPARAM>(&item));
    return inserted;
}

int ListView::ColumnCount() const {
    return static_cast<int>(Send(Header(), HDM_GETITEMCOUNT));
}

ListSortKind ListView::ColumnKind(int column) const {
    HDITEMW item = {};
    item.mask = HDI_LPARAM;
    Send(Header(), HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
    return item.lParam == kSortAsNumber ? kSortAsNumber : kSortAsText;
}

void ListView::FitColumnsEqually(int columns) {
    if (!m_hwnd || columns <= 0)
        return;
    // The width left beside a vertical scroll bar, whether one shows or not:
    // rows that come and fill the list do not change the columns.
    RECT client = {};
    GetClientRect(m_hwnd, &client);
    int width = client.right;
    if (!(GetWindowLongPtrW(m_hwnd, GWL_STYLE) & WS_VSCROLL))
        width -= GetSystemMetrics(SM_CXVSCROLL);
    for (int column = 0; column < columns; ++column) {
        if (Send(m_hwnd, LVM_GETCOLUMNWIDTH, column) != std::max(width, 0) / columns)
            SetColumnWidth(column, std::max(width, 0) / columns);
    }
}

void ListView::ShowSortArrow(int column, bool descending) {
    HWND header = Header();
    for (int index = 0; index < ColumnCount(); ++index) {
        HDITEMW item = {};
        item.mask = HDI_FORMAT;
        Send(header, HDM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (index == column)
            item.fmt |= descending ? HDF_SORTDOWN : HDF_SORTUP;
        Send(header, HDM_SETITEMW, index, reinterpret_cast<LPARAM>(&item));
    }
}

void ListView::SetExtendedStyle(DWORD styles) {
    Send(m_hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles);
}

void ListView::SetPictures(HIMAGELIST pictures) {
    Send(m_hwnd, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(pictures));
}

int ListView::RowCount() const {
    return static_cast<int>(Send(m_hwnd, LVM_GETITEMCOUNT));
}

void ListView::SetRowCount(int count, bool onlyAdded) {
    Send(m_hwnd, LVM_SETITEMCOUNT, static_cast<WPARAM>(count),
         LVSICF_NOSCROLL | (onlyAdded ? LVSICF_NOINVALIDATEALL : 0));
}

void ListView::RedrawRow(int row) {
    Send(m_hwnd, LVM_REDRAWITEMS, static_cast<WPARAM>(row), row);
}

RECT ListView::RowBounds(int row) const {
    RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
    if (row < 0 ||
        !Send(m_hwnd, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds)))
        bounds = {};
    return bounds;
}

int ListView::AppendRow(const std::vector<std::wstring>& texts, int image, LPARAM data) {
    std::wstring first = texts.empty() ? std::wstring() : texts[0];
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = RowCount();
    item.pszText = &first[0];
    item.iImage = image;
    item.lParam = data;
    const int row =
        static_cast<int>(Send(m_hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    for (int column = 1; row >= 0 && column < static_cast<int>(texts.size()); ++column) {
        std::wstring text = texts[column];
        LVITEMW cell = {};
        cell.iSubItem = column;
        cell.pszText = &text[0];
        Send(m_hwnd, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
    }
    return row;
}

std::wstring ListView::CellText(int row, int column) const {
    std::wstring text(256, L'\0');
    for (;;) {
        LVITEMW cell = {};
        cell.iSubItem = column;
        cell.pszText = &text[0];
        cell.cchTextMax = static_cast<int>(text.size());
        const std::size_t length = static_cast<std::size_t>(
            Send(m_hwnd, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell)));
        // A full buffer may have cut the text.
        if (length + 1 < text.size()) {
            text.resize(length);
            return text;
        }
        text.assign(text.size() * 2, L'\0');
    }
}

LPARAM ListView::RowData(int row) const {
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    return Send(m_hwnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
}

void ListView::DeleteAllRows() {
    Send(m_hwnd, LVM_DELETEALLITEMS);
}

void ListView::SortByColumn(int column, bool descending) {
    SortContext context;
    context.kind = ColumnKind(column);
    context.descending = descending;
    const int count = RowCount();
    for (int row = 0; row < count; ++row) {
        wchar_t text[kSortTextBuffer] = {};
        LVITEMW cell = {};
        cell.iSubItem = column;
        cell.pszText = text;
        cell.cchTextMax = kSortTextBuffer;
        Send(m_hwnd, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
        context.keys.push_back({RowData(row), text, std::wcstod(text, nullptr)});
    }
    std::sort(context.keys.begin(), context.keys.end(),
              [](const SortKey& a, const SortKey& b) { return a.row < b.row; });
    Send(m_hwnd, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context),
         reinterpret_cast<LPARAM>(&CompareRows));
    ShowSortArrow(column, descending);
}

int ListView::SelectedCount() const {
    return static_cast<int>(Send(m_hwnd, LVM_GETSELECTEDCOUNT));
}

int ListView::FirstSelected() const {
    return static_cast<int>(Send(m_hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::vector<int> ListView::SelectedRows() const {
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(SelectedCount()));
    for (int row = -1;
         (row = static_cast<int>(
              Send(m_hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0;)
        rows.push_back(row);
    return rows;
}

int ListView::FocusedRow() const {
    return static_cast<int>(Send(m_hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

bool ListView::IsSelected(int row) const {
    return Send(m_hwnd, LVM_GETITEMSTATE, row, LVIS_SELECTED) != 0;
}

void ListView::SetSelected(int row, bool selected) {
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED;
    state.state = selected ? LVIS_SELECTED : 0;
    Send(m_hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
}

bool ListView::SelectionIsOneRun(RowRun& run) const {
    const int count = SelectedCount();
    if (count == 0)
        return false;
    run.first = FirstSelected();
    run.last = run.first + count - 1;
    // As many selected rows from the first on as the run holds, and none after it.
    return run.first >= 0 && run.last < RowCount() &&
           Send(m_hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(run.last), LVNI_SELECTED) == -1;
}

void ListView::SelectRuns(const std::vector<RowRun>& runs) {
    const long long rows = RowCount();
    const long long selected = SelectedCount();
    long long wanted = 0;
    for (const RowRun& run : runs)
        wanted += Length(run);
    auto setRuns = [this](const std::vector<RowRun>& change, bool select) {
        for (const RowRun& run : change)
            for (int row = run.first; row <= run.last; ++row)
                SetSelected(row, select);
    };
    QuietChange quiet(m_hwnd);
    // From the selection as it is, when it and the wanted one are each one run:
    // Shift moving the end of a range changes only the rows it passes.
    RowRun present = {};
    if (runs.size() == 1 && SelectionIsOneRun(present)) {
        const std::vector<RowRun> leave = RunsLeft(present, runs[0]);
        const std::vector<RowRun> enter = RunsLeft(runs[0], present);
        long long changed = 0;
        for (const RowRun& run : leave)
            changed += Length(run);
        for (const RowRun& run : enter)
            changed += Length(run);
        if (changed * kOneRowCost <= rows * kAllRowsCost + (rows - wanted) * kOneRowCost) {
            setRuns(leave, false);
            setRuns(enter, true);
            return;
        }
    }
    // Otherwise from every row selected, or from none, whichever costs less.
    const long long clearCost = std::min(selected * kOneRowCost, rows * kAllRowsCost);
    const long long fromNone = (selected ? clearCost : 0) + wanted * kOneRowCost;
    const long long fromAll = rows * kAllRowsCost + (rows - wanted) * kOneRowCost;
    if (fromAll < fromNone) {
        SetSelected(-1, true);
        int next = 0;
        for (const RowRun& run : runs) {
            setRuns({{next, run.first - 1}}, false);
            next = run.last + 1;
        }
        setRuns({{next, static_cast<int>(rows) - 1}}, false);
        return;
    }
    if (selected * kOneRowCost < rows * kAllRowsCost) {
        for (int row : SelectedRows())
            SetSelected(row, false);
    } else if (selected) {
        SetSelected(-1, false);
    }
    setRuns(runs, true);
}

void ListView::ExtendSelectionTo(int row) {
    const int rows = RowCount();
    if (row < 0 || row >= rows)
        return;
    int anchor = static_cast<int>(Send(m_hwnd, LVM_GETSELECTIONMARK));
    if (anchor < 0 || anchor >= rows)
        anchor = FocusedRow() >= 0 ? FocusedRow() : row;
    SelectRuns({{std::min(anchor, row), std::max(anchor, row)}});
    MoveFocusTo(row);
    Send(m_hwnd, LVM_SETSELECTIONMARK, 0, anchor);
}

bool ListView::AllowsRanges() const {
    return !(GetWindowLongPtrW(m_hwnd, GWL_STYLE) & LVS_SINGLESEL);
}

int ListView::RangeKeyTarget(WPARAM key) const {
    const int rows = RowCount();
    const int focused = std::max(FocusedRow(), 0);
    const int top = static_cast<int>(Send(m_hwnd, LVM_GETTOPINDEX));
    const int page = std::max(static_cast<int>(Send(m_hwnd, LVM_GETCOUNTPERPAGE)), 1);
    int target = -1;
    switch (key) {
        case VK_HOME:
            target = 0;
            break;
        case VK_END:
            target = rows - 1;
            break;
        case VK_UP:
            target = focused - 1;
            break;
        case VK_DOWN:
            target = focused + 1;
            break;
        case VK_PRIOR:
            // To the top of the page, or a page up from there.
            target = focused == top ? top - page + 1 : top;
            break;
        case VK_NEXT:
            // To the bottom of the page, or a page down from there.
            target = focused == top + page - 1 ? focused + page - 1 : top + page - 1;
            break;
        default:
            return -1;
    }
    return std::clamp(target, 0, rows - 1);
}

bool ListView::IsChecked(int row) const {
    return (Send(m_hwnd, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) ==
           INDEXTOSTATEIMAGEMASK(2);
}

void ListView::SetChecked(int row, bool checked) {
    LVITEMW state = {};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    Send(m_hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
}

int ListView::TextWidth(const std::wstring& text) const {
    return static_cast<int>(
        Send(m_hwnd, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

void ListView::SetColumnWidth(int column, int width) {
    Send(m_hwnd, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
}

void ListView::FocusRow(int row) {
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    if (Send(m_hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state)))
        EnsureVisible(row);
}

void ListView::MoveFocusTo(int row) {
    LVITEMW state = {};
    state.stateMask = LVIS_FOCUSED;
    state.state = LVIS_FOCUSED;
    if (Send(m_hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state)))
        EnsureVisible(row);
}

void ListView::EnsureVisible(int row) {
    Send(m_hwnd, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

ListView::QuietChange::QuietChange(HWND list) : m_list(list) {
    Send(m_list, WM_SETREDRAW, FALSE);
}

ListView::QuietChange::~QuietChange() {
    Send(m_list, WM_SETREDRAW, TRUE);
    InvalidateRect(m_list, nullptr, TRUE);
}

void ListView::OnColumnClick(int column) {
    SortByColumn(column, m_nextDescending);
    m_nextDescending = !m_nextDescending;
}

LRESULT ListView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Ranges with Shift are selected here, from the last range (the control
    // sets every row of a range again at each key: a second a key over a
    // million rows).
    switch (message) {
        case kReflectedNotify: {
            const auto* notify = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if (notify->hdr.code == LVN_COLUMNCLICK && notify->iItem == -1)
                OnColumnClick(notify->iSubItem);
            return 0;
        }
        case WM_KEYDOWN:
            if (GetKeyState(VK_SHIFT) < 0 && GetKeyState(VK_CONTROL) >= 0 && AllowsRanges() &&
                RowCount() > 0) {
                const int target = RangeKeyTarget(wParam);
                if (target >= 0) {
                    ExtendSelectionTo(target);
                    return 0;
                }
            }
            break;
        case WM_LBUTTONDOWN:
            if ((wParam & MK_SHIFT) && !(wParam & MK_CONTROL) && AllowsRanges()) {
                LVHITTESTINFO hit = {};
                hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                const int row =
                    static_cast<int>(Send(m_hwnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
                if (row >= 0 && (hit.flags & LVHT_ONITEM)) {
                    SetFocus(m_hwnd);
                    ExtendSelectionTo(row);
                    return 0;
                }
            }
            break;
        default:
            break;
    }
    return CallPrevious(message, wParam, lParam);
}
