#pragma once
// Owners of user-interface handles, on the same template as the others.

#include <windows.h>
#include <commctrl.h>

#include "common/UniqueHandle.h"
#include "framework/Dpi.h"

struct IconTraits {
    using Type = HICON;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type icon) noexcept { DestroyIcon(icon); }
};
using UniqueIcon = UniqueHandle<IconTraits>;

struct ImageListTraits {
    using Type = HIMAGELIST;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type list) noexcept { ImageList_Destroy(list); }
};
using UniqueImageList = UniqueHandle<ImageListTraits>;

// An image list (24-bit colour, the transparent colour masked out) made from
// a bitmap resource strip of width x height pictures at 96 DPI, in the strip
// drawn for the scale nearest dpi: resource bitmapId at 100 %, bitmapId +
// kPictureScaleIdStep at 150 % and bitmapId + 2 * kPictureScaleIdStep at 200 %,
// whose pictures are that much larger. The bitmap is kept as long as the list.
constexpr int kPictureScaleIdStep = 100;
struct PictureStrip {
    UniqueGdiObject<HBITMAP> bitmap;
    UniqueImageList list;
};
bool LoadPictureStrip(PictureStrip& strip, int bitmapId, UINT dpi, int width, int height,
                      int initialCount, int grow = 0, COLORREF transparent = RGB(0, 255, 0));
