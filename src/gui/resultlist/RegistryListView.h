#pragma once
// The list of found registry entries on the cleaner and the search page: four
// columns (root key, key, value name, data), a picture and a RowTag per row,
// sorting by column click, and the context menu's commands on the selected
// rows: view or edit, delete (backup first), export, selection, and opening
// the row's key in the registry editor.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/UiHandles.h"
#include "framework/Window.h"
#include "registry/Registry.h"
#include "results/DeleteEntries.h"
#include "resultlist/RowForwarder.h"

// What each row carries besides its texts; lives exactly as long as its row,
// and tells rows apart when they are sorted.
struct RowTag {
    int insertionIndex = 0;
    int type = KeyRowMarker;  // the value's type, or KeyRowMarker for a key
};

// What became of the rows a deletion was asked for.
struct ListDeletion {
    std::size_t selected = 0;  // rows the deletion took
    std::size_t removed = 0;   // rows whose entries are gone: taken off the list
    std::size_t failed = 0;    // rows kept, still selected: their entries are still there
};

class RegistryListView : public Window {
  public:
    static constexpr int kColumnCount = 4;

    RegistryListView();
    ~RegistryListView() override;

    // Takes over the page's report list: columns, grid lines, full-row selection.
    bool SubclassList(HWND list);
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

    // The one way rows enter, on the list's own thread; appended at the end
    // (also when the list is sorted) and scrolled into view. Rows that come
    // in a stream are drawn together: the list shows the newest of them
    // within a few tens of milliseconds, or at once with ShowNewRows.
    void AddRow(int image, const std::wstring& rootName, const std::wstring& keyPath,
                const std::wstring& valueName, const std::wstring& dataText, int type);
    void Clear();
    void ShowNewRows();

    // A new job for a worker: rows forwarded for an earlier job are dropped
    // from now on. The forwarder is all the worker may hold, and only that
    // worker uses it.
    std::shared_ptr<RowForwarder> BeginJob();
    // Drops the rows of every job begun so far (after Stop).
    void EndJob() { m_acceptedJob = 0; }

    int RowCount() const;
    int SelectedCount() const;
    // The rows selected, top to bottom.
    std::vector<int> SelectedRows() const;
    // The whole text of a cell, however long.
    std::wstring RowText(int row, int column) const;
    const RowTag* Tag(int row) const;
    // The entry a row stands for, from its texts and its tag.
    RegistryItem Entry(int row) const;
    // Tags alive in this list: one per row.
    std::size_t TagCount() const { return m_tagCount; }

    // Sorts by the column's texts, descending and ascending by turns: the
    // direction is shared by every list of the program.
    void SortByColumn(int column);

    // Deletes the selected rows' entries, the backup first (when that cannot
    // be written completely, nothing is deleted and a message names the file).
    // The deletion handler hears of it too, also when the menu asked for it.
    ListDeletion DeleteSelected();
    void SetDeletionHandler(std::function<void(const ListDeletion&)> handler) {
        m_deletionHandler = std::move(handler);
    }
    // Writes the selected rows' entries into the file; an empty name asks with
    // the Save dialog. True when the file was written.
    bool ExportSelected(const std::wstring& fileName);
    // Opens the entry editor on the first selected row; its texts follow a change.
    void EditSelected();
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

  private:
    LRESULT OnNotify(const NMHDR& header);
    void InsertColumns();
    void FitColumns();
    RowTag* TagOf(int row) const;
    void FreeTag(int row);
    void FreeAllTags();
    void RemoveRows(const std::vector<int>& rows, const std::vector<RowTag*>& tags);
    // Only rows whose entries are gone leave the list.
    void RemoveDeletedRows(const std::vector<int>& rows, const std::vector<RowTag*>& tags,
                           const DeleteReport& report, ListDeletion& deletion);
    void SetRowState(int row, bool selected);
    HWND Owner() const;
    void BeginRowStream();

    std::wstring m_backupFolder;
    std::function<void(const ListDeletion&)> m_deletionHandler;
    PictureStrip m_pictures;
    bool m_busy = false;
    bool m_fitting = false;
    bool m_streaming = false;
    ULONGLONG m_streamStart = 0;
    unsigned m_acceptedJob = 0;
    std::size_t m_tagCount = 0;
};
