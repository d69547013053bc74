#include "app/SkinLayer.h"

void SkinStart(HINSTANCE, const char*) {}

void SkinLoadFile(const std::string&) {}

void SkinWindow(HWND, const char*) {}

void SkinDialogs(const char*) {}

int SkinTrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
    return static_cast<int>(TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr));
}

void SkinShutdown() {}
