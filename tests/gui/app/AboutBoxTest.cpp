// The about box and its links.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "TestSupport.h"
#include "app/AboutDialog.h"
#include "app/WebSite.h"
#include "text/LanguageTable.h"
#include "Version.h"
#include "resource.h"
#include "framework/ShellOpen.h"

namespace {

class AboutBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_COOL_CLASSES};
        InitCommonControlsEx(&controls);
        CoInitialize(nullptr);
        ASSERT_NE(about.Create(nullptr), nullptr);
    }
    void TearDown() override { CoUninitialize(); }
    LanguageFileScope m_language = LanguageFileScope(ShippedLanguageFile());
    AboutDialog about;
};

}  // namespace

TEST_F(AboutBoxTest, ShowsNameVersionThanksAndLinksThatOpenTheWebSite) {
    EXPECT_EQ(WindowText(about.Item(IDC_APP_NAME)), L"ZazaDaziveveVivozed");
    EXPECT_EQ(WindowText(about.Item(IDC_APP_VERSION)), L"" ZDV_VERSION_TEXT);
    EXPECT_EQ(WindowText(about.Item(IDC_THANKS_LIST)), GetText(L"_Thankyoulist", 1));
    EXPECT_GT(SendMessageW(about.Item(IDC_THANKS_LIST), EM_GETLINECOUNT, 0, 0), 1);
    EXPECT_EQ(about.WebsiteLink().Url(), WebSiteAddress() + L"/kestrun/index.htm");
    EXPECT_EQ(about.SupportLink().Url(), WebSiteAddress() + L"/kestrun/support.htm");

    // A link opens on a click released on its text, or on Enter.
    std::vector<std::wstring> opened;
    bool opens = true;
    ShellOpener previous = SetShellOpener([&](HWND, const std::wstring& target) {
        opened.push_back(target);
        return opens;
    });
    HyperLink& link = about.WebsiteLink();
    const RECT text = link.LinkRect();
    // Released outside the text: nothing opens.
    SendMessageW(link.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(text.left + 1, 1));
    SendMessageW(link.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(text.right + 40, 1));
    EXPECT_TRUE(opened.empty());
    SendMessageW(link.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(text.left + 1, 1));
    SendMessageW(link.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(text.left + 2, 1));
    EXPECT_TRUE(link.Visited());
    // A failed open leaves the other link unvisited.
    opens = false;
    SendMessageW(about.SupportLink().hwnd(), WM_CHAR, VK_RETURN, 0);
    SetShellOpener(previous);
    EXPECT_EQ(opened, (std::vector<std::wstring>{link.Url(), about.SupportLink().Url()}));
    EXPECT_FALSE(about.SupportLink().Visited());

    HWND box = about.hwnd();
    SendMessageW(box, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindow(box));
}
