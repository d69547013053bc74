// The main window in-process: pages, switching, sizing, caption, menu and closing.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "GuiTestSupport.h"
#include "TestSupport.h"
#include "app/MainFrame.h"
#include "app/WebSite.h"
#include "text/LanguageTable.h"
#include "Version.h"
#include "resource.h"
#include "framework/Window.h"

namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_COOL_CLASSES};
        InitCommonControlsEx(&controls);
    }

    // Creates and shows the frame with the shipped language file, or one of the given lines.
    void Open(const std::vector<std::wstring>& lines = {}) {
        m_language = lines.empty() ? std::make_unique<LanguageFileScope>(ShippedLanguageFile())
                                   : std::make_unique<LanguageFileScope>(lines);
        m_frame = std::make_unique<MainFrame>();
        ASSERT_NE(m_frame->Create(nullptr), nullptr);
        ShowWindow(m_frame->hwnd(), SW_SHOWNORMAL);
    }

    void TearDown() override {
        m_frame.reset();
        m_language.reset();
        PumpMessages();
    }

    PageSelector& Selector() { return m_frame->Selector(); }

    // The text of the index-th item of the page tree, and its handle.
    std::wstring TreeItemText(int index) {
        wchar_t buffer[256] = {};
        TVITEMW item = {TVIF_TEXT, TreeItem(index), 0, 0, buffer, 256, 0, 0, 0, 0};
        SendMessageW(Selector().Tree(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return buffer;
    }
    HTREEITEM TreeItem(int index) {
        auto item = reinterpret_cast<HTREEITEM>(
            SendMessageW(Selector().Tree(), TVM_GETNEXTITEM, TVGN_ROOT, 0));
        for (int i = 0; i < index && item; ++i)
            item = TreeView_GetNextSibling(Selector().Tree(), item);
        return item;
    }

    static int Width(HWND window) {
        RECT rect = {};
        GetWindowRect(window, &rect);
        return rect.right - rect.left;
    }

    static int ClientWidth(HWND window) {
        RECT rect = {};
        GetClientRect(window, &rect);
        return rect.right;
    }

    std::unique_ptr<LanguageFileScope> m_language;
    std::unique_ptr<MainFrame> m_frame;
};

}  // namespace

TEST_F(MainWindowTest, StartsOnTheCleanerPageAndSelectingAnotherItemSwitchesPages) {
    Open();
    ASSERT_EQ(Selector().PageCount(), 3u);
    EXPECT_EQ(Selector().CurrentPage(), 0);
    EXPECT_EQ(SendMessageW(Selector().Tree(), TVM_GETNEXTITEM, TVGN_CARET, 0),
              reinterpret_cast<LRESULT>(TreeItem(0)));
    const HWND pages[] = {m_frame->CleanerPage().hwnd(), m_frame->SearchPage().hwnd(),
                          m_frame->BackupPage().hwnd()};
    const wchar_t* titles[] = {L"_PageRegistryCleanerTitle", L"_PageRegistrySearchTitle",
                               L"_PageRegistryBackupTitle"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(IsWindowVisible(pages[i]) != FALSE, i == 0);
        EXPECT_EQ(TreeItemText(i), GetText(titles[i]));
    }
    wchar_t text[64] = {};
    GetMenuStringW(GetMenu(m_frame->hwnd()), IDM_EXIT, text, sizeof(text), MF_BYCOMMAND);
    EXPECT_EQ(text, GetText(L"_Exit"));
    // The pages sit in the container and fill it.
    EXPECT_EQ(GetParent(pages[0]), Selector().Container());
    EXPECT_EQ(Width(pages[0]), ClientWidth(Selector().Container()));
    EXPECT_EQ(m_frame->CleanerPage().StatusText(), GetText(L"_PageRegistryCleanerState1"));
    EXPECT_EQ(WindowText(m_frame->CleanerPage().Item(IDC_SCAN)), GetText(L"_Scan"));

    for (int page : {2, 1}) {
        SendMessageW(Selector().Tree(), TVM_SELECTITEM, TVGN_CARET,
                     reinterpret_cast<LPARAM>(TreeItem(page)));
        EXPECT_EQ(Selector().CurrentPage(), page);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(IsWindowVisible(pages[i]) != FALSE, i == page) << page;
        EXPECT_EQ(Width(pages[page]), ClientWidth(Selector().Container()));
    }
}

