#pragma once
// A list view control in report view, reached through typed calls: columns
// with their sort kinds, rows, selection and focus, the header's sort arrow.
// A list that keeps its own rows (LVS_OWNERDATA) only sets their count and
// answers the control's questions; any other list holds its rows' texts.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/Window.h"

// Rows first to last, both included.
struct RowRun {
    int first;
    int last;
};

// The rows as runs of neighbours; rows ascending, without repeats.
std::vector<RowRun> RunsOfRows(const std::vector<int>& rows);

enum ListSortKind : int {
    kSortAsText = 0,    // in the code page's order, character by character
    kSortAsNumber = 1,  // the texts read as floating-point numbers
};

class ListView : public Window {
  public:
    // Takes over the list control.
    bool Attach(HWND list) { return Subclass(list); }

    // A left-aligned column; returns its index or -1.
    int InsertColumn(int index, const std::wstring& heading, int width, ListSortKind kind);
    int ColumnCount() const;
    ListSortKind ColumnKind(int column) const;
    // Equal shares of the list's client width for the first columns.
    void FitColumnsEqually(int columns);
    // The sort arrow on that column's header, none on the others (column -1: none at all).
    void ShowSortArrow(int column, bool descending);
    void SetExtendedStyle(DWORD styles);
    void SetPictures(HIMAGELIST pictures);

    int RowCount() const;
    // For a list that keeps its own rows: how many there are now; the scroll
    // position stays. The rows on screen are asked for again, or, when rows
    // were only added at the end, only the new ones.
    void SetRowCount(int count, bool onlyAdded = false);
    // Draws the row again (its texts changed).
    void RedrawRow(int row);
    // The row's place in the list's client area; empty when it has none.
    RECT RowBounds(int row) const;
    // For a list that holds its rows: appends one (its texts column by column).
    int AppendRow(const std::vector<std::wstring>& texts, int image, LPARAM data);
    std::wstring CellText(int row, int column) const;
    LPARAM RowData(int row) const;
    void DeleteAllRows();
    // Sorts a list that holds its rows by the column's texts, as its kind
    // says; rows are told apart by their data, which must be unique.
    void SortByColumn(int column, bool descending);

    int SelectedCount() const;
    int FirstSelected() const;  // -1 when none is
    std::vector<int> SelectedRows() const;
    int FocusedRow() const;
    bool IsSelected(int row) const;
    // Selects or unselects a row (-1: every row).
    void SetSelected(int row, bool selected);
    // Makes the rows of these runs (ascending, apart) the selected ones,
    // drawn once. The control spends about a microsecond on each row it
    // changes one by one and a third of that on each row when it changes all
    // at once: of a million rows, only those that change are touched, or all
    // at once when that is quicker.
    void SelectRuns(const std::vector<RowRun>& runs);
    // What Shift does with a click or a key: the rows from the selection mark
    // to this one become the selection, and this one is focused and shown.
    void ExtendSelectionTo(int row);
    // The check box of a row (LVS_EX_CHECKBOXES).
    bool IsChecked(int row) const;
    void SetChecked(int row, bool checked);
    // How wide the text would be drawn in the list, in pixels.
    int TextWidth(const std::wstring& text) const;
    void SetColumnWidth(int column, int width);

    // Focuses, selects and shows the row.
    void FocusRow(int row);
    // Moves the focus to the row, which keeps its selection, and shows it.
    void MoveFocusTo(int row);
    void EnsureVisible(int row);

    // Turns the list's drawing off for as long as it lives, and redraws the
    // list when it goes: a change to many rows is drawn once, not row by row.
    class QuietChange {
      public:
        explicit QuietChange(HWND list);
        ~QuietChange();
        QuietChange(const QuietChange&) = delete;
        QuietChange& operator=(const QuietChange&) = delete;

      private:
        HWND m_list;
    };

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // A click on a column header; lists that hold their rows sort them by it,
    // descending and ascending by turns.
    virtual void OnColumnClick(int column);

  private:
    HWND Header() const;
    // The selection when it is one run of rows.
    bool SelectionIsOneRun(RowRun& run) const;
    // The row a range key moves the focus to, or -1 for another key.
    int RangeKeyTarget(WPARAM key) const;
    bool AllowsRanges() const;
    bool m_nextDescending = true;
};
