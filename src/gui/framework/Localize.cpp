#include "framework/Localize.h"

#include <string>
#include <vector>

#include "text/LanguageTable.h"

namespace {

constexpr int kWindowTextBuffer = 65535;

void LocalizeOneWindow(HWND window) {
    std::vector<wchar_t> buffer(kWindowTextBuffer);
    const int length = GetWindowTextW(window, buffer.data(), kWindowTextBuffer);
    // An empty text is left alone: there is no key to look up.
    if (length <= 0)
        return;
    std::wstring text = Language().GetText(std::wstring(buffer.data(), length));
    ExpandEscapes(text);
    if (!text.empty())
        SetWindowTextW(window, text.c_str());
}

BOOL CALLBACK LocalizeChild(HWND child, LPARAM) {
    LocalizeOneWindow(child);
    return TRUE;
}

}  // namespace

void LocalizeWindow(HWND window) {
    if (!window)
        return;
    LocalizeOneWindow(window);
    EnumChildWindows(window, &LocalizeChild, 0);
}

void LocalizeMenu(HMENU menu) {
    if (!IsMenu(menu))
        return;
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        if (HMENU submenu = GetSubMenu(menu, position))
            LocalizeMenu(submenu);
        const int length = GetMenuStringW(menu, position, nullptr, 0, MF_BYPOSITION);
        if (length <= 0)
            continue;
        std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
        GetMenuStringW(menu, position, buffer.data(), length + 1, MF_BYPOSITION);
        std::wstring text = Language().GetText(buffer.data());
        if (text.empty())
            continue;
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_STRING;
        item.dwTypeData = &text[0];
        SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item);
    }
}
