#pragma once
// Translating windows and menus: every window text and menu item text is taken
// as a language key and replaced by its display text.

#include <windows.h>

// The window's caption, then the text of every descendant window. Window
// texts go through escape expansion, so "\r\n" in a text breaks the line.
void LocalizeWindow(HWND window);

// Every item of the menu, each submenu before the item that opens it. Menu
// texts are used as the file gives them, without escape expansion.
void LocalizeMenu(HMENU menu);
