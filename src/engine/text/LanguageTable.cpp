#include <windows.h>

#include "text/LanguageTable.h"

#include <vector>

namespace {

constexpr DWORD kTextBuffer = 65535;

void ReplaceAll(std::wstring& text, const wchar_t* from, wchar_t to) {
    for (std::size_t pos = 0; (pos = text.find(from, pos)) != std::wstring::npos; ++pos)
        text.replace(pos, 2, 1, to);
}

}  // namespace

LanguageTable& Language() {
    static LanguageTable table;
    return table;
}

std::wstring LanguageTable::GetText(const std::wstring& key, int expandEscapes) const {
    // Without a file the profile API would read win.ini instead.
    if (m_path.empty())
        return key;
    std::vector<wchar_t> buffer(kTextBuffer);
    DWORD length = GetPrivateProfileStringW(L"String", key.c_str(), L"", buffer.data(), kTextBuffer,
                                            m_path.c_str());
    if (length == 0)
        return key;
    std::wstring text(buffer.data(), length);
    if (expandEscapes)
        ExpandEscapes(text);
    return text;
}

void ExpandEscapes(std::wstring& text) {
    ReplaceAll(text, L"\\r", L'\r');
    ReplaceAll(text, L"\\n", L'\n');
}
