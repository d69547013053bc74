// Translating real windows and menus through a language file.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

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

class LocalizeTest : public ::testing::Test {
  protected:
    LanguageFileScope m_language{std::vector<std::string>{
        "_Caption=Translated caption", "_Button=First line\\r\\nSecond line", "_Nested=Deep inside",
        "_Empty=", "_Top=&Top", "_Item=An item\\r\\nwith escapes", "_Sub=Submenu",
        "_Deep=Deep item"}};
};

HWND Child(const char* className, const char* text, HWND parent) {
    return CreateWindowExA(0, className, text, WS_CHILD, 0, 0, 10, 10, parent, nullptr, nullptr,
                           nullptr);
}

}  // namespace

TEST_F(LocalizeTest, WindowCaptionAndEveryDescendantAreTranslated) {
    HWND top = CreateWindowExA(0, "Static", "_Caption", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
    ASSERT_NE(top, nullptr);
    HWND button = Child("Button", "_Button", top);
    HWND holder = Child("Static", "_Unknown\\r\\nkey", top);
    HWND nested = Child("Static", "_Nested", holder);
    HWND empty = Child("Static", "", top);
    HWND placeholder = Child("Static", "Static", top);
    HWND emptyText = Child("Static", "_Empty", top);

    LocalizeWindow(top);

    EXPECT_EQ(WindowText(top), "Translated caption");
    EXPECT_EQ(WindowText(button), "First line\r\nSecond line");
    // A missing key keeps its text, with its escapes expanded as a window text.
    EXPECT_EQ(WindowText(holder), "_Unknown\r\nkey");
    EXPECT_EQ(WindowText(nested), "Deep inside");
    EXPECT_EQ(WindowText(empty), "");
    EXPECT_EQ(WindowText(placeholder), "Static");
    EXPECT_EQ(WindowText(emptyText), "_Empty");
    // Code that fetches a text itself sees the escapes unless it asks for them.
    EXPECT_EQ(GetText("_Button"), "First line\\r\\nSecond line");
    EXPECT_EQ(GetText("_Unknown\\r\\nkey"), "_Unknown\\r\\nkey");
    DestroyWindow(top);
}

TEST_F(LocalizeTest, MenuItemsAndSubmenusAreTranslatedWithoutEscapes) {
    HMENU bar = CreateMenu();
    HMENU top = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    AppendMenuA(sub, MF_STRING, 3, "_Deep");
    AppendMenuA(top, MF_STRING, 1, "_Item");
    AppendMenuA(top, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(top, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "_Sub");
    AppendMenuA(top, MF_STRING, 2, "_NotInTheFile");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(top), "_Top");

    LocalizeMenu(bar);

    EXPECT_EQ(MenuText(bar, 0), "&Top");
    EXPECT_EQ(MenuText(top, 0), "An item\\r\\nwith escapes");
    EXPECT_EQ(MenuText(top, 1), "");
    MENUITEMINFOA separator = {};
    separator.cbSize = sizeof(separator);
    separator.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(top, 1, TRUE, &separator);
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
    EXPECT_EQ(MenuText(top, 2), "Submenu");
    EXPECT_EQ(MenuText(sub, 0), "Deep item");
    EXPECT_EQ(MenuText(top, 3), "_NotInTheFile");
    EXPECT_EQ(GetMenuItemID(sub, 0), 3u);

    LocalizeMenu(nullptr);
    DestroyMenu(bar);
}
