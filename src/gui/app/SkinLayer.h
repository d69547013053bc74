#pragma once
// The look of the windows. The program draws with the system's own look:
// starting, loading a skin and skinning windows do nothing (and read no
// file). Popup menus are the framework's (framework/PopupMenu.h).

#include <windows.h>

#include <string>

void SkinStart(HINSTANCE instance, const wchar_t* applicationName);
void SkinLoadFile(const std::wstring& path);
void SkinWindow(HWND window, const wchar_t* skinObjectName);
void SkinDialogs(const wchar_t* skinObjectName);
void SkinShutdown();
