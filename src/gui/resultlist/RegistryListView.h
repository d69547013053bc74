#pragma once
// The list of found registry entries on the cleaner and the search page: four
// columns (root key, key, value name, data), on the cleaner's list a fifth
// (the problem, why the entry is listed), and a picture per row, sorting by
// column click, finding a row by typing, and the context menu's commands on
// the selected rows: view or edit, delete (backup first), export, selection,
// and opening the row's key in the registry editor.
//
// The list control keeps no row (LVS_OWNERDATA): the rows live in a RowStore
// and the control asks for what it shows. Selection and focus stay the
// control's.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/ListView.h"
#include "framework/UiHandles.h"
#include "cleaner/EntryFilter.h"
#include "registry/Registry.h"
#include "results/DeleteEntries.h"
#include "resultlist/RowQueue.h"
#include "resultlist/RowStore.h"

// What became of the rows a deletion was asked for.
struct ListDeletion {
    std::size_t selected = 0;       // rows the deletion took
    std::size_t removed = 0;        // rows whose entries are gone: taken off the list
    std::size_t failed = 0;         // rows kept, still selected: their entries are still there
    std::size_t noLongerStale = 0;  // rows kept, unselected: their entries were judged valid now
};

class RegistryListView : public ListView {
  public:
    static constexpr int kColumnCount = RowStore::kColumns;
    // The key column: typing finds a row by it while the list is unsorted.
    static constexpr int kKeyColumn = 1;

    RegistryListView();
    ~RegistryListView() override;

    // Takes over the page's report list, made with LVS_OWNERDATA: columns
    // (with the problem column or without), grid lines, full-row selection.
    bool SubclassList(HWND list, bool withProblems = false);
    // The row pictures: a three-picture 16-pixel strip from a bitmap resource.
    bool SetRowPictures(int bitmapId);

    // Every deletion first writes its backup here; the program's backup
    // folder unless set otherwise.
    void SetBackupFolder(const std::wstring& folder) { m_backupFolder = folder; }
    const std::wstring& BackupFolder() const { return m_backupFolder; }

    // While the owning page's worker runs, the menu offers no command that
    // changes or reads the entries (edit, delete, export).
    void SetBusy(bool busy) { m_busy = busy; }
    bool Busy() const { return m_busy; }

    // A row at the end (also when the list is sorted), scrolled into view.
    void AddRow(const RegistryItem& item);
    // Every row goes, at once however many there are.
    void Clear();

    // A new job for a worker: the queue its rows come through, the only
    // thing the worker may hold. Rows of an earlier job are dropped from now on.
    std::shared_ptr<RowQueue> BeginJob();
    // Drops the running job's queue and every row still in it (after Stop).
    void EndJob();
    // Adds the rows waiting in the job's queue now (at the job's end).
    void TakeWaitingRows();

    std::wstring RowText(int row, int column) const;
    // The entry a row stands for.
    RegistryItem Entry(int row) const;
    // Bytes of memory the rows hold.
    std::size_t RowBytes() const { return m_store.Bytes(); }

    // Sorts by the column's texts, descending and ascending by turns (the
    // direction is shared by every result list of the program). The selection
    // stays on the same entries and the focused entry in view.
    void SortByColumn(int column);
    int SortColumn() const { return m_sortColumn; }

    // Deletes the selected rows' entries, the backup first (when that cannot
    // be written completely, nothing is deleted and a message names the file).
    // The deletion handler hears of it too, also when the menu asked for it.
    ListDeletion DeleteSelected();
    void SetDeletionHandler(std::function<void(const ListDeletion&)> handler) {
        m_deletionHandler = std::move(handler);
    }
    // What the Delete key does when the menu's Delete is enabled; without a
    // handler, the menu's Delete.
    void SetDeleteKeyHandler(std::function<void()> handler) {
        m_deleteKeyHandler = std::move(handler);
    }
    // Writes the selected rows' entries into the file; an empty name asks with
    // the Save dialog. True when the file was written.
    bool ExportSelected(const std::wstring& fileName);
    // Opens the entry editor on the first selected row; its texts follow a change.
    void EditSelected();
    // Hands the selected rows' entries to the ignore handler (the cleaner's
    // list only: the menu offers "Ignore" once a handler is set), then takes
    // off the list every row the filter it returns hides.
    void IgnoreSelected();
    using IgnoreHandler =
        std::function<std::shared_ptr<const EntryFilter>(const std::vector<RegistryItem>&)>;
    void SetIgnoreHandler(IgnoreHandler handler) { m_ignoreHandler = std::move(handler); }
    // Takes off the list every row the filter hides.
    void RemoveRowsHiddenBy(const EntryFilter& filter);
    // Starts the registry editor at the first selected row's key.
    void OpenSelectedInRegistryEditor();
    void InvertSelection();
    void SelectAll(bool select);

    // The context menu at a screen point; runs the chosen command.
    void ShowContextMenu(POINT screenPoint);
    // Whether the menu offers the command now.
    bool CommandEnabled(int command) const;
    void RunCommand(int command);

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnColumnClick(int column) override;

  private:
    LRESULT OnNotify(const NMHDR& header);
    // Ctrl+A, Enter and Delete; true when the key was one of them.
    bool OnKey(WPARAM key);
    void ShowText(NMLVDISPINFOW& info) const;
    int FindRow(const NMLVFINDITEMW& find) const;
    void OnRowsWaiting(WPARAM job);
    void ShowRowCount();
    void Select(std::vector<int> rows);
    HWND Owner() const;

    RowStore m_store;
    std::shared_ptr<RowQueue> m_queue;
    std::wstring m_backupFolder;
    std::function<void(const ListDeletion&)> m_deletionHandler;
    std::function<void()> m_deleteKeyHandler;
    IgnoreHandler m_ignoreHandler;
    PictureStrip m_pictures;
    bool m_busy = false;
    bool m_fitting = false;
    int m_sortColumn = -1;
    int m_columns = kColumnCount - 1;
    ULONGLONG m_lastTaken = 0;
};
