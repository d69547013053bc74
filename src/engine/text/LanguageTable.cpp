#include <windows.h>

#include "text/LanguageTable.h"
#include "common/AnsiText.h"

#include <vector>

namespace {

constexpr DWORD kTextBuffer = 65535;

// Walks by characters: the second byte of a double-byte character (0x5C under
// code page 932) is never taken for the backslash of an escape.
void ReplaceAll(std::string& text, const char* from, char to) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = CharLength(text, pos);
        if (length == 1 && text.compare(pos, 2, from) == 0) {
            result += to;
            pos += 2;
        } else {
            result.append(text, pos, length);
            pos += length;
        }
    }
    text.swap(result);
}

}  // namespace

LanguageTable& Language() {
    static LanguageTable table;
    return table;
}

std::string LanguageTable::GetText(std::string key, int expandEscapes) const {
    // Without a file the profile API would read win.ini instead.
    if (m_path.empty())
        return key;
    std::vector<char> buffer(kTextBuffer);
    DWORD length = GetPrivateProfileStringA("String", key.c_str(), "", buffer.data(), kTextBuffer,
                                            m_path.c_str());
    if (length == 0)
        return key;
    std::string text(buffer.data(), length);
    if (expandEscapes)
        ExpandEscapes(text);
    return text;
}

void ExpandEscapes(std::string& text) {
    ReplaceAll(text, "\\r", '\r');
    ReplaceAll(text, "\\n", '\n');
}
