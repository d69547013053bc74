#include "pages/EntryListsDialog.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "framework/Dpi.h"
#include "framework/Localize.h"
#include "framework/Prompt.h"
#include "resource.h"
#include "text/FormatText.h"
#include "text/LanguageTable.h"

namespace {

// Takes out the items at the selected rows of a list filled in their order.
template <typename Item>
std::vector<Item> WithoutRows(const std::vector<Item>& items, const std::vector<int>& rows) {
    std::vector<Item> kept;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!std::binary_search(rows.begin(), rows.end(), static_cast<int>(i)))
            kept.push_back(items[i]);
    }
    return kept;
}

// The root column as wide as the longest root's name; the paths share the rest.
void AddColumns(ListView& list, std::initializer_list<const wchar_t*> headings) {
    int column = 0;
    for (const wchar_t* heading : headings)
        list.InsertColumn(column++, GetText(heading), 100, kSortAsText);
    list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    RECT client = {};
    GetClientRect(list.hwnd(), &client);
    const int root = list.TextWidth(L"HKEY_LOCAL_MACHINE") + list.TextWidth(L"MM");
    list.SetColumnWidth(0, root);
    const int rest = client.right - root - SystemMetricForDpi(SM_CXVSCROLL, WindowDpi(list.hwnd()));
    for (int other = 1; other < column; ++other)
        list.SetColumnWidth(other, rest / (column - 1));
}

}  // namespace

EntryListsDialog::EntryListsDialog(std::wstring configPath)
    : Dialog(IDD_ENTRY_LISTS), m_configPath(std::move(configPath)) {}

EntryListsDialog::~EntryListsDialog() {
    Destroy();
}

BOOL EntryListsDialog::OnInitDialog() {
    LocalizeWindow(m_hwnd);
    m_ignored.Attach(Item(IDC_IGNORED_LIST));
    m_places.Attach(Item(IDC_PROTECTED_LIST));
    AddColumns(m_ignored,
               {L"_RegistryListViewCol1", L"_RegistryListViewCol2", L"_RegistryListViewCol3"});
    AddColumns(m_places, {L"_RegistryListViewCol1", L"_RegistryListViewCol2"});
    Load();
    CentreWindow(m_hwnd);
    return TRUE;
}

void EntryListsDialog::Load() {
    ConfigStore store;
    store.Load(m_configPath);
    m_lists = LoadEntryLists(store);
    Fill();
}

void EntryListsDialog::Fill() {
    if (!m_hwnd)
        return;
    m_ignored.DeleteAllRows();
    const std::wstring wholeKey = GetText(L"_EntryListsWholeKey");
    for (const IgnoredEntry& entry : m_lists.ignored) {
        m_ignored.AppendRow({entry.root, entry.keyPath, entry.isKey ? wholeKey : entry.valueName},
                            -1, 0);
    }
    m_places.DeleteAllRows();
    for (const PlacePattern& place : m_lists.protectedPlaces)
        m_places.AppendRow({place.root, place.path}, -1, 0);
    ShowButtonStates();
}

void EntryListsDialog::ShowButtonStates() {
    EnableWindow(Item(IDC_REMOVE_IGNORED), m_ignored.SelectedCount() > 0);
    EnableWindow(Item(IDC_REMOVE_PROTECTED), m_places.SelectedCount() > 0);
    EnableWindow(Item(IDC_RESTORE_FACTORY), m_lists.protectedPlaces != m_lists.factoryPlaces);
}

void EntryListsDialog::Save(const EntryLists& changed) {
    if (SaveEntryLists(m_configPath, changed)) {
        m_lists = changed;
    } else {
        ShowMessage(m_hwnd, FormatPath(GetText(L"_EntryListsSaveFailed"), m_configPath),
                    MB_OK | MB_ICONWARNING);
    }
    Fill();
}

void EntryListsDialog::RemoveSelectedIgnored() {
    EntryLists changed = m_lists;
    changed.ignored = WithoutRows(m_lists.ignored, m_ignored.SelectedRows());
    Save(changed);
}

void EntryListsDialog::RemoveSelectedPlaces() {
    EntryLists changed = m_lists;
    changed.protectedPlaces = WithoutRows(m_lists.protectedPlaces, m_places.SelectedRows());
    Save(changed);
}

void EntryListsDialog::RestoreFactoryPlaces() {
    EntryLists changed = m_lists;
    changed.protectedPlaces = changed.factoryPlaces;
    Save(changed);
}

bool EntryListsDialog::OnCommand(int id, int code, HWND control) {
    switch (id) {
        case IDC_REMOVE_IGNORED:
            RemoveSelectedIgnored();
            return true;
        case IDC_REMOVE_PROTECTED:
            RemoveSelectedPlaces();
            return true;
        case IDC_RESTORE_FACTORY:
            RestoreFactoryPlaces();
            return true;
        case IDOK:
        case IDCANCEL:
            EndDialog(IDOK);
            return true;
        default:
            return Dialog::OnCommand(id, code, control);
    }
}

bool EntryListsDialog::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->code == LVN_ITEMCHANGED)
        ShowButtonStates();
    return Dialog::OnNotify(header, result);
}
