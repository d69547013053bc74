#pragma once
// The main window (dialog 129): the page selector with the three pages, the
// menu with exit, web links and the about box, and the question asked when
// the window closes while a scan runs.

#include "app/PageSelector.h"
#include "pages/PageRegistryBackup.h"
#include "pages/PageRegistryCleaner.h"
#include "common/UniqueHandle.h"
#include "pages/PageRegistrySearch.h"
#include "framework/Dialog.h"
#include "framework/MessageLoop.h"
#include "framework/ResizeLayout.h"
#include "framework/UiHandles.h"

constexpr int kPageSelectorPosition = 188;

class MainFrame : public Dialog, public MessageFilter, public IdleHandler {
  public:
    MainFrame();
    ~MainFrame() override;

    PageSelector& Selector() { return m_selector; }
    PageRegistryCleaner& CleanerPage() { return m_cleaner; }
    PageRegistrySearch& SearchPage() { return m_search; }
    PageRegistryBackup& BackupPage() { return m_backup; }
    UINT Dpi() const { return m_dpi; }

    bool PreTranslateMessage(MSG& message) override;
    bool OnIdle() override { return false; }

  protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnSize(UINT type, int width, int height) override;
    void OnDestroy() override;
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void LocalizeMenuBar();
    void SetIcons();
    void BuildPages();
    void Close();
    void SetTreeFont();
    void ChangeDpi(UINT dpi, const RECT& suggested);
    PageDialog* CurrentPage();
    void SwitchPage(bool forward);

    ResizeLayout m_layout;
    PageSelector m_selector;
    PageRegistryCleaner m_cleaner;
    PageRegistrySearch m_search;
    PageRegistryBackup m_backup;
    UniqueGdiObject<HFONT> m_treeFont;
    COLORREF m_treeTextColour = RGB(33, 77, 144);
    UniqueIcon m_bigIcon;
    UniqueIcon m_smallIcon;
    bool m_registered = false;
    UINT m_dpi = 96;
};
