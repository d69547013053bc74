#pragma once
// Looking for a keyword in key names, value names and value data below the
// chosen root keys. The engine knows no window: rows go to a sink, status
// texts to a callback, and a stop flag ends a run promptly.

#include <cstddef>
#include <functional>
#include <string>

#include "work/RowSink.h"
#include "registry/Registry.h"

// The keyword edit of the search page holds at most this many UTF-16 units,
// and the settings store no more.
constexpr std::size_t kSearchKeywordLimit = 499;
// The keyword cut to kSearchKeywordLimit, never between the two halves of a
// surrogate pair.
std::wstring CutKeyword(const std::wstring& keyword);

struct SearchOptions {
    std::wstring keyword;
    // The value name column's text on the row of a key whose name matched.
    std::wstring keyRowText;
    bool includeKey = false;
    bool includeValue = false;
    bool includeData = false;
    bool useWildcard = false;
    bool fullWordMatch = false;
    bool caseSensitive = false;
    bool searchHkcr = false;
    bool searchHkcu = false;
    bool searchHklm = false;
    bool searchHku = false;
    bool searchHkcc = false;
};

// The keyword, lower-cased once, tested against many texts.
class KeywordMatcher {
  public:
    explicit KeywordMatcher(const SearchOptions& options);
    bool Matches(std::wstring text) const;

  private:
    std::wstring m_keyword;
    bool m_caseSensitive;
    bool m_useWildcard;
    bool m_fullWordMatch;
};

// Whether text holds the keyword as the options' mode says: a substring, the
// whole text, or a wildcard pattern the whole text matches; letter case is
// ignored (by the system's Unicode case table) unless the options say otherwise.
bool MatchText(const std::wstring& text, const SearchOptions& options);

// Row images of the search list: a key, a string value, any other value.
constexpr int kSearchKeyImage = 0;
constexpr int kSearchStringImage = 1;
constexpr int kSearchBinaryImage = 2;

// Hears of every key the search visits.
using SearchProgress = std::function<void(const std::wstring& keyPath)>;

enum class SearchEnd { Finished, Stopped };

// Walks each chosen root whole, in the order HKEY_CLASSES_ROOT,
// HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG,
// adding one row per hit to sink as it is found (the same sink the cleaner
// fills; the page clears its list before a run). An empty keyword searches
// nothing. progress may be empty. Once stop is set, no row and no key is given
// any more: whoever stopped the run shows that. Stop may come between the
// test and the call, so a sink on another thread tests the flag again where it
// takes the row (the page does so on its own thread, where Stop is set).
SearchEnd SearchRun(const SearchOptions& options, RowSink& sink, const SearchProgress& progress,
                    const StopFlag* stop);
