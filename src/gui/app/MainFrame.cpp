#include "app/MainFrame.h"

#include <commctrl.h>

#include "app/AboutDialog.h"
#include "app/SkinLayer.h"
#include "app/VersionInfo.h"
#include "app/WebSite.h"
#include "text/LanguageTable.h"
#include "framework/Dpi.h"
#include "framework/Localize.h"
#include "resource.h"
#include "framework/Prompt.h"
#include "framework/ShellOpen.h"

MainFrame::MainFrame() : Dialog(IDD_MAINFRAME) {}

MainFrame::~MainFrame() {
    Destroy();
}

BOOL MainFrame::OnInitDialog() {
    CentreWindow(m_hwnd);
    LocalizeWindow(m_hwnd);
    LocalizeMenuBar();
    SkinWindow(m_hwnd, L"MainFrame");
    SkinDialogs(L"Dialog");
    SetIcons();
    if (MessageLoop* loop = Module().GetMessageLoop()) {
        loop->AddMessageFilter(this);
        loop->AddIdleHandler(this);
        m_registered = true;
    }
    SetWindowTextW(m_hwnd, ProductCaption().c_str());
    m_layout.Init(m_hwnd, {{IDC_PAGE_SELECTOR, kLayoutSizeX | kLayoutSizeY}});
    m_dpi = WindowDpi(m_hwnd);
    m_selector.Build(Item(IDC_PAGE_SELECTOR), ScaleToDpi(kPageSelectorPosition, m_dpi));
    m_selector.SetPictures(48, 48, 10, IDB_PAGE_PICTURES, RGB(0, 255, 0));
    SetTreeFont();
    SendMessageW(m_selector.Tree(), TVM_SETTEXTCOLOR, 0, m_treeTextColour);
    BuildPages();
    m_selector.SelectFirstItem();
    return TRUE;
}

void MainFrame::SetTreeFont() {
    m_treeFont.reset(CreateFontW(ScaleToDpi(15, m_dpi), 0, 0, 0, FW_HEAVY, TRUE, FALSE, FALSE, 0, 0,
                                 0, 0, 0, L"Arial"));
    SendMessageW(m_selector.Tree(), WM_SETFONT, reinterpret_cast<WPARAM>(m_treeFont.get()), TRUE);
}

// A move to a monitor of another scale: the system suggests the window's new
// place and size; the fonts, pictures and the splitter follow the new DPI.
void MainFrame::ChangeDpi(UINT dpi, const RECT& suggested) {
    const UINT old = m_dpi;
    m_dpi = dpi;
    SetTreeFont();
    m_selector.SetDpi(dpi);
    m_selector.Splitter().SetPosition(
        MulDiv(m_selector.Splitter().Position(), static_cast<int>(dpi), static_cast<int>(old)));
    SetWindowPos(m_hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client = {};
    GetClientRect(m_hwnd, &client);
    m_layout.Apply(client.right, client.bottom);
}

void MainFrame::LocalizeMenuBar() {
    HMENU bar = GetMenu(m_hwnd);
    LocalizeMenu(bar);
    DrawMenuBar(m_hwnd);
}

void MainFrame::SetIcons() {
    const UINT dpi = WindowDpi(m_hwnd);
    m_bigIcon.reset(static_cast<HICON>(
        LoadImageW(ResourceInstance(), MAKEINTRESOURCEW(IDI_MAINFRAME), IMAGE_ICON,
                   SystemMetricForDpi(SM_CXICON, dpi), SystemMetricForDpi(SM_CYICON, dpi), 0)));
    SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon.get()));
    m_smallIcon.reset(static_cast<HICON>(
        LoadImageW(ResourceInstance(), MAKEINTRESOURCEW(IDI_MAINFRAME), IMAGE_ICON,
                   SystemMetricForDpi(SM_CXSMICON, dpi), SystemMetricForDpi(SM_CYSMICON, dpi), 0)));
    SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.get()));
}

