#include "pages/PageDialog.h"

#include "framework/Localize.h"
#include "pages/PageJob.h"
#include "resource.h"
#include "text/FormatText.h"
#include "text/LanguageTable.h"

void PageDialog::SetStatusText(const std::wstring& text) {
    if (HWND status = Item(IDC_STATUS))
        SetWindowTextW(status, text.c_str());
}

std::wstring PageDialog::StatusText() const {
    return WindowText(Item(IDC_STATUS));
}

bool PageDialog::StartStopShortcut(const MSG& key, int start, int stop, bool alsoStarts) {
    if (key.message != WM_KEYDOWN)
        return false;
    if (key.wParam == VK_F5 || alsoStarts) {
        PressIfEnabled(start);
        return true;
    }
    if (key.wParam == VK_ESCAPE) {
        PressIfEnabled(stop);
        return true;
    }
    return false;
}

bool PageDialog::PressIfEnabled(int id) {
    HWND button = Item(id);
    if (button == nullptr || !IsWindowEnabled(button))
        return false;
    SendMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

void PageDialog::ShowDeletion(const ListDeletion& deletion) {
    if (deletion.selected == 0)
        return;
    std::wstring text;
    if (deletion.failed > 0) {
        text = FormatCount(GetText(L"_RegistryListViewDeleteLeftUndone"),
                           static_cast<long long>(deletion.failed));
    } else if (deletion.removed > 0 || deletion.noLongerStale == 0) {
        text = FormatCount(GetText(L"_RegistryListViewDeleted"),
                           static_cast<long long>(deletion.removed));
    }
    if (deletion.noLongerStale > 0) {
        text += (text.empty() ? L"" : L" ") +
                FormatCount(GetText(L"_RegistryListViewNoLongerStale"),
                            static_cast<long long>(deletion.noLongerStale));
    }
    SetStatusText(text);
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

bool PageDialog::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!m_job || !m_job->HandleMessage(m_hwnd, message, wParam, lParam))
        return false;
    result = 0;
    return true;
}
