// Translating real windows and menus through a language file. (Every window
// test proves that keys become their texts; these are the finer rules.)

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "framework/Localize.h"
#include "framework/Window.h"

TEST(Localize, WindowTextsExpandEscapesMenuTextsDoNotAndUnknownOrEmptyKeysStay) {
    LanguageFileScope language{std::vector<std::string>{
        "_Two=First line\\r\\nSecond line", "_Empty=", "_Item=An item\\r\\nwith escapes"}};
    HWND top = CreateWindowExA(0, "Static", "_Two", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
    const char* texts[] = {"_Unknown\\r\\nkey", "_Empty", "Plain text", ""};
    std::vector<HWND> children;
    for (const char* text : texts) {
        children.push_back(CreateWindowExA(0, "Static", text, WS_CHILD, 0, 0, 10, 10, top, nullptr,
                                           nullptr, nullptr));
    }
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 1, "_Item");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    LocalizeWindow(top);
    LocalizeMenu(menu);

    std::vector<std::string> shown = {WindowText(top)};
    for (HWND child : children)
        shown.push_back(WindowText(child));
    EXPECT_EQ(shown, (std::vector<std::string>{"First line\r\nSecond line", "_Unknown\r\nkey",
                                               "_Empty", "Plain text", ""}));
    char item[64] = {};
    GetMenuStringA(menu, 0, item, sizeof(item), MF_BYPOSITION);
    EXPECT_STREQ(item, "An item\\r\\nwith escapes");
    EXPECT_TRUE(GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(menu, 0), 1u);
    DestroyMenu(menu);
    DestroyWindow(top);
}
