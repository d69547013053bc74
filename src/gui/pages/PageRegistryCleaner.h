#pragma once
// The cleaner's page: the task list with its check boxes, the scan and delete
// buttons, the result list and the status line (dialog 204).

#include "common/UniqueHandle.h"
#include "pages/PageDialog.h"
#include "framework/UiHandles.h"

class PageRegistryCleaner : public PageDialog {
  public:
    PageRegistryCleaner();
    ~PageRegistryCleaner() override;

    // Whether a scan is running; the main window asks before it closes then.
    bool ScanRunning() const { return static_cast<bool>(m_scanThread); }

  protected:
    void InitPage() override;

  private:
    void FillTaskList();

    PictureStrip m_taskPictures;
    UniqueKernelHandle m_scanThread;
};
