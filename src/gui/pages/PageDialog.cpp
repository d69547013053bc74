#include "pages/PageDialog.h"

#include "framework/Localize.h"
#include "resource.h"

void PageDialog::SetStatusText(const std::string& text) {
    if (HWND status = Item(IDC_STATUS))
        SetWindowTextA(status, text.c_str());
}

std::string PageDialog::StatusText() const {
    return WindowText(Item(IDC_STATUS));
}

BOOL PageDialog::OnInitDialog() {
    LocalizeWindow(m_hwnd);
    m_layout.Init(m_hwnd, m_layoutEntries);
    InitPage();
    return TRUE;
}

void PageDialog::OnSize(UINT type, int width, int height) {
    if (type == SIZE_MINIMIZED)
        return;
    m_layout.Apply(width, height);
    AfterResize();
}
