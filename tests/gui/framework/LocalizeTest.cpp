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
    LanguageFileScope language{std::vector<std::wstring>{
        L"_Two=First line\\r\\nSecond line", L"_Empty=", L"_Item=An item\\r\\nwith escapes"}};
    HWND top = CreateWindowExW(0, L"Static", L"_Two", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
    const wchar_t* texts[] = {L"_Unknown\\r\\nkey", L"_Empty", L"Plain text", L""};
    std::vector<HWND> children;
    for (const wchar_t* text : texts) {
        children.push_back(CreateWindowExW(0, L"Static", text, WS_CHILD, 0, 0, 10, 10, top, nullptr,
                                           nullptr, nullptr));
    }
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"_Item");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    LocalizeWindow(top);
    LocalizeMenu(menu);

    std::vector<std::wstring> shown = {WindowText(top)};
    for (HWND child : children)
        shown.push_back(WindowText(child));
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"First line\r\nSecond line", L"_Unknown\r\nkey",
                                                L"_Empty", L"Plain text", L""}));
    wchar_t item[64] = {};
    GetMenuStringW(menu, 0, item, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(item), L"An item\\r\\nwith escapes");
    EXPECT_TRUE(GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(menu, 0), 1u);
    DestroyMenu(menu);
    DestroyWindow(top);
}