void MainFrame::BuildPages() {
    HWND container = m_selector.Container();
    m_cleaner.Create(container);
    m_search.Create(container);
    m_backup.Create(container);
    m_selector.AddPage(m_cleaner.hwnd(), GetText(L"_PageRegistryCleanerTitle"), 0);
    m_selector.AddPage(m_search.hwnd(), GetText(L"_PageRegistrySearchTitle"), 0);
    m_selector.AddPage(m_backup.hwnd(), GetText(L"_PageRegistryBackupTitle"), 0);
}

PageDialog* MainFrame::CurrentPage() {
    for (PageDialog* page :
         {static_cast<PageDialog*>(&m_cleaner), static_cast<PageDialog*>(&m_search),
          static_cast<PageDialog*>(&m_backup)}) {
        if (page->hwnd() && IsWindowVisible(page->hwnd()))
            return page;
    }
    return nullptr;
}

// Ctrl+Tab and Ctrl+Shift+Tab: the next or the previous page, round.
void MainFrame::SwitchPage(bool forward) {
    HWND tree = m_selector.Tree();
    const HTREEITEM current = TreeView_GetSelection(tree);
    HTREEITEM next =
        forward ? TreeView_GetNextSibling(tree, current) : TreeView_GetPrevSibling(tree, current);
    if (next == nullptr) {
        next = TreeView_GetRoot(tree);
        if (!forward) {
            for (HTREEITEM item = next; item != nullptr; item = TreeView_GetNextSibling(tree, item))
                next = item;
        }
    }
    if (next != nullptr)
        TreeView_SelectItem(tree, next);
}

bool MainFrame::PreTranslateMessage(MSG& message) {
    if (!m_hwnd)
        return false;
    const bool inWindow = message.hwnd == m_hwnd || IsChild(m_hwnd, message.hwnd);
    if (inWindow && message.message == WM_KEYDOWN) {
        if (message.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
            SwitchPage(GetKeyState(VK_SHIFT) >= 0);
            return true;
        }
        PageDialog* page = CurrentPage();
        if (page != nullptr && page->OnShortcut(message))
            return true;
        // Escape never closes the window: only Exit and the close box do.
        if (message.wParam == VK_ESCAPE)
            return true;
    }
    return IsDialogMessageW(m_hwnd, &message);
}

bool MainFrame::OnCommand(int id, int, HWND) {
    switch (id) {
        case IDM_EXIT:
            Close();
            return true;
        case IDM_HELP:
            OpenInShell(m_hwnd, WebPageUrl(WebPage::Help));
            return true;
        case IDM_WEBSITE:
            OpenInShell(m_hwnd, WebPageUrl(WebPage::Home));
            return true;
        case IDM_SUPPORT:
            OpenInShell(m_hwnd, WebPageUrl(WebPage::Support));
            return true;
        case IDM_ABOUT: {
            AboutDialog about;
            about.DoModal(GetActiveWindow());
            return true;
        }
        default:
            return false;
    }
}

void MainFrame::Close() {
    if (m_cleaner.ScanRunning() && !AskYesNo(m_hwnd, GetText(L"_MainDialogCancelConfirm"))) {
        return;
    }
    // Closing does not stop the editor: it finishes its export or import alone.
    if (m_backup.EditorRunning() && !AskYesNo(m_hwnd, GetText(L"_MainDialogEditorRunningConfirm")))
        return;
    DestroyWindow(m_hwnd);
    PostQuitMessage(IDM_EXIT);
}

void MainFrame::OnSize(UINT type, int width, int height) {
    if (type != SIZE_MINIMIZED)
        m_layout.Apply(width, height);
}

bool MainFrame::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_DPICHANGED) {
        ChangeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        result = 0;
        return true;
    }
    if (message != WM_SETTINGCHANGE)
        return false;
    m_selector.SettingChanged();
    result = 0;
    return true;
}

void MainFrame::OnDestroy() {
    if (!m_registered)
        return;
    if (MessageLoop* loop = Module().GetMessageLoop()) {
        loop->RemoveMessageFilter(this);
        loop->RemoveIdleHandler(this);
    }
    m_registered = false;
}
