// Pictures at the display scales 100, 150 and 200 %, and the page selector
// laid out for the DPI it is given.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "app/PageSelector.h"
#include "framework/Dpi.h"
#include "framework/UiHandles.h"
#include "resource.h"

TEST(DisplayScale, PicturesComeAtTheNearestScaleAndTheLargerWhenHalfway) {
    const std::pair<UINT, int> cases[] = {{96, 100},  {110, 100}, {120, 150}, {144, 150},
                                          {168, 200}, {192, 200}, {288, 200}};
    for (const auto& [dpi, scale] : cases)
        EXPECT_EQ(NearestPictureScale(dpi), scale) << dpi;
}

// Each strip: its id, its pictures' size at 100 % and their number.
TEST(DisplayScale, EveryPictureStripIsDrawnForEachScale) {
    const int strips[][3] = {{IDB_PAGE_PICTURES, 48, 1},
                             {IDB_CLEANER_RESULTS, 16, 3},
                             {IDB_CLEANER_TASKS, 16, 11},
                             {IDB_BACKUP_ROW, 16, 1},
                             {IDB_SEARCH_RESULTS, 16, 3}};
    for (const auto& [id, size, count] : strips) {
        for (UINT dpi : {96u, 144u, 192u}) {
            PictureStrip pictures;
            int width = 0, height = 0;
            ASSERT_TRUE(LoadPictureStrip(pictures, id, dpi, size, size, 2));
            ImageList_GetIconSize(pictures.list.get(), &width, &height);
            EXPECT_EQ(height, ScaleToDpi(size, dpi)) << id << " at " << dpi;
            EXPECT_EQ(ImageList_GetImageCount(pictures.list.get()), count) << id;
        }
    }
}

// A selector at each DPI, its one page selected, its labels in the main
// window's font for the DPI: the pictures of the scale nearest the DPI; and in
// a picture of the tree, the selected label's box (the run of its colour along
// the row's top line) holds the label's ink clear of its edges.
TEST(DisplayScale, PageSelectorPicturesAndLabelsFollowTheDpiItIsGiven) {
    HWND host = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 900, 600, nullptr, nullptr,
                                nullptr, nullptr);
    PageSelector selector;
    ASSERT_TRUE(selector.Build(CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, 900, 600, host,
                                               nullptr, nullptr, nullptr),
                               500));
    selector.SetPictures(48, 48, 1, IDB_PAGE_PICTURES, RGB(0, 255, 0));
    selector.AddPage(host, L"Registry Cleaner", 0);
    selector.SelectFirstItem();
    const HWND tree = selector.Tree();
    for (const auto& [dpi, scale] : {std::pair{144u, 150}, {96u, 100}, {192u, 200}}) {
        UniqueGdiObject<HFONT> font(CreateFontW(ScaleToDpi(15, dpi), 0, 0, 0, FW_HEAVY, TRUE, FALSE,
                                                FALSE, 0, 0, 0, 0, 0, L"Arial"));
        SendMessageW(tree, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        selector.SetDpi(dpi);
        EXPECT_EQ(selector.PictureScale(), scale) << dpi;
        RECT client = {}, label = {};
        GetClientRect(tree, &client);
        TreeView_GetItemRect(tree, TreeView_GetRoot(tree), &label, TRUE);
        HDC screen = GetDC(tree), dc = CreateCompatibleDC(screen);
        UniqueGdiObject<HBITMAP> picture(
            CreateCompatibleBitmap(screen, client.right, client.bottom));
        ReleaseDC(tree, screen);
        HGDIOBJ old = SelectObject(dc, picture.get());
        SendMessageW(tree, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
                     PRF_CLIENT | PRF_ERASEBKGND);
        const COLORREF box = GetPixel(dc, label.left, label.top);
        int right = label.left, inkLeft = client.right, inkRight = 0;
        while (right < client.right && GetPixel(dc, right, label.top) == box)
            ++right;
        for (int y = label.top; y < label.bottom; ++y) {
            for (int x = label.left; x < right; ++x) {
                if (GetPixel(dc, x, y) != box)
                    inkLeft = std::min(inkLeft, x), inkRight = std::max(inkRight, x);
            }
        }
        SelectObject(dc, old);
        DeleteDC(dc);
        ASSERT_LT(inkLeft, inkRight) << dpi;
        EXPECT_GE(inkLeft - label.left, ScaleToDpi(2, dpi)) << dpi;
        EXPECT_GE(right - 1 - inkRight, ScaleToDpi(2, dpi)) << dpi;
    }
    DestroyWindow(host);
}
