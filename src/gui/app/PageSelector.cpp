#include "app/PageSelector.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <utility>

#include "resource.h"
#include "framework/Dialog.h"

namespace {

constexpr DWORD kTreeStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | TVS_SHOWSELALWAYS;
constexpr DWORD kContainerStyle = WS_CHILD | WS_VISIBLE | WS_BORDER;

// Room above and below each row's picture, and around each label inside its
// box, at 96 DPI.
constexpr int kRowPadding = 4;
constexpr int kLabelPadding = 3;

HFONT TreeFont(HWND tree) {
    return reinterpret_cast<HFONT>(SendMessageW(tree, WM_GETFONT, 0, 0));
}

int TextHeight(HWND window) {
    HDC dc = GetDC(window);
    if (!dc)
        return 0;
    HGDIOBJ old = SelectObject(dc, TreeFont(window));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return metrics.tmHeight;
}

// How far a letter's ink reaches past its advance: an italic letter leans out
// on the right, some lean in on the left (ABC widths exist for outline fonts).
int InkOverhang(HDC dc, wchar_t letter, bool right) {
    ABC widths = {};
    if (!GetCharABCWidthsW(dc, letter, letter, &widths))
        return 0;
    return std::max(0, -(right ? widths.abcC : widths.abcA));
}

void AddExStyle(HWND window, DWORD exStyle) {
    SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) | exStyle);
}

}  // namespace

bool PageSelector::Build(HWND placeholder, int splitterPosition) {
    if (!Subclass(placeholder))
        return false;
    // Tab and the arrow keys reach the page controls through these windows.
    AddExStyle(placeholder, WS_EX_CONTROLPARENT);
    SetWindowLongW(placeholder, GWL_STYLE,
                   GetWindowLongW(placeholder, GWL_STYLE) | WS_CLIPCHILDREN);
    m_dpi = WindowDpi(placeholder);
    RECT client = {};
    GetClientRect(placeholder, &client);
    if (!m_splitter.Create(placeholder, client))
        return false;
    RECT empty = {0, 0, 0, 0};
    m_tree =
        CreateWindowExW(0, WC_TREEVIEWW, L"", kTreeStyle, 0, 0, 0, 0, m_splitter.hwnd(),
                        reinterpret_cast<HMENU>(IDC_PAGE_TREE), GetModuleHandleW(nullptr), nullptr);
    HWND container =
        CreateWindowExW(WS_EX_CONTROLPARENT, L"Static", L"", kContainerStyle, empty.left, empty.top,
                        0, 0, m_splitter.hwnd(), reinterpret_cast<HMENU>(IDC_PAGE_CONTAINER),
                        GetModuleHandleW(nullptr), nullptr);
    if (!m_tree || !container || !m_container.Subclass(container))
        return false;
    m_splitter.SetPanes(m_tree, container);
    m_splitter.SetPosition(splitterPosition);
    return true;
}

void PageSelector::SetPictures(int width, int height, int initialCount, int bitmapId,
                               COLORREF transparent) {
    m_pictureSource = {width, height, initialCount, bitmapId, transparent};
    LoadPictures();
    FitRows();
}

void PageSelector::LoadPictures() {
    const PictureSource& source = m_pictureSource;
    // The tree lets go of the old pictures before they are destroyed.
    PictureStrip pictures;
    if (source.bitmapId == 0 ||
        !LoadPictureStrip(pictures, source.bitmapId, m_dpi, source.width, source.height,
                          source.initialCount, 0, source.transparent)) {
        return;
    }
    SendMessageW(m_tree, TVM_SETIMAGELIST, TVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(pictures.list.get()));
    m_pictures = std::move(pictures);
}

// A row as high as its picture or its label, whichever is higher, with room
// above and below, so a label never touches the edge of its row.
void PageSelector::FitRows() {
    int pictureHeight = 0, pictureWidth = 0;
    if (m_pictures.list)
        ImageList_GetIconSize(m_pictures.list.get(), &pictureWidth, &pictureHeight);
    const int height =
        std::max(pictureHeight, TextHeight(m_tree)) + 2 * ScaleToDpi(kRowPadding, m_dpi);
    SendMessageW(m_tree, TVM_SETITEMHEIGHT, height, 0);
}

int PageSelector::PictureScale() const {
    int width = 0, height = 0;
    if (!m_pictures.list || !ImageList_GetIconSize(m_pictures.list.get(), &width, &height))
        return 100;
    return MulDiv(height, 100, m_pictureSource.height);
}

void PageSelector::SetDpi(UINT dpi) {
    if (dpi == 0 || dpi == m_dpi)
        return;
    m_dpi = dpi;
    LoadPictures();
    FitRows();
    InvalidateRect(m_tree, nullptr, TRUE);
}

