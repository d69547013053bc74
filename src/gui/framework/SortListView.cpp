#include "framework/SortListView.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "common/Text.h"

namespace {

// Texts longer than this take part only with their beginning.
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
    int order = context->kind == kSortAsNumber ? Sign(a.number - b.number)
                                               : CompareInCodePageOrder(a.text, b.text);
    return context->descending ? -order : order;
}

ListSortKind ColumnSortKind(HWND list, int column) {
    HDITEMW item = {};
    item.mask = HDI_LPARAM;
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
    return item.lParam == kSortAsNumber ? kSortAsNumber : kSortAsText;
}

}  // namespace

bool SortListView::s_descending = true;

void SortRowsByColumn(HWND list, int column, bool descending) {
    SortContext context;
    context.kind = ColumnSortKind(list, column);
    context.descending = descending;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        wchar_t text[kSortTextBuffer] = {};
        LVITEMW cell = {};
        cell.iSubItem = column;
        cell.pszText = text;
        cell.cchTextMax = kSortTextBuffer;
        SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
        context.keys.push_back({item.lParam, text, std::wcstod(text, nullptr)});
    }
    std::sort(context.keys.begin(), context.keys.end(),
              [](const SortKey& a, const SortKey& b) { return a.row < b.row; });
    SendMessageW(list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context),
                 reinterpret_cast<LPARAM>(&CompareRows));
}

int SortListView::InsertColumn(int index, const std::wstring& heading, int format, int width,
                               int subItem, ListSortKind kind) {
    std::wstring text = heading;
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_TEXT;
    column.fmt = format;
    column.pszText = &text[0];
    if (width != -1) {
        column.mask |= LVCF_WIDTH;
        column.cx = width;
    }
    if (subItem != -1) {
        column.mask |= LVCF_SUBITEM;
        column.iSubItem = subItem;
    }
    const int inserted = static_cast<int>(
        SendMessageW(m_hwnd, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
    if (inserted == -1)
        return -1;
    HDITEMW item = {};
    item.mask = HDI_LPARAM;
    item.lParam = kind;
    HWND header = reinterpret_cast<HWND>(SendMessageW(m_hwnd, LVM_GETHEADER, 0, 0));
    SendMessageW(header, HDM_SETITEMW, inserted, reinterpret_cast<LPARAM>(&item));
    return inserted;
}

LRESULT SortListView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kReflectedNotify) {
        const auto* notify = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if (notify->hdr.code == LVN_COLUMNCLICK && notify->iItem == -1) {
            SortRowsByColumn(m_hwnd, notify->iSubItem, s_descending);
            s_descending = !s_descending;
        }
        return 0;
    }
    return CallPrevious(message, wParam, lParam);
}
