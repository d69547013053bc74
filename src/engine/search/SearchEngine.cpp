#include "search/SearchEngine.h"

#include <windows.h>

#include "text/FormatText.h"
#include "text/LanguageTable.h"
#include "cleaner/PathValidation.h"
#include "common/AnsiText.h"

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

struct SearchContext {
    const SearchOptions& options;
    KeywordMatcher matcher;
    RowSink& sink;
    const SearchStatus& status;
    const StopFlag* stop;
    std::string rootName;
    // Looked up once per run: the status text changes for every key.
    std::string keyFlagText;
    std::string progressText;
};

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

void AddRowUnlessStopped(SearchContext& search, int image, const std::string& keyPath,
                         const std::string& column3, const std::string& column4, int type) {
    if (StopRequested(search.stop))
        return;
    search.sink.AddRow(image, search.rootName, keyPath, column3, column4, type);
}

void TestKey(HKEY, const char* path, const char*, DWORD, DWORD, const BYTE*, DWORD, void* context) {
    auto& search = *static_cast<SearchContext*>(context);
    if (StopRequested(search.stop))
        return;
    std::string keyPath = path;
    if (search.options.includeKey) {
        std::size_t slash = FindLastChar(keyPath, '\\');
        std::string name = slash == std::string::npos ? keyPath : keyPath.substr(slash + 1);
        if (search.matcher.Matches(name)) {
            AddRowUnlessStopped(search, kSearchKeyImage, keyPath, search.keyFlagText, std::string(),
                                KeyRowMarker);
        }
    }
    if (search.status && !StopRequested(search.stop)) {
        search.status(FormatPath(search.progressText, keyPath));
    }
}

void TestValue(HKEY, const char* path, const char* name, DWORD nameLength, DWORD type,
               const BYTE* data, DWORD dataLength, void* context) {
    auto& search = *static_cast<SearchContext*>(context);
    if (StopRequested(search.stop))
        return;
    std::string valueName(name, nameLength);
    bool hit = search.options.includeValue && search.matcher.Matches(valueName);
    std::string dataText;
    if (hit || search.options.includeData) {
        dataText = FormatValueData(type, data, dataLength);
        hit = hit || search.matcher.Matches(dataText);
    }
    if (!hit)
        return;
    AddRowUnlessStopped(search, IsStringType(type) ? kSearchStringImage : kSearchBinaryImage, path,
                        valueName, dataText, static_cast<int>(type));
}

}  // namespace

KeywordMatcher::KeywordMatcher(const SearchOptions& options)
    : m_keyword(options.caseSensitive ? options.keyword : LowerCopy(options.keyword)),
      m_caseSensitive(options.caseSensitive),
      m_useWildcard(options.useWildcard),
      m_fullWordMatch(options.fullWordMatch) {}

bool KeywordMatcher::Matches(std::string text) const {
    if (!m_caseSensitive)
        text = LowerCopy(std::move(text));
    // With full word match the keyword is plain text even in wildcard mode.
    if (m_fullWordMatch)
        return text == m_keyword;
    if (m_useWildcard)
        return WildcardMatch(m_keyword, text);
    return ContainsText(text, m_keyword);
}

bool MatchText(const std::string& text, const SearchOptions& options) {
    return KeywordMatcher(options).Matches(text);
}

SearchEnd SearchRun(const SearchOptions& options, RowSink& sink, const SearchStatus& status,
                    const StopFlag* stop) {
    if (StopRequested(stop))
        return SearchEnd::Stopped;
    if (!options.keyword.empty()) {
        SearchContext search{options, KeywordMatcher(options), sink, status, stop, {}, {}, {}};
        if (options.includeKey)
            search.keyFlagText = GetText("_PageRegistrySearchKeyFlagString");
        if (status)
            search.progressText = GetText("_PageRegistrySearchState2");
        // Without a status line and without the key test there is nothing to do per key.
        RegistryVisitor keyVisitor = status || options.includeKey ? TestKey : nullptr;
        RegistryVisitor valueVisitor =
            options.includeValue || options.includeData ? TestValue : nullptr;
        WalkOptions walkOptions;
        walkOptions.stop = stop;
        for (const SearchRoot& root : kSearchRoots) {
            if (!(options.*root.flag) || StopRequested(stop))
                continue;
            if (!keyVisitor && !valueVisitor)
                break;
            search.rootName = RootKeyName(root.handle);
            WalkKey(root.handle, std::string(), true, valueVisitor, &search, keyVisitor, &search,
                    0xFFFFFFFF, {}, walkOptions);
        }
    }
    if (StopRequested(stop))
        return SearchEnd::Stopped;
    if (status)
        status(GetText("_PageRegistrySearchState3"));
    return SearchEnd::Finished;
}
