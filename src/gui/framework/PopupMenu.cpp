#include "framework/PopupMenu.h"

namespace {

PopupMenuHook& CurrentPopupMenuHook() {
    static PopupMenuHook hook;
    return hook;
}

}  // namespace

int SkinTrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
    if (CurrentPopupMenuHook())
        return CurrentPopupMenuHook()(menu, flags, owner);
    return static_cast<int>(TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr));
}

PopupMenuHook SetPopupMenuHook(PopupMenuHook hook) {
    PopupMenuHook previous = std::move(CurrentPopupMenuHook());
    CurrentPopupMenuHook() = std::move(hook);
    return previous;
}
