#pragma once
// Texts of a program file's version resource.

#include <string>

// "ProductName", "ProductVersion" and the like, from the first language of the
// file's translation table; empty without a version resource or translation.
std::string VersionString(const std::string& file, const char* valueName);

// "Name (Version)" of the running program, the main window's caption.
std::string ProductCaption();
