#include "pages/PageRegistryCleaner.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/Dpi.h"
#include "framework/PopupMenu.h"
#include "cleaner/CleanerTasks.h"
#include "cleaner/ScanDriver.h"
#include "cleaner/ScanWorker.h"
#include "framework/Prompt.h"
#include "pages/EntryListsDialog.h"
#include "settings/EntryLists.h"
#include "resource.h"
#include "settings/ConfigStore.h"
#include "settings/ModulePath.h"
#include "text/FormatText.h"
#include "text/LanguageTable.h"

namespace {

enum TaskMenuCommand {
    kMenuDefault = 1,
    kMenuTickAll,
    kMenuUntickAll,
    kMenuInvert,
    kMenuEntryLists
};

}  // namespace

PageRegistryCleaner::PageRegistryCleaner()
    : PageDialog(IDD_PAGE_REGISTRY_CLEANER, {{IDC_SCAN, kLayoutMoveX},
                                             {IDC_STOP, kLayoutMoveX},
                                             {IDC_CLEANER_DELETE, kLayoutMoveX},
                                             {IDC_DELETE_ALL, kLayoutMoveX},
                                             {IDC_TASK_LIST, kLayoutSizeX},
                                             {IDC_RESULT_LIST, kLayoutSizeX | kLayoutSizeY},
                                             {IDC_STATUS, kLayoutSizeX | kLayoutMoveY}}),
      m_configFile(ConfigFilePath()),
      m_scan(
          m_results, [this](const std::wstring& keyPath) { return m_walkingText + keyPath; },
          [this] { ShowScanEnd(); }) {}

PageRegistryCleaner::~PageRegistryCleaner() {
    Destroy();
}

void PageRegistryCleaner::InitPage() {
    TakeMessagesOf(m_scan);
    m_walkingText = GetText(L"_PageRegistryCleanerState2");
    FillTaskList();
    m_results.SubclassList(Item(IDC_RESULT_LIST), true);
    m_results.SetRowPictures(IDB_CLEANER_RESULTS);
    m_results.SetDeletionHandler([this](const ListDeletion& deletion) { ShowDeletion(deletion); });
    m_results.SetDeleteKeyHandler([this] { DeleteSelectedEntries(); });
    m_results.SetIgnoreHandler(
        [this](const std::vector<RegistryItem>& entries) { return Ignore(entries); });
    SetButtonStates(true, false, false, false);
    SetStatusText(GetText(L"_PageRegistryCleanerState1"));
    LoadTaskSelection(L"custom");
}

void PageRegistryCleaner::FillTaskList() {
    m_tasks.Attach(Item(IDC_TASK_LIST));
    if (LoadPictureStrip(m_taskPictures, IDB_CLEANER_TASKS, WindowDpi(m_hwnd), 16, 16, 2))
        m_tasks.SetPictures(m_taskPictures.list.get());
    m_tasks.SetExtendedStyle(LVS_EX_CHECKBOXES);
    for (int row = 0; row < kCleanerTaskCount; ++row)
        m_tasks.AppendRow({GetText(L"_PageRegistryCleanerTask" + std::to_wstring(row + 1))}, row,
                          row);
    FitTaskColumns();
}

// The list wraps its rows into columns: each column as wide as the widest
// task text, or wider when the list has room, so no text is ever cut.
void PageRegistryCleaner::FitTaskColumns() {
    if (!m_tasks.hwnd())
        return;
    int widest = 0;
    for (int row = 0; row < m_tasks.RowCount(); ++row)
        widest = std::max(widest, m_tasks.TextWidth(m_tasks.CellText(row, 0)));
    // The check box, the picture and the gaps around them, at the list's scale.
    widest += 3 * ScaleToDpi(16, WindowDpi(m_tasks.hwnd()));
    RECT client = {};
    GetClientRect(m_tasks.hwnd(), &client);
    const int columns = std::max(1L, client.right / widest);
    m_tasks.SetColumnWidth(0, client.right / columns);
}

void PageRegistryCleaner::AfterResize() {
    FitTaskColumns();
}

void PageRegistryCleaner::SetButtonStates(bool scan, bool stop, bool remove, bool removeAll) {
    EnableControls({{IDC_SCAN, scan},
                    {IDC_STOP, stop},
                    {IDC_CLEANER_DELETE, remove},
                    {IDC_DELETE_ALL, removeAll}});
}

void PageRegistryCleaner::ShowIdleButtons() {
    const bool found = m_results.RowCount() > 0;
    SetButtonStates(true, false, found, found);
}

void PageRegistryCleaner::ShowScanEnd() {
    ShowIdleButtons();
    SetStatusText(FormatCount(GetText(L"_PageRegistryCleanerState3"), m_results.RowCount()));
}

void PageRegistryCleaner::StartScan() {
    if (m_scan.Running())
        return;
    if (!m_scan.Start(m_hwnd, ScanWork(TaskSelection(), StoredEntryFilter(m_configFile))))
        return;
    SetButtonStates(false, true, false, false);
}

void PageRegistryCleaner::StopScan() {
    if (!m_scan.Stop())
        return;
    ShowIdleButtons();
    SetStatusText(FormatCount(GetText(L"_PageRegistryCleanerState4"), m_results.RowCount()));
}

