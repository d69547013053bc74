#pragma once
// Owners of user-interface handles, on the same template as the others.

#include <windows.h>
#include <commctrl.h>

#include "common/UniqueHandle.h"

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

// A 16-pixel image list (24-bit colour, pure green transparent) made from a
// bitmap resource strip; the bitmap is kept as long as the list.
struct PictureStrip {
    UniqueGdiObject<HBITMAP> bitmap;
    UniqueImageList list;
};
bool LoadPictureStrip(PictureStrip& strip, int bitmapId, int width, int height, int initialCount,
                      int grow = 0, COLORREF transparent = RGB(0, 255, 0));
