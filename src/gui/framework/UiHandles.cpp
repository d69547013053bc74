#include "framework/UiHandles.h"

#include "framework/Dialog.h"

bool LoadPictureStrip(PictureStrip& strip, int bitmapId, int width, int height, int initialCount,
                      int grow, COLORREF transparent) {
    strip.list.reset(ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, initialCount, grow));
    strip.bitmap.reset(static_cast<HBITMAP>(LoadImageW(
        ResourceInstance(), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!strip.list || !strip.bitmap)
        return false;
    return ImageList_AddMasked(strip.list.get(), strip.bitmap.get(), transparent) >= 0;
}
