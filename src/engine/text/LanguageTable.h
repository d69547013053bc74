#pragma once
// Display texts: every text the user reads is a language key looked up in the
// language file beside the program ([String] section, INI form).

#include <string>

class LanguageTable {
  public:
    // Called once, before any window or worker exists.
    void SetFile(const std::string& path) { m_path = path; }
    const std::string& File() const { return m_path; }

    // The key's text; the key itself when the file, the key or its text is
    // missing. With expandEscapes, "\r" and "\n" pairs become line breaks.
    std::string GetText(std::string key, int expandEscapes = 0) const;

  private:
    std::string m_path;
};

// The one table of the process.
LanguageTable& Language();

// Shorthand for Language().GetText(key).
inline std::string GetText(const std::string& key, int expandEscapes = 0) {
    return Language().GetText(key, expandEscapes);
}

// Replaces, in place, each backslash-r by a carriage return, then each
// backslash-n by a line feed.
void ExpandEscapes(std::string& text);
