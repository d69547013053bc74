#pragma once
// The entry editor (dialog 210): shows a found entry and lets the user change
// the name and text of a string value. Every other entry, and a string value
// that is gone or no longer a plain text, is shown read-only.

#include <string>

#include "framework/Dialog.h"
#include "registry/Registry.h"

class EditRegItemDlg : public Dialog {
  public:
    // The entry as its row shows it.
    explicit EditRegItemDlg(const RegistryItem& entry);
    ~EditRegItemDlg() override;

    bool ReadOnly() const { return m_readOnly; }
    // After IDOK: the name and text written.
    const std::wstring& ValueName() const { return m_entry.valueName; }
    const std::wstring& Data() const { return m_entry.dataText; }

  protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

  private:
    void ReadCurrentValue();
    void Save();

    RegistryItem m_entry;
    std::wstring m_oldName;
    std::wstring m_noteKey;
    bool m_readOnly;
};
