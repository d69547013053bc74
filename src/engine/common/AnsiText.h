#pragma once
// Narrow text in the ANSI code page: case conversion by the system's rules and
// searches that never match in the middle of a double-byte character.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

std::string LowerCopy(std::string text);
std::string UpperCopy(std::string text);

// Position of the first occurrence of part at or after start, counted on
// character boundaries; std::string::npos when there is none.
std::size_t FindText(const std::string& text, const std::string& part, std::size_t start = 0);
std::size_t FindChar(const std::string& text, char c, std::size_t start = 0);
std::size_t FindLastChar(const std::string& text, char c);
inline bool ContainsText(const std::string& text, const std::string& part) {
    return FindText(text, part) != std::string::npos;
}

// Length of the character that starts at text[pos]: 2 for a lead byte followed
// by a trail byte, else 1.
std::size_t CharLength(std::string_view text, std::size_t pos);

// Compares two texts character by character, a double-byte character
// counting as its lead byte times 256 plus its trail byte (the order of the C
// runtime's _mbscmp): negative, zero or positive.
int CompareCharacters(const std::string& a, const std::string& b);

// Data bytes read as text up to the first NUL, never beyond length.
std::string DataAsText(const unsigned char* data, unsigned long length);

// Conversions between the ANSI code page and UTF-16, for the wide interfaces
// (COM, the DOM document) the narrow program talks to.
std::wstring WideFromAnsi(const std::string& text);
std::string AnsiFromWide(const wchar_t* text, std::size_t count);
inline std::string AnsiFromWide(const std::wstring& text) {
    return AnsiFromWide(text.data(), text.size());
}

// Removes every leading and trailing character that occurs in set.
std::string TrimChars(const std::string& text, const char* set);

// "*" matches any run of bytes (the empty one too), "?" exactly one byte, any
// other pattern byte only itself. Case-sensitive: callers lower-case both sides
// to ignore case.
bool WildcardMatch(const char* pattern, const char* text);
inline bool WildcardMatch(const std::string& pattern, const std::string& text) {
    return WildcardMatch(pattern.c_str(), text.c_str());
}

// Splits text at any of the separator characters, keeping or leaving out the
// empty fields.
enum class EmptyFields { Keep, Drop };
std::vector<std::string> SplitText(const std::string& text, const std::string& separators,
                                   EmptyFields empty);
