#pragma once
// Dialogs made from templates of the program's resources: modeless (the main
// window and its pages) or modal (the about box, the entry editor). Handlers
// are small virtual functions per message kind; notifications that a dialog
// does not handle go back to the control that sent them.

#include <windows.h>

#include <initializer_list>
#include <utility>

#include "framework/Window.h"

class Dialog : public Window {
  public:
    explicit Dialog(int templateId) : m_templateId(templateId) {}
    ~Dialog() override;

    int TemplateId() const { return m_templateId; }

    // Modeless; returns the dialog window or null.
    HWND Create(HWND parent);
    // Modal; returns the result passed to EndDialog, or -1.
    INT_PTR DoModal(HWND parent);
    void Destroy();

    HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }
    // Enables and disables controls, the enabled ones first: a focused control
    // that is disabled hands the focus on to the next one, so that the
    // keyboard never finds the window without a focus.
    void EnableControls(std::initializer_list<std::pair<int, bool>> states);

  protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    // Returns whether the command was handled.
    virtual bool OnCommand(int id, int code, HWND control);
    // The default sends the notification back to its control.
    virtual bool OnNotify(NMHDR* header, LRESULT& result);
    virtual void OnSize(UINT type, int width, int height);
    virtual void OnDestroy() {}
    // Every other message; returns whether it was handled, setting result.
    virtual bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    void EndDialog(INT_PTR result);
    bool IsModal() const { return m_modal; }

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    int m_templateId;
    bool m_modal = false;
};

// Moves a window (position only) to the centre of its visible, not minimised
// owner or parent, else of the desktop work area, and keeps it inside the work area.
void CentreWindow(HWND window);

// The module whose resources hold the dialog templates, pictures and menus.
HINSTANCE ResourceInstance();
void SetResourceInstance(HINSTANCE instance);
