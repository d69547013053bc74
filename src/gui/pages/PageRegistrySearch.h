#pragma once
// The search page: keyword, options, root keys, the search buttons, the
// result list and the status line (dialog 207).

#include "pages/PageDialog.h"

class PageRegistrySearch : public PageDialog {
  public:
    PageRegistrySearch();
    ~PageRegistrySearch() override;

  protected:
    void InitPage() override;
};
