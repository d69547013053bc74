#include <windows.h>

#include "common/AnsiText.h"

#include <cstring>

std::string LowerCopy(std::string text) {
    if (!text.empty())
        CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::string UpperCopy(std::string text) {
    if (!text.empty())
        CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::size_t CharLength(std::string_view text, std::size_t pos) {
    if (pos + 1 >= text.size())
        return 1;
    // No code page has a lead byte below 0x80, so plain ASCII costs no call.
    BYTE byte = static_cast<BYTE>(text[pos]);
    return byte >= 0x80 && IsDBCSLeadByte(byte) ? 2 : 1;
}

int CompareCharacters(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t lengthA = CharLength(a, i);
        const std::size_t lengthB = CharLength(b, j);
        unsigned valueA = static_cast<unsigned char>(a[i]);
        unsigned valueB = static_cast<unsigned char>(b[j]);
        if (lengthA == 2)
            valueA = (valueA << 8) | static_cast<unsigned char>(a[i + 1]);
        if (lengthB == 2)
            valueB = (valueB << 8) | static_cast<unsigned char>(b[j + 1]);
        if (valueA != valueB)
            return valueA < valueB ? -1 : 1;
        i += lengthA;
        j += lengthB;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

std::size_t FindText(const std::string& text, const std::string& part, std::size_t start) {
    if (part.empty())
        return start <= text.size() ? start : std::string::npos;
    for (std::size_t pos = start; pos < text.size(); pos += CharLength(text, pos)) {
        if (text.compare(pos, part.size(), part) == 0)
            return pos;
    }
    return std::string::npos;
}

std::size_t FindChar(const std::string& text, char c, std::size_t start) {
    for (std::size_t pos = start; pos < text.size(); pos += CharLength(text, pos)) {
        if (text[pos] == c)
            return pos;
    }
    return std::string::npos;
}

std::size_t FindLastChar(const std::string& text, char c) {
    std::size_t found = std::string::npos;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
        if (text[pos] == c)
            found = pos;
    }
    return found;
}

std::string DataAsText(const unsigned char* data, unsigned long length) {
    if (data == nullptr)
        return std::string();
    const void* nul = std::memchr(data, 0, length);
    std::size_t size = nul ? static_cast<const unsigned char*>(nul) - data : length;
    return std::string(reinterpret_cast<const char*>(data), size);
}

std::wstring WideFromAnsi(const std::string& text) {
    if (text.empty())
        return std::wstring();
    int size = static_cast<int>(text.size());
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], length);
    return wide;
}

std::string AnsiFromWide(const wchar_t* text, std::size_t count) {
    if (!text || count == 0)
        return std::string();
    int size = static_cast<int>(count);
    int length = WideCharToMultiByte(CP_ACP, 0, text, size, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::string();
    std::string ansi(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, size, &ansi[0], length, nullptr, nullptr);
    return ansi;
}

std::string TrimChars(const std::string& text, const char* set) {
    // Walk by characters: a trail byte (0x5C under code page 932, say) is never
    // taken for a trailing backslash.
    std::size_t first = 0;
    while (first < text.size() && CharLength(text, first) == 1 &&
           std::strchr(set, text[first]) != nullptr && text[first] != '\0') {
        ++first;
    }
    std::size_t end = first;
    for (std::size_t pos = first; pos < text.size();) {
        std::size_t length = CharLength(text, pos);
        if (length > 1 || std::strchr(set, text[pos]) == nullptr || text[pos] == '\0') {
            end = pos + length;
        }
        pos += length;
    }
    return text.substr(first, end - first);
}

bool WildcardMatch(const char* pattern, const char* text) {
    const char* p = pattern;
    const char* t = text;
    while (*t != '\0' && *p != '*') {
        if (*p != '?' && *p != *t)
            return false;
        ++p;
        ++t;
    }
    // One backtracking point: the position after the last "*" seen and the
    // text position it is next tried at.
    const char* afterStar = nullptr;
    const char* retry = nullptr;
    while (*t != '\0') {
        if (*p == '*') {
            if (*++p == '\0')
                return true;
            afterStar = p;
            retry = t + 1;
        } else if (*p == '?' || *p == *t) {
            ++p;
            ++t;
        } else {
            p = afterStar;
            t = retry++;
        }
    }
    while (*p == '*')
        ++p;
    return *p == '\0';
}

std::vector<std::string> SplitText(const std::string& text, const std::string& separators,
                                   EmptyFields empty) {
    const bool dropEmpty = empty == EmptyFields::Drop;
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
        if (separators.find(text[pos]) == std::string::npos)
            continue;
        if (!dropEmpty || pos > start)
            fields.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
    if (!dropEmpty || start < text.size())
        fields.push_back(text.substr(start));
    return fields;
}
