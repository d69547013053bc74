#include "app/PageSelector.h"

#include <commctrl.h>

#include "resource.h"
#include "framework/Dialog.h"

namespace {

constexpr DWORD kTreeStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_SHOWSELALWAYS;
constexpr DWORD kContainerStyle = WS_CHILD | WS_VISIBLE | WS_BORDER;

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
    if (!LoadPictureStrip(m_pictures, bitmapId, width, height, initialCount, 0, transparent)) {
        return;
    }
    SendMessageW(m_tree, TVM_SETIMAGELIST, TVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(m_pictures.list.get()));
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
