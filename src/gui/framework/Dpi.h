#pragma once
// The display scale a window is drawn at. Sizes the code sets in pixels are
// written for 96 dots per inch (100 %) and scaled to the window's DPI.

#include <windows.h>

constexpr UINT kDefaultDpi = 96;

// The window's DPI: GetDpiForWindow where the system has it (Windows 10),
// else the screen's logical DPI.
UINT WindowDpi(HWND window);

// A length given at 96 DPI, at dpi.
inline int ScaleToDpi(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}

// The picture size drawn for a scale nearest the DPI: 100, 150 or 200 (%).
// Halfway between two (125 %, 175 %) it is the larger: a picture a little
// large beside its text stays sharp, where the smaller one would look meagre.
int NearestPictureScale(UINT dpi);

// A system metric (SM_CXICON, SM_CXSMICON...) for a window at dpi:
// GetSystemMetricsForDpi where the system has it (Windows 10), else the
// metric the system gives for its own DPI, scaled to dpi.
int SystemMetricForDpi(int index, UINT dpi);
