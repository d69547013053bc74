#include <windows.h>

#include "common/Text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Units of the character at text[pos]: 2 for a surrogate pair, else 1.
std::size_t CharUnits(std::wstring_view text, std::size_t pos) {
    return pos + 1 < text.size() && IsHighSurrogate(text[pos]) && IsLowSurrogate(text[pos + 1]) ? 2
                                                                                                : 1;
}

// Each UTF-16 unit's place in the code page's order, as one dense number:
// the characters the code page holds by their code there, then the others by
// code point, then the surrogates, so that a pair sorts after every other
// character and pairs by their code points.
class CodePageOrderTable {
  public:
    CodePageOrderTable() : m_rank(0x10000) {
        struct Place {
            std::uint32_t group;
            std::uint32_t value;
            wchar_t unit;
        };
        std::vector<Place> places(0x10000);
        for (unsigned unit = 0; unit < 0x10000; ++unit) {
            const wchar_t c = static_cast<wchar_t>(unit);
            Place& place = places[unit];
            place = {1, unit, c};
            if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
                place.group = IsHighSurrogate(c) ? 2 : 3;
                continue;
            }
            char bytes[4] = {};
            BOOL usedDefault = FALSE;
            const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &c, 1, bytes, 4,
                                                   nullptr, &usedDefault);
            if (length == 1 && !usedDefault)
                place = {0, static_cast<unsigned char>(bytes[0]), c};
            else if (length == 2 && !usedDefault)
                place = {0,
                         static_cast<unsigned>(static_cast<unsigned char>(bytes[0]) << 8 |
                                               static_cast<unsigned char>(bytes[1])),
                         c};
        }
        std::stable_sort(places.begin(), places.end(), [](const Place& a, const Place& b) {
            return a.group != b.group ? a.group < b.group : a.value < b.value;
        });
        for (std::size_t rank = 0; rank < places.size(); ++rank)
            m_rank[places[rank].unit] = static_cast<std::uint16_t>(rank);
    }
    std::uint16_t operator[](wchar_t unit) const { return m_rank[unit]; }

  private:
    std::vector<std::uint16_t> m_rank;
};

const CodePageOrderTable& CodePageOrder() {
    static const CodePageOrderTable table;
    return table;
}

bool IsAscii(std::wstring_view text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; });
}

}  // namespace

int CompareInCodePageOrder(std::wstring_view a, std::wstring_view b) {
    // Texts the same up to a unit are ordered by that unit alone.
    const auto differ = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (differ.first == a.end())
        return differ.second == b.end() ? 0 : -1;
    if (differ.second == b.end())
        return 1;
    const CodePageOrderTable& rank = CodePageOrder();
    return rank[*differ.first] < rank[*differ.second] ? -1 : 1;
}

std::uint64_t CodePageOrderHead(std::wstring_view text) {
    const CodePageOrderTable& rank = CodePageOrder();
    std::uint64_t head = 0;
    for (std::size_t i = 0; i < 3; ++i)
        head = head << 20 | (i < text.size() ? rank[text[i]] + 1u : 0u);
    return head;
}

std::wstring LowerCopy(std::wstring text) {
    // Most registry text is ASCII: no call for it.
    if (IsAscii(text)) {
        for (wchar_t& c : text) {
            if (c >= L'A' && c <= L'Z')
                c = static_cast<wchar_t>(c + (L'a' - L'A'));
        }
        return text;
    }
    const int size = static_cast<int>(text.size());
    LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, text.data(), size, &text[0], size,
                  nullptr, nullptr, 0);
    return text;
}

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() &&
           EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool WildcardMatch(std::wstring_view pattern, std::wstring_view text) {
    std::size_t p = 0;
    std::size_t t = 0;
    // One backtracking point: the position after the last "*" seen and the
    // text position it is next tried at.
    std::size_t afterStar = std::wstring_view::npos;
    std::size_t retry = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            if (++p == pattern.size())
                return true;
            afterStar = p;
            retry = t;
            continue;
        }
        const std::size_t units = CharUnits(text, t);
        if (p < pattern.size() && pattern[p] == L'?') {
            ++p;
            t += units;
            continue;
        }
        const std::size_t patternUnits = p < pattern.size() ? CharUnits(pattern, p) : 0;
        if (patternUnits > 0 && pattern.compare(p, patternUnits, text.substr(t, units)) == 0) {
            p += patternUnits;
            t += units;
            continue;
        }
        if (afterStar == std::wstring_view::npos)
            return false;
        p = afterStar;
        retry += CharUnits(text, retry);
        t = retry;
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

std::wstring TrimChars(std::wstring_view text, std::wstring_view set) {
    const std::size_t first = text.find_first_not_of(set);
    if (first == std::wstring_view::npos)
        return std::wstring();
    const std::size_t last = text.find_last_not_of(set);
    return std::wstring(text.substr(first, last - first + 1));
}

std::vector<std::wstring> SplitText(std::wstring_view text, std::wstring_view separators,
                                    EmptyFields empty) {
    const bool dropEmpty = empty == EmptyFields::Drop;
    std::vector<std::wstring> fields;
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        if (separators.find(text[pos]) == std::wstring_view::npos)
            continue;
        if (!dropEmpty || pos > start)
            fields.emplace_back(text.substr(start, pos - start));
        start = pos + 1;
    }
    if (!dropEmpty || start < text.size())
        fields.emplace_back(text.substr(start));
    return fields;
}

std::wstring TextFromData(const unsigned char* data, std::size_t length) {
    if (data == nullptr)
        return std::wstring();
    std::wstring text(length / sizeof(wchar_t), L'\0');
    if (!text.empty())
        std::memcpy(&text[0], data, text.size() * sizeof(wchar_t));
    text.resize(std::min(text.size(), text.find(L'\0')));
    return text;
}

bool HasUnpairedSurrogate(std::wstring_view text) {
    for (std::size_t pos = 0; pos < text.size(); pos += CharUnits(text, pos)) {
        if (IsHighSurrogate(text[pos]) || IsLowSurrogate(text[pos])) {
            if (CharUnits(text, pos) == 1)
                return true;
        }
    }
    return false;
}

std::string Utf8FromWide(std::wstring_view text) {
    if (text.empty())
        return std::string();
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(std::max(length, 0)), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &utf8[0], length, nullptr, nullptr);
    return utf8;
}

namespace {

std::wstring WideFrom(UINT codePage, std::string_view text) {
    if (text.empty())
        return std::wstring();
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    if (length > 0)
        MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], length);
    return wide;
}

}  // namespace

std::wstring WideFromUtf8(std::string_view text) {
    return WideFrom(CP_UTF8, text);
}

std::wstring WideFromAnsi(std::string_view text) {
    return WideFrom(CP_ACP, text);
}

bool AnsiFromWideExactly(std::wstring_view text, std::string& ansi) {
    // Every ANSI code page holds ASCII as it is.
    if (IsAscii(text)) {
        ansi.assign(text.begin(), text.end());
        return true;
    }
    const int size = static_cast<int>(text.size());
    // A UTF-8 code page takes no best-fit flag; the way back proves it anyway.
    const DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int length =
        WideCharToMultiByte(CP_ACP, flags, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return false;
    ansi.assign(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, flags, text.data(), size, &ansi[0], length, nullptr, nullptr);
    return WideFromAnsi(ansi) == text;
}