TEST_F(MainWindowTest, ResizingTheWindowResizesOnlyThePageArea) {
    Open();
    const int treeWidth = Width(Selector().Tree());
    const int containerWidth = Width(Selector().Container());
    const int clientWidth = ClientWidth(m_frame->hwnd());
    // Its first width the splitter test shows.

    // The screen decides how large the frame may grow, so the frame shrinks
    // here: whatever width the client area loses, the page area alone gives.
    RECT frame = {};
    GetWindowRect(m_frame->hwnd(), &frame);
    SetWindowPos(m_frame->hwnd(), nullptr, 0, 0, frame.right - frame.left - 150,
                 frame.bottom - frame.top - 50, SWP_NOMOVE | SWP_NOZORDER);
    const int change = ClientWidth(m_frame->hwnd()) - clientWidth;
    ASSERT_EQ(change, -150);

    EXPECT_EQ(Width(Selector().Tree()), treeWidth);
    EXPECT_EQ(Width(Selector().Container()), containerWidth + change);
    EXPECT_EQ(Width(m_frame->CleanerPage().hwnd()), ClientWidth(Selector().Container()));
    // The page keeps its buttons at its right edge and widens its lists.
    RECT scan = {}, page = {};
    GetWindowRect(m_frame->CleanerPage().Item(IDC_SCAN), &scan);
    GetWindowRect(m_frame->CleanerPage().hwnd(), &page);
    const int scanToRight = page.right - scan.right;
    SetWindowPos(m_frame->hwnd(), nullptr, 0, 0, frame.right - frame.left - 250,
                 frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
    GetWindowRect(m_frame->CleanerPage().Item(IDC_SCAN), &scan);
    GetWindowRect(m_frame->CleanerPage().hwnd(), &page);
    EXPECT_EQ(page.right - scan.right, scanToRight);
}

TEST_F(MainWindowTest, CaptionIsNameAndVersionWhateverTheLanguageFileSays) {
    Open({L"ZazaDaziveveVivozed=A translated caption"});
    EXPECT_EQ(WindowText(m_frame->hwnd()), L"ZazaDaziveveVivozed (" ZDV_VERSION_TEXT L")");
}

TEST(WebSite, OnlyAWebAddressIsTakenFromTheSettings) {
    EXPECT_EQ(WebSiteAddressFrom(L"https://tools.example.org/"), L"https://tools.example.org");
    EXPECT_EQ(WebSiteAddressFrom(L"HTTP://tools.example.org"), L"HTTP://tools.example.org");
    EXPECT_EQ(WebSiteAddressFrom(L""), kFactoryWebSite);
    EXPECT_EQ(WebSiteAddressFrom(L"https://"), kFactoryWebSite);
    EXPECT_EQ(WebSiteAddressFrom(L"C:\\Windows\\System32\\calc.exe"), kFactoryWebSite);
    EXPECT_EQ(WebSiteAddressFrom(L"file:///C:/evil.exe"), kFactoryWebSite);
    EXPECT_EQ(WebSiteAddressFrom(L"https://a.example\" --flag"), kFactoryWebSite);
}

TEST_F(MainWindowTest, DraggingTheBarMovesTheBorderBetweenTreeAndPage) {
    Open();
    VerticalSplitter& splitter = Selector().Splitter();
    const int start = splitter.Position() + 1, page = Width(Selector().Container());
    SendMessageW(splitter.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(start, 10));
    SendMessageW(splitter.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(start + 50, 10));
    SendMessageW(splitter.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(start + 50, 10));
    EXPECT_EQ(Width(Selector().Tree()), kPageSelectorPosition + 50);
    EXPECT_EQ(Width(Selector().Container()), page - 50);
}
