#pragma once
// Texts of a program file's version resource.

#include <string>

// "ProductName", "ProductVersion" and the like, from the first language of the
// file's translation table; empty without a version resource or translation.
std::wstring VersionString(const std::wstring& file, const wchar_t* valueName);

// "Name (Version)" of the running program, the main window's caption.
std::wstring ProductCaption();
