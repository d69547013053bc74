#pragma once
// The backup page: the list of backups, the five backup and restore buttons
// and the status line (dialog 211).

#include "pages/PageDialog.h"

class PageRegistryBackup : public PageDialog {
  public:
    PageRegistryBackup();
    ~PageRegistryBackup() override;

  protected:
    void InitPage() override;
};
