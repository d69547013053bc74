// The window at 150 % display scale ("LogPixels" 144, read by each new process
// of the prefix: the checks run in a child process, and the test folder holds
// the lock that keeps other window tests from starting meanwhile), and the
// manifest that asks for the scale and the user's own rights.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "GuiTestSupport.h"
#include "TestSupport.h"
#include "app/MainFrame.h"
#include "framework/Dpi.h"
#include "settings/ModulePath.h"
#include "text/LanguageTable.h"

namespace {

const wchar_t kChildFlag[] = L"ZDV_DPI_CHILD";

bool ControlClassIs(HWND control, const wchar_t* name) {
    wchar_t found[32] = {};
    GetClassNameW(control, found, 32);
    return lstrcmpiW(found, name) == 0;
}

std::wstring Text(HWND control) {
    std::wstring text = WindowText(control);
    text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());
    return text;
}

// Every visible control of a page: the text fits its box (a check box's text
// beside its box), and no two controls overlap but a group box and its boxes.
void ExpectControlsFit(HWND page, UINT dpi) {
    std::vector<HWND> controls;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child))
            controls.push_back(child);
    }
    auto isGroup = [](HWND control) {
        return (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX &&
               WindowText(control).size() > 0 && ControlClassIs(control, L"Button");
    };
    // Every button and check box has an access key, unique on the page and
    // beside the menu bar's (File, About).
    std::wstring keys = L"FA";
    for (HWND control : controls) {
        const std::wstring label = WindowText(control);
        const std::size_t mark = label.find(L'&');
        if (!ControlClassIs(control, L"Button") || isGroup(control))
            continue;
        ASSERT_LT(mark + 1, label.size()) << label;
        const wchar_t key = static_cast<wchar_t>(towupper(label[mark + 1]));
        EXPECT_EQ(keys.find(key), std::wstring::npos)
            << label << L" repeats " << std::wstring(1, key);
        keys += key;
    }
    for (HWND control : controls) {
        const std::wstring text = Text(control);
        if (!text.empty() && !isGroup(control)) {
            HDC dc = GetDC(control);
            HGDIOBJ old =
                SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
            SIZE extent = {};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            SelectObject(dc, old);
            ReleaseDC(control, dc);
            RECT client = {};
            GetClientRect(control, &client);
            const LONG style = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
            const bool box = ControlClassIs(control, L"Button") &&
                             (style == BS_AUTOCHECKBOX || style == BS_CHECKBOX);
            EXPECT_LE(extent.cx + (box ? ScaleToDpi(16, dpi) : 0), client.right) << text;
            EXPECT_LE(extent.cy, client.bottom) << text;
        }
        for (HWND other : controls) {
            RECT a = {}, b = {}, both = {};
            GetWindowRect(control, &a);
            GetWindowRect(other, &b);
            if (other < control && !isGroup(control) && !isGroup(other)) {
                EXPECT_FALSE(IntersectRect(&both, &a, &b))
                    << Text(control) << L" " << GetDlgCtrlID(control) << L" overlaps "
                    << Text(other) << L" " << GetDlgCtrlID(other);
            }
        }
    }
}

}  // namespace

TEST(WindowAt144Dpi, ControlsFitThePicturesAreSharpAndADpiChangeMovesTheWindow) {
    wchar_t flag[8] = {};
    if (GetEnvironmentVariableW(kChildFlag, flag, 8) == 0) {
        // The parent: sets the scale for new processes, runs this test again
        // as a child, and puts the scale back.
        const wchar_t desktop[] = L"Control Panel\\Desktop";
        PlantDword(HKEY_CURRENT_USER, desktop, L"LogPixels", 144);
        SetEnvironmentVariableW(kChildFlag, L"1");
        ChildProgram child(ModulePath(nullptr), L"--gtest_filter=WindowAt144Dpi.* --gtest_brief=1");
        const long status = child.WaitForExit(60000);
        SetEnvironmentVariableW(kChildFlag, nullptr);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, desktop, L"LogPixels");
        EXPECT_EQ(status, 0) << L"the checks at 144 DPI failed: run with " << kChildFlag << L"=1";
        return;
    }
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    LanguageFileScope language(ShippedLanguageFile());
    MainFrame frame;
    ASSERT_NE(frame.Create(nullptr), nullptr);
    ShowWindow(frame.hwnd(), SW_SHOWNORMAL);
    ASSERT_EQ(WindowDpi(frame.hwnd()), 144u);
    EXPECT_EQ(frame.Selector().PictureScale(), 150);
    HWND tree = frame.Selector().Tree();
    for (HTREEITEM item = TreeView_GetRoot(tree); item;
         item = TreeView_GetNextSibling(tree, item)) {
        TreeView_SelectItem(tree, item);
        ExpectControlsFit(frame.Selector().Page(frame.Selector().CurrentPage()), 144);
    }
    RECT suggested = {40, 30, 40 + 900, 30 + 650};
    SendMessageW(frame.hwnd(), WM_DPICHANGED, MAKEWPARAM(192, 192),
                 reinterpret_cast<LPARAM>(&suggested));
    RECT now = {};
    GetWindowRect(frame.hwnd(), &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    EXPECT_EQ(frame.Dpi(), 192u);
    EXPECT_EQ(frame.Selector().PictureScale(), 200);
    RECT client = {}, selector = {};
    GetClientRect(frame.hwnd(), &client);
    GetClientRect(frame.Selector().Container(), &selector);
    EXPECT_GT(selector.right, client.right / 2);  // the pages took the new room
}

// The system draws the window at the monitor's own scale, and a standard user
// runs the program as himself (the registry editor's level).
TEST(Manifest, AsksForPerMonitorScaleAndTheHighestLevelTheUserHas) {
    HMODULE program = LoadLibraryExW((BuildFolder() + L"\\ZazaDaziveveVivozed.exe").c_str(),
                                     nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(program, found))),
                               SizeofResource(program, found));
    FreeLibrary(program);
    for (const char* setting :
         {"level=\"highestAvailable\"", ">PerMonitorV2, PerMonitor<", ">true/pm<"})
        EXPECT_NE(manifest.find(setting), std::string::npos) << setting;
}
