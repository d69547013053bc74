#include "text/FormatText.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

enum class Kind { Integer, String };

struct Conversion {
    std::size_t start = 0;  // position of the '%'
    std::size_t end = 0;    // just past the conversion character
    std::string flagsWidthPrecision;
    char conversion = 0;
};

// A width or precision wider than this would have printf pad its output (on
// the stack, in some runtimes) to any size the text asks for.
constexpr std::size_t kMaxDigits = 3;

// Position after the digits at pos; npos when there are more than kMaxDigits.
std::size_t SkipDigits(const std::string& text, std::size_t pos) {
    std::size_t end = pos;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])))
        ++end;
    return end - pos > kMaxDigits ? std::string::npos : end;
}

// Finds every conversion of text. Returns false when a conversion is one that
// could read or write memory it should not: '*', '%n', an unknown form, or a
// huge width or precision.
bool ParseConversions(const std::string& text, std::vector<Conversion>& found) {
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        if (text[pos] != '%')
            continue;
        if (pos + 1 < text.size() && text[pos + 1] == '%') {
            ++pos;
            continue;
        }
        Conversion c;
        c.start = pos;
        std::size_t i = pos + 1;
        while (i < text.size() && std::strchr("-+ #0", text[i]))
            ++i;
        i = SkipDigits(text, i);
        if (i < text.size() && text[i] == '.')
            i = SkipDigits(text, i + 1);
        if (i == std::string::npos)
            return false;
        c.flagsWidthPrecision = text.substr(pos + 1, i - pos - 1);
        // Length modifiers are dropped: the argument's own width is supplied below.
        while (i < text.size() && std::strchr("hlLqjzt", text[i]))
            ++i;
        if (text.compare(i, 3, "I64") == 0)
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

bool Matches(char conversion, Kind kind) {
    if (kind == Kind::String)
        return conversion == 's';
    return std::strchr("diuxXo", conversion) != nullptr;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        out += text[pos];
        if (text[pos] == '%' && pos + 1 < text.size() && text[pos + 1] == '%')
            ++pos;
    }
    return out;
}

template <class Value>
std::string Render(const std::string& text, const Conversion& c, const char* lengthModifier,
                   Value value) {
    std::string format = "%" + c.flagsWidthPrecision + lengthModifier + c.conversion;
    int size = std::snprintf(nullptr, 0, format.c_str(), value);
    std::string piece;
    if (size > 0) {
        piece.resize(static_cast<std::size_t>(size) + 1);
        std::snprintf(&piece[0], piece.size(), format.c_str(), value);
        piece.resize(static_cast<std::size_t>(size));
    }
    return Unescape(text.substr(0, c.start)) + piece + Unescape(text.substr(c.end));
}

}  // namespace

std::string FormatCount(const std::string& text, long long count) {
    std::vector<Conversion> found;
    bool parsed = ParseConversions(text, found);
    if (parsed && found.empty())
        return Unescape(text);
    if (parsed && found.size() == 1 && Matches(found[0].conversion, Kind::Integer)) {
        return Render(text, found[0], "ll", count);
    }
    return text + " " + std::to_string(count);
}

std::string FormatPath(const std::string& text, const std::string& path) {
    std::vector<Conversion> found;
    bool parsed = ParseConversions(text, found);
    if (parsed && found.empty())
        return Unescape(text);
    if (parsed && found.size() == 1 && Matches(found[0].conversion, Kind::String)) {
        return Render(text, found[0], "", path.c_str());
    }
    return text + " " + path;
}
