#pragma once
// A page of the main window: a child dialog that translates its texts when it
// opens, keeps its controls placed by its resize rules, and has a one-line
// status text (IDC_STATUS).

#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/ResizeLayout.h"
#include "resultlist/RegistryListView.h"

class PageJob;

class PageDialog : public Dialog {
  public:
    PageDialog(int templateId, std::vector<LayoutEntry> layout)
        : Dialog(templateId), m_layoutEntries(std::move(layout)) {}

    void SetStatusText(const std::wstring& text);
    std::wstring StatusText() const;
    // The status line after a deletion from the page's result list: how many
    // entries went, or how many could not be deleted.
    void ShowDeletion(const ListDeletion& deletion);

    // The page's keys, looked at before the dialog's own handling: F5 runs
    // the page's work again, Escape stops it (and does nothing when idle).
    // True when the key was the page's.
    virtual bool OnShortcut(const MSG& /*key*/) { return false; }
    // Presses a button of the page when it is enabled; true when it was.
    bool PressIfEnabled(int id);

  protected:
    // The keys of a page with work to start and stop: F5 (or another key the
    // page names) presses start, Escape presses stop; a disabled button
    // swallows its key. True when the key was one of them.
    bool StartStopShortcut(const MSG& key, int start, int stop, bool alsoStarts);

  public:
  protected:
    // The page's worker reports through the page's window: its messages go to job.
    void TakeMessagesOf(PageJob& job) { m_job = &job; }

    BOOL OnInitDialog() override;
    void OnSize(UINT type, int width, int height) override;
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // The page's own start-up, after translation and layout set-up.
    virtual void InitPage() {}
    // After the controls were placed for a new size.
    virtual void AfterResize() {}

  private:
    std::vector<LayoutEntry> m_layoutEntries;
    ResizeLayout m_layout;
    PageJob* m_job = nullptr;
};
