#pragma once
// Texts of the program's own version resource, read from its resources: the
// system's version library is not loaded for it (a DLL of that name beside
// the program would run inside it).

#include <windows.h>

#include <string>

// "ProductName", "ProductVersion" and the like, from the string table of the
// first language of the module's translation table; empty without a version
// resource, a translation or that text.
std::wstring VersionString(HMODULE module, const wchar_t* valueName);

// "Name (Version)" of the running program, the main window's caption.
std::wstring ProductCaption();
