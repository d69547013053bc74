#include "framework/UiHandles.h"

#include "framework/Dialog.h"

namespace {

HBITMAP LoadStripBitmap(int bitmapId) {
    return static_cast<HBITMAP>(LoadImageW(ResourceInstance(), MAKEINTRESOURCEW(bitmapId),
                                           IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

}  // namespace

bool LoadPictureStrip(PictureStrip& strip, int bitmapId, UINT dpi, int width, int height,
                      int initialCount, int grow, COLORREF transparent) {
    int scale = NearestPictureScale(dpi);
    strip.bitmap.reset(LoadStripBitmap(bitmapId + (scale - 100) / 50 * kPictureScaleIdStep));
    // A strip drawn only at 100 % still shows, small.
    if (!strip.bitmap) {
        scale = 100;
        strip.bitmap.reset(LoadStripBitmap(bitmapId));
    }
    strip.list.reset(ImageList_Create(MulDiv(width, scale, 100), MulDiv(height, scale, 100),
                                      ILC_COLOR24 | ILC_MASK, initialCount, grow));
    if (!strip.list || !strip.bitmap)
        return false;
    return ImageList_AddMasked(strip.list.get(), strip.bitmap.get(), transparent) >= 0;
}
