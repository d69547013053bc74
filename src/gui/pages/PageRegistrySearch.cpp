#include "pages/PageRegistrySearch.h"

#include <vector>

#include "resource.h"
#include "search/SearchWorker.h"
#include "settings/ConfigStore.h"
#include "settings/ModulePath.h"
#include "text/FormatText.h"
#include "text/LanguageTable.h"

namespace {

// The check boxes in the order of their stored flag lists.
constexpr int kOptionBoxes[] = {IDC_INCLUDE_KEY,  IDC_INCLUDE_VALUE,   IDC_INCLUDE_DATA,
                                IDC_USE_WILDCARD, IDC_FULL_WORD_MATCH, IDC_CASE_SENSITIVE};
constexpr int kRangeBoxes[] = {IDC_HKCR, IDC_HKCU, IDC_HKLM, IDC_HKUR, IDC_HKCC};

struct BoxGroup {
    const wchar_t* elementPath;
    const int* boxes;
    std::size_t count;
};
const BoxGroup kBoxGroups[] = {
    {ConfigPaths::kSearchOptions, kOptionBoxes, std::size(kOptionBoxes)},
    {ConfigPaths::kSearchRange, kRangeBoxes, std::size(kRangeBoxes)},
};

bool Ticked(HWND page, int box) {
    return IsDlgButtonChecked(page, box) == BST_CHECKED;
}

std::vector<bool> BoxStates(HWND page, const BoxGroup& group) {
    std::vector<bool> flags;
    for (std::size_t i = 0; i < group.count; ++i)
        flags.push_back(Ticked(page, group.boxes[i]));
    return flags;
}

}  // namespace

PageRegistrySearch::PageRegistrySearch()
    : PageDialog(IDD_PAGE_REGISTRY_SEARCH, {{IDC_START_SEARCH, kLayoutMoveX},
                                            {IDC_STOP_SEARCH, kLayoutMoveX},
                                            {IDC_CLEAR_RESULT, kLayoutMoveX},
                                            {IDC_DEFAULT_SETTING, kLayoutMoveX},
                                            {IDC_KEYWORD, kLayoutSizeX},
                                            {IDC_SEARCH_RANGE, kLayoutSizeX},
                                            {IDC_STATUS, kLayoutSizeX | kLayoutMoveY},
                                            {IDC_RESULT_LIST, kLayoutSizeX | kLayoutSizeY}}),
      m_configFile(ConfigFilePath()),
      m_search(
          m_results,
          [this](const std::wstring& keyPath) { return FormatPath(m_walkingText, keyPath); },
          [this] {
              SetButtonStates(false);
              SetStatusText(
                  FormatCount(GetText(L"_PageRegistrySearchState3"), m_results.RowCount()));
          }) {}

PageRegistrySearch::~PageRegistrySearch() {
    Destroy();
}

void PageRegistrySearch::InitPage() {
    TakeMessagesOf(m_search);
    m_walkingText = GetText(L"_PageRegistrySearchState2");
    m_results.SubclassList(Item(IDC_RESULT_LIST));
    m_results.SetRowPictures(IDB_SEARCH_RESULTS);
    m_results.SetDeletionHandler([this](const ListDeletion& deletion) {
        ShowDeletion(deletion);
        SetButtonStates(SearchRunning());
    });
    SendDlgItemMessageW(m_hwnd, IDC_KEYWORD, EM_LIMITTEXT, kSearchKeywordLimit, 0);
    SetButtonStates(false);
    SetStatusText(GetText(L"_PageRegistrySearchState1"));
    LoadSettings(L"custom");
}

void PageRegistrySearch::SetButtonStates(bool running) {
    EnableControls({{IDC_START_SEARCH, !running},
                    {IDC_STOP_SEARCH, running},
                    {IDC_CLEAR_RESULT, !running && m_results.RowCount() > 0}});
}

SearchOptions PageRegistrySearch::Options() const {
    SearchOptions options;
    options.keyword = CutKeyword(WindowText(Item(IDC_KEYWORD)));
    options.keyRowText = GetText(L"_PageRegistrySearchKeyFlagString");
    bool* const flags[] = {&options.includeKey,  &options.includeValue,  &options.includeData,
                           &options.useWildcard, &options.fullWordMatch, &options.caseSensitive,
                           &options.searchHkcr,  &options.searchHkcu,    &options.searchHklm,
                           &options.searchHku,   &options.searchHkcc};
    std::size_t next = 0;
    for (const BoxGroup& group : kBoxGroups) {
        for (std::size_t i = 0; i < group.count; ++i)
            *flags[next++] = Ticked(m_hwnd, group.boxes[i]);
    }
    return options;
}

void PageRegistrySearch::StartSearch() {
    // The old search goes first, so that it never sees the options change.
    StopSearch();
    if (m_search.Start(m_hwnd, SearchWork(Options())))
        SetButtonStates(true);
}

void PageRegistrySearch::StopSearch() {
    if (!m_search.Stop())
        return;
    SetButtonStates(false);
    SetStatusText(FormatCount(GetText(L"_PageRegistrySearchState4"), m_results.RowCount()));
}

void PageRegistrySearch::ClearResults() {
    m_results.Clear();
    SetButtonStates(SearchRunning());
}

void PageRegistrySearch::LoadSettings(const wchar_t* which) {
    ConfigStore store;
    const bool loaded = store.Load(m_configFile);
    if (loaded) {
        for (const BoxGroup& group : kBoxGroups) {
            std::vector<bool> flags = BoxStates(m_hwnd, group);
            ApplyFlagList(store.Read(group.elementPath, which), flags);
            for (std::size_t i = 0; i < group.count; ++i)
                CheckDlgButton(m_hwnd, group.boxes[i], flags[i] ? BST_CHECKED : BST_UNCHECKED);
        }
    }
    const std::wstring keyword =
        loaded ? CutKeyword(store.Read(ConfigPaths::kSearchKeyword, which)) : std::wstring();
    SetDlgItemTextW(m_hwnd, IDC_KEYWORD, keyword.c_str());
}

void PageRegistrySearch::SaveSettings() {
    ConfigStore store;
    if (!store.Load(m_configFile))
        return;
    // Each element that is there takes its part; a file without any is left alone.
    bool written = false;
    for (const BoxGroup& group : kBoxGroups)
        written |=
            store.Write(group.elementPath, L"custom", MakeFlagList(BoxStates(m_hwnd, group)));
    written |= store.Write(ConfigPaths::kSearchKeyword, L"custom",
                           CutKeyword(WindowText(Item(IDC_KEYWORD))));
    if (written)
        store.Save();
}

bool PageRegistrySearch::OnShortcut(const MSG& key) {
    // Enter in the keyword field searches too.
    return StartStopShortcut(key, IDC_START_SEARCH, IDC_STOP_SEARCH,
                             key.wParam == VK_RETURN && key.hwnd == Item(IDC_KEYWORD));
}

bool PageRegistrySearch::OnCommand(int id, int, HWND) {
    switch (id) {
        case IDC_START_SEARCH:
            StartSearch();
            return true;
        case IDC_STOP_SEARCH:
            StopSearch();
            return true;
        case IDC_CLEAR_RESULT:
            ClearResults();
            return true;
        case IDC_DEFAULT_SETTING:
            LoadSettings(L"default");
            return true;
        default:
            return false;
    }
}

void PageRegistrySearch::OnDestroy() {
    StopSearch();
    SaveSettings();
}
