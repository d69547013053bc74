#pragma once
// Language texts that carry a printf conversion for one count or one path.
// The texts come from a file the user can edit, so a text is used as a format
// only when it holds exactly the one conversion its caller expects ("%%" aside).
// A text without any conversion is shown as it is; any other text is shown
// unchanged followed by a blank and the argument, and never reaches printf.

#include <string>

std::wstring FormatCount(const std::wstring& text, long long count);
std::wstring FormatPath(const std::wstring& text, const std::wstring& path);