std::vector<bool> PageRegistryCleaner::TaskSelection() const {
    std::vector<bool> selection;
    for (int row = 0; row < m_tasks.RowCount(); ++row)
        selection.push_back(m_tasks.IsChecked(row));
    return selection;
}

void PageRegistryCleaner::SetTaskSelection(const std::vector<bool>& selection) {
    for (std::size_t row = 0; row < selection.size(); ++row)
        m_tasks.SetChecked(static_cast<int>(row), selection[row]);
}

void PageRegistryCleaner::LoadTaskSelection(const wchar_t* which) {
    ConfigStore store;
    if (!store.Load(m_configFile))
        return;
    std::vector<bool> selection = TaskSelection();
    if (ApplyFlagList(store.Read(ConfigPaths::kCleanerTasks, which), selection))
        SetTaskSelection(selection);
}

void PageRegistryCleaner::SaveTaskSelection() {
    ConfigStore store;
    if (store.Load(m_configFile) &&
        store.Write(ConfigPaths::kCleanerTasks, L"custom", MakeFlagList(TaskSelection()))) {
        store.Save();
    }
}

void PageRegistryCleaner::ShowTaskMenu() {
    UniqueMenu menu(CreatePopupMenu());
    if (!menu)
        return;
    for (int command = kMenuDefault; command <= kMenuEntryLists; ++command) {
        if (command == kMenuEntryLists)
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        const std::wstring text =
            GetText(L"_PageRegistryCleanerTaskListMenuItem" + std::to_wstring(command));
        AppendMenuW(menu.get(), MF_STRING, static_cast<UINT_PTR>(command), text.c_str());
        if (command == kMenuDefault)
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    }
    POINT cursor = {};
    GetCursorPos(&cursor);
    const int command = SkinTrackPopupMenu(menu.get(), TPM_RETURNCMD, cursor.x, cursor.y, m_hwnd);
    menu.reset();
    std::vector<bool> selection = TaskSelection();
    switch (command) {
        case kMenuDefault:
            LoadTaskSelection(L"default");
            return;
        case kMenuTickAll:
        case kMenuUntickAll:
            std::fill(selection.begin(), selection.end(), command == kMenuTickAll);
            break;
        case kMenuInvert:
            selection.flip();
            break;
        case kMenuEntryLists:
            ShowEntryLists();
            return;
        default:
            return;
    }
    SetTaskSelection(selection);
}

std::shared_ptr<const EntryFilter> PageRegistryCleaner::Ignore(
    const std::vector<RegistryItem>& entries) {
    ConfigStore store;
    store.Load(m_configFile);
    EntryLists lists = LoadEntryLists(store);
    for (const RegistryItem& item : entries) {
        const IgnoredEntry entry{item.rootKey, item.keyPath, item.IsKey() ? L"" : item.valueName,
                                 item.IsKey()};
        if (std::find(lists.ignored.begin(), lists.ignored.end(), entry) == lists.ignored.end())
            lists.ignored.push_back(entry);
    }
    if (!SaveEntryLists(m_configFile, lists)) {
        ShowMessage(m_hwnd, FormatPath(GetText(L"_PageRegistryCleanerIgnoreFailed"), m_configFile),
                    MB_OK | MB_ICONWARNING);
        return nullptr;
    }
    // Only what is ignored leaves the list, under every name it has.
    return std::make_shared<const EntryFilter>(std::vector<PlacePattern>(), lists.ignored,
                                               CurrentUserSid());
}

void PageRegistryCleaner::ShowEntryLists() {
    EntryListsDialog dialog(m_configFile);
    dialog.DoModal(m_hwnd);
}

void PageRegistryCleaner::DeleteSelectedEntries() {
    const int selected = m_results.SelectedCount();
    if (selected == 0)
        return;
    if (AskYesNo(m_hwnd, FormatCount(GetText(L"_PageRegistryCleanerDeleteConfirm"), selected)))
        m_results.DeleteSelected();
}

void PageRegistryCleaner::DeleteAllEntries() {
    if (!AskYesNo(m_hwnd, GetText(L"_PageRegistryCleanerDeleteAllConfirm")))
        return;
    m_results.SelectAll(true);
    m_results.DeleteSelected();
}

bool PageRegistryCleaner::OnShortcut(const MSG& key) {
    return StartStopShortcut(key, IDC_SCAN, IDC_STOP, false);
}

bool PageRegistryCleaner::OnCommand(int id, int, HWND) {
    switch (id) {
        case IDC_SCAN:
            StartScan();
            return true;
        case IDC_STOP:
            StopScan();
            return true;
        case IDC_CLEANER_DELETE:
            DeleteSelectedEntries();
            return true;
        case IDC_DELETE_ALL:
            DeleteAllEntries();
            return true;
        default:
            return false;
    }
}

bool PageRegistryCleaner::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->idFrom == IDC_TASK_LIST && header->code == NM_RCLICK) {
        ShowTaskMenu();
        result = 0;
        return true;
    }
    return PageDialog::OnNotify(header, result);
}

void PageRegistryCleaner::OnDestroy() {
    StopScan();
    SaveTaskSelection();
}
