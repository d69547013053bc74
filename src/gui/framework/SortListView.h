#pragma once
// List views in report view that sort their rows when the user clicks a
// column header. Each column keeps its sort kind in its header item's data.

#include <windows.h>

#include <string>

#include "framework/Window.h"

enum ListSortKind : int {
    kSortAsText = 0,    // multibyte texts, character by character
    kSortAsNumber = 1,  // the texts read as floating-point numbers
};

// Sorts the rows by one column, by the kind the column's header item holds.
// Each row's text of that column (its first 259 characters) is read once
// before the sort; the comparison touches no control. Rows are told apart by
// their item data, which must be unique within the list.
void SortRowsByColumn(HWND list, int column, bool descending);

class SortListView : public Window {
  public:
    // Takes over the list control.
    bool Attach(HWND list) { return Subclass(list); }

    // A left, right or centred column (LVCFMT_*); width and sub item are
    // left to the control when -1. Returns the column's index or -1.
    int InsertColumn(int index, const std::wstring& heading, int format, int width, int subItem,
                     ListSortKind kind);

    // The direction of the next sort, shared by every list of this class and
    // every column: descending at first, inverted after each sort.
    static bool NextSortDescending() { return s_descending; }

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    static bool s_descending;
};
