#pragma once
// Display texts: every text the user reads is a language key looked up in the
// language file beside the program ([String] section, INI form). The file is
// in the ANSI code page, or UTF-16 with its byte-order mark for a translation
// into a script the code page does not hold.

#include <string>

class LanguageTable {
  public:
    // Called once, before any window or worker exists.
    void SetFile(const std::wstring& path) { m_path = path; }
    const std::wstring& File() const { return m_path; }

    // The key's text; the key itself when the file, the key or its text is
    // missing. With expandEscapes, "\r" and "\n" pairs become line breaks.
    std::wstring GetText(const std::wstring& key, int expandEscapes = 0) const;

  private:
    std::wstring m_path;
};

// The one table of the process.
LanguageTable& Language();

// Shorthand for Language().GetText(key).
inline std::wstring GetText(const std::wstring& key, int expandEscapes = 0) {
    return Language().GetText(key, expandEscapes);
}

// Replaces, in place, each backslash-r by a carriage return, then each
// backslash-n by a line feed.
void ExpandEscapes(std::wstring& text);
