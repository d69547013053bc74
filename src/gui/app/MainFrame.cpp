#include "app/MainFrame.h"

#include <commctrl.h>

#include "app/AboutDialog.h"
#include "app/SkinLayer.h"
#include "app/VersionInfo.h"
#include "app/WebSite.h"
#include "text/LanguageTable.h"
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
    m_selector.Build(Item(IDC_PAGE_SELECTOR), kPageSelectorPosition);
    m_selector.SetPictures(48, 48, 10, IDB_PAGE_PICTURES, RGB(0, 255, 0));
    m_treeFont.reset(
        CreateFontW(15, 0, 0, 0, FW_HEAVY, TRUE, FALSE, FALSE, 0, 0, 0, 0, 0, L"Arial"));
    SendMessageW(m_selector.Tree(), WM_SETFONT, reinterpret_cast<WPARAM>(m_treeFont.get()), TRUE);
    SendMessageW(m_selector.Tree(), TVM_SETTEXTCOLOR, 0, m_treeTextColour);
    BuildPages();
    m_selector.SelectFirstItem();
    return TRUE;
}

void MainFrame::LocalizeMenuBar() {
    HMENU bar = GetMenu(m_hwnd);
    LocalizeMenu(bar);
    DrawMenuBar(m_hwnd);
}

void MainFrame::SetIcons() {
    m_bigIcon.reset(static_cast<HICON>(
        LoadImageW(ResourceInstance(), MAKEINTRESOURCEW(IDI_MAINFRAME), IMAGE_ICON,
                   GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0)));
    SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon.get()));
    m_smallIcon.reset(static_cast<HICON>(
        LoadImageW(ResourceInstance(), MAKEINTRESOURCEW(IDI_MAINFRAME), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
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

bool MainFrame::PreTranslateMessage(MSG& message) {
    return m_hwnd && IsDialogMessageW(m_hwnd, &message);
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

bool MainFrame::OnOtherMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
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
