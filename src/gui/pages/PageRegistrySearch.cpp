#include "pages/PageRegistrySearch.h"

#include "text/LanguageTable.h"
#include "resource.h"

PageRegistrySearch::PageRegistrySearch()
    : PageDialog(IDD_PAGE_REGISTRY_SEARCH, {{IDC_START_SEARCH, kLayoutMoveX},
                                            {IDC_STOP_SEARCH, kLayoutMoveX},
                                            {IDC_CLEAR_RESULT, kLayoutMoveX},
                                            {IDC_DEFAULT_SETTING, kLayoutMoveX},
                                            {IDC_KEYWORD, kLayoutSizeX},
                                            {IDC_SEARCH_RANGE, kLayoutSizeX},
                                            {IDC_STATUS, kLayoutSizeX | kLayoutMoveY},
                                            {IDC_RESULT_LIST, kLayoutSizeX | kLayoutSizeY}}) {}

PageRegistrySearch::~PageRegistrySearch() {
    Destroy();
}

void PageRegistrySearch::InitPage() {
    SetStatusText(GetText("_PageRegistrySearchState1"));
}
