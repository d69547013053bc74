#include "resultlist/EditRegItemDlg.h"

#include <utility>

#include "framework/Localize.h"
#include "framework/Prompt.h"
#include "resource.h"
#include "results/EntryEdit.h"
#include "text/FormatText.h"
#include "text/LanguageTable.h"

EditRegItemDlg::EditRegItemDlg(const RegistryItem& entry)
    : Dialog(IDD_EDITREGITEM),
      m_entry(entry),
      m_oldName(entry.valueName),
      m_readOnly(entry.type != REG_SZ) {}

EditRegItemDlg::~EditRegItemDlg() {
    Destroy();
}

// The row's text may be stale or cut at a NUL: the editor works on the value
// as it is now.
void EditRegItemDlg::ReadCurrentValue() {
    const ValueNow now = ReadValueNow(m_entry.rootKey, m_entry.keyPath, m_entry.valueName);
    switch (now.state) {
        case ValueNowState::EditableText:
            m_entry.dataText = now.text;
            return;
        case ValueNowState::NotEditable:
            m_entry.dataText = now.text;
            m_noteKey = L"_EditRegItemDlgNotEditable";
            break;
        case ValueNowState::Missing:
            m_noteKey = L"_EditRegItemDlgValueGone";
            break;
    }
    m_readOnly = true;
}

BOOL EditRegItemDlg::OnInitDialog() {
    LocalizeWindow(m_hwnd);
    CentreWindow(m_hwnd);
    if (!m_readOnly)
        ReadCurrentValue();
    const std::pair<int, const std::wstring*> fields[] = {{IDC_EDIT_ROOT_KEY, &m_entry.rootKey},
                                                          {IDC_EDIT_SUB_KEY, &m_entry.keyPath},
                                                          {IDC_EDIT_VALUE_NAME, &m_entry.valueName},
                                                          {IDC_EDIT_VALUE_DATA, &m_entry.dataText}};
    for (const auto& field : fields) {
        // No limit: a text that does not fit would be saved back cut.
        SendDlgItemMessageW(m_hwnd, field.first, EM_LIMITTEXT, 0, 0);
        SetDlgItemTextW(m_hwnd, field.first, field.second->c_str());
    }
    if (!m_noteKey.empty())
        SetDlgItemTextW(m_hwnd, IDC_EDIT_DESCRIPTION, GetText(m_noteKey).c_str());
    if (m_readOnly) {
        SendDlgItemMessageW(m_hwnd, IDC_EDIT_VALUE_NAME, EM_SETREADONLY, TRUE, 0);
        SendDlgItemMessageW(m_hwnd, IDC_EDIT_VALUE_DATA, EM_SETREADONLY, TRUE, 0);
        ShowWindow(Item(IDOK), SW_HIDE);
        SendMessageW(m_hwnd, DM_SETDEFID, IDCANCEL, 0);
    }
    // Start where the user acts: the text to change, or the one button left.
    HWND focus = Item(m_readOnly ? IDCANCEL : IDC_EDIT_VALUE_DATA);
    SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    return FALSE;
}

void EditRegItemDlg::Save() {
    const std::wstring name = WindowText(Item(IDC_EDIT_VALUE_NAME));
    const std::wstring data = WindowText(Item(IDC_EDIT_VALUE_DATA));
    const UINT notice = MB_OK | MB_ICONINFORMATION;
    if (data.empty()) {
        ShowMessage(m_hwnd, GetText(L"_EditRegItemDlgValueFieldCannotbeNULL"), notice);
        return;
    }
    switch (WriteEditedValue(m_entry.rootKey, m_entry.keyPath, m_oldName, name, data)) {
        case ValueEditResult::Written:
            m_entry.valueName = name;
            m_entry.dataText = data;
            EndDialog(IDOK);
            return;
        case ValueEditResult::NameTaken:
            ShowMessage(m_hwnd, FormatPath(GetText(L"_EditRegItemDlgNameTaken"), name), notice);
            return;
        case ValueEditResult::KeyUnavailable:
        case ValueEditResult::WriteFailed:
            ShowMessage(m_hwnd,
                        FormatPath(GetText(L"_EditRegItemDlgCannotWrite"),
                                   m_entry.rootKey + L"\\" + m_entry.keyPath),
                        notice);
            return;
    }
}

bool EditRegItemDlg::OnCommand(int id, int, HWND) {
    if (id == IDOK && !m_readOnly) {
        Save();
        return true;
    }
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(IDCANCEL);
        return true;
    }
    return false;
}
