#pragma once
// The search page: the keyword, what to look at and where, the buttons to
// start, stop and clear a search and to load the default options, the result
// list and the status line (dialog 207).

#include <string>

#include "pages/PageDialog.h"
#include "pages/PageJob.h"
#include "resultlist/RegistryListView.h"
#include "search/SearchEngine.h"

class PageRegistrySearch : public PageDialog {
  public:
    PageRegistrySearch();
    ~PageRegistrySearch() override;

    // "config.xml" beside the program unless set otherwise before the page opens.
    void SetConfigFile(const std::wstring& path) { m_configFile = path; }

    bool SearchRunning() const { return m_search.Running(); }
    RegistryListView& ResultList() { return m_results; }

    void StartSearch();
    void StopSearch();
    void ClearResults();
    // The options the controls show now.
    SearchOptions Options() const;
    // "custom" or "default" of the stored options.
    void LoadSettings(const wchar_t* which);
    void SaveSettings();

  protected:
    void InitPage() override;
    bool OnCommand(int id, int code, HWND control) override;

  public:
    bool OnShortcut(const MSG& key) override;

  protected:
    void OnDestroy() override;

  private:
    void SetButtonStates(bool running);

    std::wstring m_configFile;
    std::wstring m_walkingText;  // the status line's format while a key is searched
    RegistryListView m_results;
    PageJob m_search;
};
