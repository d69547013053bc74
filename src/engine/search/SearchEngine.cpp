#include "search/SearchEngine.h"

#include <windows.h>

#include "common/Text.h"

namespace {

struct SearchRoot {
    HKEY handle;
    bool SearchOptions::*flag;
};

// The order in which a run walks the roots, whatever order they were chosen in.
const SearchRoot kSearchRoots[] = {
    {HKEY_CLASSES_ROOT, &SearchOptions::searchHkcr},
    {HKEY_CURRENT_USER, &SearchOptions::searchHkcu},
    {HKEY_LOCAL_MACHINE, &SearchOptions::searchHklm},
    {HKEY_USERS, &SearchOptions::searchHku},
    {HKEY_CURRENT_CONFIG, &SearchOptions::searchHkcc},
};

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

// One run's state, shared by its key and value visitors.
class SearchWalk {
  public:
    SearchWalk(const SearchOptions& options, RowSink& sink, const SearchProgress& progress,
               const StopFlag* stop)
        : m_options(options),
          m_matcher(options),
          m_sink(sink),
          m_progress(progress),
          m_stop(stop) {}

    void SetRoot(HKEY root) { m_rootName = RootKeyName(root); }

    // The key's own name against the keyword, then the progress.
    void OnKey(const WalkedKey& key) {
        if (StopRequested(m_stop))
            return;
        if (m_options.includeKey) {
            const std::size_t slash = key.path.rfind(L'\\');
            std::wstring name = slash == std::wstring::npos ? key.path : key.path.substr(slash + 1);
            if (m_matcher.Matches(std::move(name))) {
                AddRowUnlessStopped(kSearchKeyImage, key.path, m_options.keyRowText, std::wstring(),
                                    KeyRowMarker);
            }
        }
        if (m_progress && !StopRequested(m_stop))
            m_progress(key.path);
    }

    // The value's name and its data text against the keyword, as the options ask.
    void OnValue(const WalkedValue& value) {
        if (StopRequested(m_stop))
            return;
        std::wstring valueName(value.name);
        bool hit = m_options.includeValue && m_matcher.Matches(valueName);
        std::wstring dataText;
        if (hit || m_options.includeData) {
            dataText = FormatValueData(value.type, value.data, value.dataLength);
            hit = hit || m_matcher.Matches(dataText);
        }
        if (!hit)
            return;
        AddRowUnlessStopped(IsStringType(value.type) ? kSearchStringImage : kSearchBinaryImage,
                            value.keyPath, valueName, dataText, static_cast<int>(value.type));
    }

  private:
    static bool IsStringType(DWORD type) {
        return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
    }

    void AddRowUnlessStopped(int image, const std::wstring& keyPath, const std::wstring& valueName,
                             const std::wstring& dataText, int type) {
        if (StopRequested(m_stop))
            return;
        m_sink.AddRow({m_rootName, keyPath, valueName, dataText, type, image});
    }

    const SearchOptions& m_options;
    KeywordMatcher m_matcher;
    RowSink& m_sink;
    const SearchProgress& m_progress;
    const StopFlag* m_stop;
    std::wstring m_rootName;
};

}  // namespace

KeywordMatcher::KeywordMatcher(const SearchOptions& options)
    : m_keyword(options.caseSensitive ? options.keyword : LowerCopy(options.keyword)),
      m_caseSensitive(options.caseSensitive),
      m_useWildcard(options.useWildcard),
      m_fullWordMatch(options.fullWordMatch) {}

bool KeywordMatcher::Matches(std::wstring text) const {
    if (!m_caseSensitive)
        text = LowerCopy(std::move(text));
    // With full word match the keyword is plain text even in wildcard mode.
    if (m_fullWordMatch)
        return text == m_keyword;
    if (m_useWildcard)
        return WildcardMatch(m_keyword, text);
    return ContainsText(text, m_keyword);
}

bool MatchText(const std::wstring& text, const SearchOptions& options) {
    return KeywordMatcher(options).Matches(text);
}

SearchEnd SearchRun(const SearchOptions& options, RowSink& sink, const SearchProgress& progress,
                    const StopFlag* stop) {
    if (StopRequested(stop))
        return SearchEnd::Stopped;
    if (!options.keyword.empty()) {
        SearchWalk search(options, sink, progress, stop);
        auto onKey = [&search](const WalkedKey& key) { search.OnKey(key); };
        auto onValue = [&search](const WalkedValue& value) { search.OnValue(value); };
        // Without progress and without the key test there is nothing to do per key.
        KeyVisitor keyVisitor;
        if (progress || options.includeKey)
            keyVisitor = onKey;
        ValueVisitor valueVisitor;
        if (options.includeValue || options.includeData)
            valueVisitor = onValue;
        WalkOptions walkOptions;
        walkOptions.stop = stop;
        for (const SearchRoot& root : kSearchRoots) {
            if (!(options.*root.flag) || StopRequested(stop))
                continue;
            if (!keyVisitor && !valueVisitor)
                break;
            search.SetRoot(root.handle);
            WalkKey(root.handle, walkOptions, valueVisitor, keyVisitor);
        }
    }
    return StopRequested(stop) ? SearchEnd::Stopped : SearchEnd::Finished;
}

std::wstring CutKeyword(const std::wstring& keyword) {
    if (keyword.size() <= kSearchKeywordLimit)
        return keyword;
    std::size_t end = kSearchKeywordLimit;
    if (IsHighSurrogate(keyword[end - 1]))
        --end;
    return keyword.substr(0, end);
}
