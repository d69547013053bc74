#pragma once
// Text is UTF-16 throughout the program. These are the few operations on it
// that the standard library does not do the system's way: letter case by the
// system's Unicode case table, wildcard patterns by characters (a surrogate
// pair is one), and the conversions at the edges that need narrow text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A copy in lower case, by the system's locale-independent case table.
std::wstring LowerCopy(std::wstring text);
// Equal when compared as the registry and the file system compare names:
// ordinal, without regard to letter case.
bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b);
bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix);

inline bool ContainsText(std::wstring_view text, std::wstring_view part) {
    return text.find(part) != std::wstring_view::npos;
}

// "*" matches any run of characters (the empty one too), "?" exactly one
// character (a surrogate pair is one), any other pattern character only
// itself. Case-sensitive: callers lower-case both sides to ignore case.
bool WildcardMatch(std::wstring_view pattern, std::wstring_view text);

// Removes every leading and trailing character that occurs in set.
std::wstring TrimChars(std::wstring_view text, std::wstring_view set);

// Splits text at any of the separator characters, keeping or leaving out the
// empty fields.
enum class EmptyFields { Keep, Drop };
std::vector<std::wstring> SplitText(std::wstring_view text, std::wstring_view separators,
                                    EmptyFields empty);

// Compares two texts in the order of the ANSI code page: each character by
// its code there (a double-byte character as its lead byte times 256 plus its
// trail byte, the order of the C runtime's _mbscmp), characters the code page
// does not hold after all of them, by code point. Negative, zero or positive.
int CompareInCodePageOrder(std::wstring_view a, std::wstring_view b);
// The code page order of the text's first three characters as one number:
// texts whose heads differ compare as their heads do.
std::uint64_t CodePageOrderHead(std::wstring_view text);

// Registry string data (UTF-16LE bytes) read as text up to the first NUL,
// never beyond length; an odd last byte is no character.
std::wstring TextFromData(const unsigned char* data, std::size_t length);

// Whether text holds a high surrogate without its low one, or a low one alone.
bool HasUnpairedSurrogate(std::wstring_view text);

// UTF-8 for files and pipes; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view text);

// The ANSI code page, for the two narrow files the program writes or reads:
// a REGEDIT4 registry file and a code-page language file.
std::wstring WideFromAnsi(std::string_view text);
// Text in the code page when every character converts there and back
// unchanged (no best-fit or default characters); false otherwise.
bool AnsiFromWideExactly(std::wstring_view text, std::string& ansi);