// The tree paints a label's box only two pixels wider than its text at any
// DPI, and an italic label's last letter leans out of it. So the tree paints
// its text in the box's colour and the selector paints the label over it, in
// a box with room that grows with the DPI.
LRESULT PageSelector::OnTreeCustomDraw(NMTVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            m_labelText = draw.clrText;
            m_labelBack = draw.clrTextBk;
            draw.clrText = draw.clrTextBk;
            return CDRF_NOTIFYPOSTPAINT;
        case CDDS_ITEMPOSTPAINT:
            DrawLabel(draw.nmcd.hdc, reinterpret_cast<HTREEITEM>(draw.nmcd.dwItemSpec));
            return CDRF_DODEFAULT;
        default:
            return CDRF_DODEFAULT;
    }
}

void PageSelector::DrawLabel(HDC dc, HTREEITEM item) const {
    RECT box = {};
    std::memcpy(&box, &item, sizeof(item));  // TVM_GETITEMRECT takes the item in the rectangle
    wchar_t text[256] = {};
    TVITEMW label = {};
    label.mask = TVIF_TEXT | TVIF_STATE;
    label.hItem = item;
    label.pszText = text;
    label.cchTextMax = static_cast<int>(std::size(text));
    if (!SendMessageW(m_tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&box)) ||
        !SendMessageW(m_tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&label)) || !text[0]) {
        return;
    }
    const int length = static_cast<int>(wcslen(text));
    HGDIOBJ oldFont = SelectObject(dc, TreeFont(m_tree));
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text, length, &extent);
    const int padding = ScaleToDpi(kLabelPadding, m_dpi);
    const int left = padding + InkOverhang(dc, text[0], false);
    box.right = box.left + left + extent.cx + padding + InkOverhang(dc, text[length - 1], true);
    const COLORREF oldText = SetTextColor(dc, m_labelText);
    const COLORREF oldBack = SetBkColor(dc, m_labelBack);
    ExtTextOutW(dc, box.left + left, (box.top + box.bottom - extent.cy) / 2,
                ETO_OPAQUE | ETO_CLIPPED, &box, text, length, nullptr);
    if ((label.state & TVIS_SELECTED) && GetFocus() == m_tree)
        DrawFocusRect(dc, &box);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
    SelectObject(dc, oldFont);
}

void PageSelector::AddPage(HWND page, const std::wstring& title, int picture) {
    if (!m_tree || !Container())
        return;
    m_pages.push_back(page);
    std::wstring text = title;
    TVINSERTSTRUCTW insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = &text[0];
    insert.item.iImage = picture;
    insert.item.iSelectedImage = picture;
    insert.item.lParam = static_cast<LPARAM>(m_pages.size() - 1);
    SendMessageW(m_tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
}

void PageSelector::SelectFirstItem() {
    LRESULT first = SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0);
    SendMessageW(m_tree, TVM_SELECTITEM, TVGN_CARET, first);
}

void PageSelector::SettingChanged() {
    if (m_splitter.hwnd())
        SendMessageW(m_splitter.hwnd(), WM_SETTINGCHANGE, 0, 0);
}

void PageSelector::ShowPage(int index) {
    if (index == m_current || index < 0 || index >= static_cast<int>(m_pages.size()))
        return;
    if (m_current >= 0)
        ShowWindow(m_pages[m_current], SW_HIDE);
    m_current = index;
    FitCurrentPage(Repaint::No);
    ShowWindow(m_pages[m_current], SW_SHOW);
}

void PageSelector::FitCurrentPage(Repaint repaint) {
    if (m_current < 0)
        return;
    RECT client = {};
    GetClientRect(Container(), &client);
    MoveWindow(m_pages[m_current], 0, 0, client.right, client.bottom, repaint == Repaint::Yes);
}

LRESULT PageSelector::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            if (m_splitter.hwnd()) {
                MoveWindow(m_splitter.hwnd(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            }
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_NOTIFY: {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == IDC_PAGE_TREE && header->code == NM_CUSTOMDRAW)
                return OnTreeCustomDraw(*reinterpret_cast<NMTVCUSTOMDRAW*>(lParam));
            if (header->idFrom == IDC_PAGE_TREE && header->code == TVN_SELCHANGEDW) {
                const NMTREEVIEWW* change = reinterpret_cast<const NMTREEVIEWW*>(lParam);
                if (change->itemNew.hItem)
                    ShowPage(static_cast<int>(change->itemNew.lParam));
            }
            return 0;
        }
        default:
            break;
    }
    return Window::OnMessage(message, wParam, lParam);
}

LRESULT PageSelector::PageContainer::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE)
        m_owner.FitCurrentPage(Repaint::Yes);
    return Window::OnMessage(message, wParam, lParam);
}
