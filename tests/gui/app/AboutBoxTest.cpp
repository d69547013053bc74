// The about box and its links, and the link colours from the browser settings.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "GuiTestSupport.h"
#include "TestSupport.h"
#include "app/AboutDialog.h"
#include "app/WebSite.h"
#include "text/LanguageTable.h"
#include "Version.h"
#include "resource.h"
#include "framework/ShellOpen.h"

namespace {

// Records what is opened and answers with the given success.
class RecordingOpener {
  public:
    explicit RecordingOpener(bool succeed) {
        m_previous = SetShellOpener([this, succeed](HWND, const std::string& target) {
            opened.push_back(target);
            return succeed;
        });
    }
    ~RecordingOpener() { SetShellOpener(m_previous); }
    std::vector<std::string> opened;

  private:
    ShellOpener m_previous;
};

constexpr char kBrowserSettings[] = "Software\\Microsoft\\Internet Explorer\\Settings";

class AboutBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_COOL_CLASSES};
        InitCommonControlsEx(&controls);
        CoInitialize(nullptr);
    }
    void TearDown() override { CoUninitialize(); }
    LanguageFileScope m_language = LanguageFileScope(ShippedLanguageFile());
};

}  // namespace

TEST_F(AboutBoxTest, ShowsNameVersionThanksAndLinksToTheWebSite) {
    AboutDialog about;
    ASSERT_NE(about.Create(nullptr), nullptr);
    EXPECT_EQ(WindowText(about.Item(IDC_APP_NAME)), "ZazaDaziveveVivozed");
    EXPECT_EQ(WindowText(about.Item(IDC_APP_VERSION)), ZDV_VERSION_TEXT);
    EXPECT_EQ(WindowText(about.hwnd()), GetText("_AboutDialog"));
    const std::string thanks = WindowText(about.Item(IDC_THANKS_LIST));
    EXPECT_EQ(thanks, GetText("_Thankyoulist", 1));
    EXPECT_NE(thanks.find("\r\n"), std::string::npos) << "the thanks list spans several lines";
    EXPECT_GT(SendMessageA(about.Item(IDC_THANKS_LIST), EM_GETLINECOUNT, 0, 0), 1);

    const std::string site = WebSiteAddress();
    EXPECT_EQ(about.WebsiteLink().Url(), site + "/kestrun/index.htm");
    EXPECT_EQ(about.SupportLink().Url(), site + "/kestrun/support.htm");
    EXPECT_EQ(about.WebsiteLink().Text(), GetText("_Websitelink"));
    EXPECT_EQ(WindowText(about.Item(IDC_SUPPORT_LINK)), GetText("_Supportlink"));
    EXPECT_TRUE(GetWindowLongA(about.Item(IDC_WEBSITE_LINK), GWL_STYLE) & SS_NOTIFY);

    HWND box = about.hwnd();
    SendMessageA(box, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindow(box));
}

TEST_F(AboutBoxTest, LinkOpensOnAClickReleasedOnItsTextAndThenShowsVisited) {
    AboutDialog about;
    ASSERT_NE(about.Create(nullptr), nullptr);
    HyperLink& link = about.WebsiteLink();
    const RECT text = link.LinkRect();
    ASSERT_GT(text.right, text.left);
    EXPECT_EQ(link.TextColour(), link.Colours().link);
    {
        RecordingOpener opener(true);
        // Released outside the text: nothing opens.
        SendMessageA(link.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(text.left + 1, 1));
        SendMessageA(link.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(text.right + 40, 1));
        EXPECT_TRUE(opener.opened.empty());
        EXPECT_FALSE(link.Visited());

        SendMessageA(link.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(text.left + 1, 1));
        SendMessageA(link.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(text.left + 2, 1));
        ASSERT_EQ(opener.opened.size(), 1u);
        EXPECT_EQ(opener.opened[0], link.Url());
        EXPECT_TRUE(link.Visited());
        EXPECT_EQ(link.TextColour(), link.Colours().visited);
    }
    {
        // A failed open leaves the other link unvisited; Enter opens too.
        RecordingOpener opener(false);
        HyperLink& support = about.SupportLink();
        EXPECT_EQ(SendMessageA(support.hwnd(), WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS);
        SendMessageA(support.hwnd(), WM_CHAR, VK_RETURN, 0);
        ASSERT_EQ(opener.opened.size(), 1u);
        EXPECT_EQ(opener.opened[0], support.Url());
        EXPECT_FALSE(support.Visited());
    }
}

TEST(HyperLinkColours, ComeFromTheBrowserSettingsWhenThreeNumbersAreGiven) {
    PlantedKey settings(HKEY_CURRENT_USER, kBrowserSettings);
    const COLORREF blue = RGB(0, 0, 255), purple = RGB(128, 0, 128);
    const struct {
        const char *link, *visited;
        COLORREF linkColour, visitedColour;
    } cases[] = {
        {"255,0,0", "0,128,64", RGB(255, 0, 0), RGB(0, 128, 64)},
        {"12,34", "1,2,3,4", blue, purple},
        {"300,0,0", "100,100,100,100,100", blue, purple},
    };
    for (const auto& c : cases) {
        settings.String("Anchor Color", c.link);
        settings.String("Anchor Color Visited", c.visited);
        LinkColours colours = ReadLinkColours();
        EXPECT_EQ(colours.link, c.linkColour) << c.link;
        EXPECT_EQ(colours.visited, c.visitedColour) << c.visited;
    }
}

TEST(HyperLinkColours, AreUsedByALinkMadeAfterTheyWereSet) {
    PlantedKey settings(HKEY_CURRENT_USER, kBrowserSettings);
    settings.String("Anchor Color", "10,20,30");
    HWND parent = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 200, 50, nullptr, nullptr,
                                  nullptr, nullptr);
    HWND label = CreateWindowExA(0, "Static", "Home", WS_CHILD | WS_VISIBLE | SS_RIGHT, 0, 0, 200,
                                 20, parent, nullptr, nullptr, nullptr);
    HyperLink link;
    ASSERT_TRUE(link.SubclassStatic(label));
    EXPECT_EQ(link.Url(), "Home");
    EXPECT_EQ(link.TextColour(), RGB(10, 20, 30));
    // Right-aligned text is clickable only where it is drawn.
    EXPECT_EQ(link.LinkRect().right, 200);
    EXPECT_GT(link.LinkRect().left, 100);
    DestroyWindow(parent);
    EXPECT_EQ(link.hwnd(), nullptr);
}
