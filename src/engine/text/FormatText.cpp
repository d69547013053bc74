#include "text/FormatText.h"

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

enum class Kind { Integer, String };

struct Conversion {
    std::size_t start = 0;  // position of the '%'
    std::size_t end = 0;    // just past the conversion character
    std::wstring flags;
    std::wstring width;
    std::wstring precision;
    bool hasPrecision = false;
    wchar_t conversion = 0;
};

// A width or precision wider than this would have the text padded to any
// size it asks for.
constexpr std::size_t kMaxDigits = 3;

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

bool IsOneOf(wchar_t c, const wchar_t* set) {
    for (; *set; ++set) {
        if (*set == c)
            return true;
    }
    return false;
}

// Position after the digits at pos; npos when there are more than kMaxDigits.
std::size_t SkipDigits(const std::wstring& text, std::size_t pos) {
    std::size_t end = pos;
    while (end < text.size() && IsDigit(text[end]))
        ++end;
    return end - pos > kMaxDigits ? std::wstring::npos : end;
}

// Finds every conversion of text. Returns false when a conversion is one that
// could read or write memory it should not: '*', '%n', an unknown form, or a
// huge width or precision.
bool ParseConversions(const std::wstring& text, std::vector<Conversion>& found) {
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        if (text[pos] != L'%')
            continue;
        if (pos + 1 < text.size() && text[pos + 1] == L'%') {
            ++pos;
            continue;
        }
        Conversion c;
        c.start = pos;
        std::size_t i = pos + 1;
        while (i < text.size() && IsOneOf(text[i], L"-+ #0"))
            ++i;
        c.flags = text.substr(pos + 1, i - pos - 1);
        std::size_t widthEnd = SkipDigits(text, i);
        if (widthEnd == std::wstring::npos)
            return false;
        c.width = text.substr(i, widthEnd - i);
        i = widthEnd;
        if (i < text.size() && text[i] == L'.') {
            std::size_t precisionEnd = SkipDigits(text, i + 1);
            if (precisionEnd == std::wstring::npos)
                return false;
            c.hasPrecision = true;
            c.precision = text.substr(i + 1, precisionEnd - i - 1);
            i = precisionEnd;
        }
        // Length modifiers are dropped: the argument's own width is supplied below.
        while (i < text.size() && IsOneOf(text[i], L"hlLqjzt"))
            ++i;
        if (text.compare(i, 3, L"I64") == 0)
            i += 3;
        if (i >= text.size())
            return false;
        c.conversion = text[i];
        c.end = i + 1;
        found.push_back(c);
        pos = i;
    }
    return true;
}

bool Matches(wchar_t conversion, Kind kind) {
    if (kind == Kind::String)
        return conversion == L's';
    return IsOneOf(conversion, L"diuxXo");
}

std::wstring Unescape(const std::wstring& text) {
    std::wstring out;
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        out += text[pos];
        if (text[pos] == L'%' && pos + 1 < text.size() && text[pos + 1] == L'%')
            ++pos;
    }
    return out;
}

std::wstring Around(const std::wstring& text, const Conversion& c, const std::wstring& piece) {
    return Unescape(text.substr(0, c.start)) + piece + Unescape(text.substr(c.end));
}

std::string Narrow(const std::wstring& ascii) {
    return std::string(ascii.begin(), ascii.end());
}

// The count as the conversion prints it; every character of the conversion
// is ASCII, so printf's narrow form does it.
std::wstring RenderCount(const Conversion& c, long long count) {
    std::string format = "%" + Narrow(c.flags) + Narrow(c.width) +
                         (c.hasPrecision ? "." + Narrow(c.precision) : std::string()) + "ll" +
                         static_cast<char>(c.conversion);
    char piece[128];
    const int size = std::snprintf(piece, sizeof(piece), format.c_str(), count);
    if (size <= 0)
        return std::wstring();
    return std::wstring(piece, piece + std::min<std::size_t>(size, sizeof(piece) - 1));
}

// The path as "%s" would print it: cut to the precision, padded to the width.
std::wstring RenderPath(const Conversion& c, const std::wstring& path) {
    std::wstring piece = path;
    if (c.hasPrecision)
        piece.resize(
            std::min<std::size_t>(piece.size(), std::wcstoul(c.precision.c_str(), nullptr, 10)));
    const std::size_t width = c.width.empty() ? 0 : std::wcstoul(c.width.c_str(), nullptr, 10);
    if (piece.size() < width) {
        const std::wstring pad(width - piece.size(), L' ');
        piece = c.flags.find(L'-') != std::wstring::npos ? piece + pad : pad + piece;
    }
    return piece;
}

}  // namespace

std::wstring FormatCount(const std::wstring& text, long long count) {
    std::vector<Conversion> found;
    bool parsed = ParseConversions(text, found);
    if (parsed && found.empty())
        return Unescape(text);
    if (parsed && found.size() == 1 && Matches(found[0].conversion, Kind::Integer))
        return Around(text, found[0], RenderCount(found[0], count));
    return text + L" " + std::to_wstring(count);
}

std::wstring FormatPath(const std::wstring& text, const std::wstring& path) {
    std::vector<Conversion> found;
    bool parsed = ParseConversions(text, found);
    if (parsed && found.empty())
        return Unescape(text);
    if (parsed && found.size() == 1 && Matches(found[0].conversion, Kind::String))
        return Around(text, found[0], RenderPath(found[0], path));
    return text + L" " + path;
}
