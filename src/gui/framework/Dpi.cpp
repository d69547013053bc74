#include "framework/Dpi.h"

#include <cstdlib>
#include <initializer_list>

UINT WindowDpi(HWND window) {
    // Looked up: Windows 7 and 8 have no such call, and a static import would
    // keep the program from starting there.
    using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        reinterpret_cast<GetDpiForWindowCall>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr && window != nullptr) {
        if (const UINT dpi = getDpiForWindow(window))
            return dpi;
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

int NearestPictureScale(UINT dpi) {
    const int percent = MulDiv(static_cast<int>(dpi), 100, static_cast<int>(kDefaultDpi));
    int nearest = 100;
    for (int scale : {150, 200}) {
        if (std::abs(percent - scale) <= std::abs(percent - nearest))
            nearest = scale;
    }
    return nearest;
}

int SystemMetricForDpi(int index, UINT dpi) {
    using GetSystemMetricsForDpiCall = int(WINAPI*)(int, UINT);
    static const auto getSystemMetricsForDpi =
        reinterpret_cast<GetSystemMetricsForDpiCall>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    if (getSystemMetricsForDpi != nullptr)
        return getSystemMetricsForDpi(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi),
                  static_cast<int>(WindowDpi(nullptr)));
}
