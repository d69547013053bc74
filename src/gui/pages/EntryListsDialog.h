#pragma once
// "Ignored and protected entries": the cleaner's two lists, where the user
// takes entries off the ignore list, takes places off the protected list and
// puts the factory protected list back. Every change is saved at once.

#include <string>

#include "framework/Dialog.h"
#include "framework/ListView.h"
#include "settings/EntryLists.h"

class EntryListsDialog : public Dialog {
  public:
    explicit EntryListsDialog(std::wstring configPath);
    ~EntryListsDialog() override;

    const EntryLists& Lists() const { return m_lists; }
    // The commands, as the buttons run them (for tests too).
    void RemoveSelectedIgnored();
    void RemoveSelectedPlaces();
    void RestoreFactoryPlaces();

  protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;

  private:
    void Load();
    void Fill();
    void Save(const EntryLists& changed);
    void ShowButtonStates();

    std::wstring m_configPath;
    EntryLists m_lists;
    ListView m_ignored;
    ListView m_places;
};
