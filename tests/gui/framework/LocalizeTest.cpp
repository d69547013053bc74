// Translating real windows and menus through a language file.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "text/LanguageTable.h"
#include "framework/Localize.h"
#include "framework/Window.h"

namespace {

std::string MenuText(HMENU menu, int position) {
    char buffer[512] = {};
    GetMenuStringA(menu, position, buffer, sizeof(buffer), MF_BYPOSITION);
    return buffer;
}

HWND Child(const char* text, HWND parent) {
    return CreateWindowExA(0, "Static", text, WS_CHILD, 0, 0, 10, 10, parent, nullptr, nullptr,
                           nullptr);
}

class LocalizeTest : public ::testing::Test {
  protected:
    LanguageFileScope m_language{std::vector<std::string>{
        "_Caption=Translated caption", "_Button=First line\\r\\nSecond line", "_Nested=Deep inside",
        "_Empty=", "_Top=&Top", "_Item=An item\\r\\nwith escapes", "_Sub=Submenu"}};
};

}  // namespace

TEST_F(LocalizeTest, WindowCaptionAndEveryDescendantAreTranslated) {
    HWND top = CreateWindowExA(0, "Static", "_Caption", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
    const struct {
        const char *text, *shown;
    } cases[] = {
        {"_Button", "First line\r\nSecond line"},
        // A missing key keeps its text, with its escapes expanded as a window text.
        {"_Unknown\\r\\nkey", "_Unknown\r\nkey"},
        {"", ""},
        {"Static", "Static"},
        {"_Empty", "_Empty"},
    };
    std::vector<HWND> children;
    for (const auto& c : cases)
        children.push_back(Child(c.text, top));
    HWND nested = Child("_Nested", children[1]);

    LocalizeWindow(top);

    EXPECT_EQ(WindowText(top), "Translated caption");
    EXPECT_EQ(WindowText(nested), "Deep inside");
    for (std::size_t i = 0; i < children.size(); ++i)
        EXPECT_EQ(WindowText(children[i]), cases[i].shown) << cases[i].text;
    DestroyWindow(top);
}

TEST_F(LocalizeTest, MenuItemsAndSubmenusAreTranslatedWithoutEscapes) {
    HMENU bar = CreateMenu(), top = CreatePopupMenu(), sub = CreatePopupMenu();
    AppendMenuA(sub, MF_STRING, 3, "_Nested");
    AppendMenuA(top, MF_STRING, 1, "_Item");
    AppendMenuA(top, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(top, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "_Sub");
    AppendMenuA(top, MF_STRING, 2, "_NotInTheFile");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(top), "_Top");

    LocalizeMenu(bar);

    EXPECT_EQ(MenuText(bar, 0), "&Top");
    EXPECT_EQ(MenuText(top, 0), "An item\\r\\nwith escapes");
    EXPECT_TRUE(GetMenuState(top, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(MenuText(top, 2), "Submenu");
    EXPECT_EQ(MenuText(sub, 0), "Deep inside");
    EXPECT_EQ(MenuText(top, 3), "_NotInTheFile");
    EXPECT_EQ(GetMenuItemID(sub, 0), 3u);
    DestroyMenu(bar);
}
