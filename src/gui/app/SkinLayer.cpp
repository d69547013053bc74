#include "app/SkinLayer.h"

void SkinStart(HINSTANCE, const wchar_t*) {}

void SkinLoadFile(const std::wstring&) {}

void SkinWindow(HWND, const wchar_t*) {}

void SkinDialogs(const wchar_t*) {}

void SkinShutdown() {}
