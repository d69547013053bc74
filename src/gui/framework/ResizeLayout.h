#pragma once
// Keeps a dialog's controls placed as its template placed them when the dialog
// changes size: each control listed moves and/or grows by the change in the
// dialog's client size, keeping its distances to the right and bottom edges.

#include <windows.h>

#include <vector>

enum LayoutRule : unsigned {
    kLayoutMoveX = 1,  // follows the right edge
    kLayoutMoveY = 2,  // follows the bottom edge
    kLayoutSizeX = 4,  // widens with the dialog
    kLayoutSizeY = 8,  // grows with the dialog
};

struct LayoutEntry {
    int controlId;
    unsigned rules;
};

class ResizeLayout {
  public:
    // Records the client size and each listed control's place as they are now
    // (call while handling WM_INITDIALOG, before the dialog is resized).
    void Init(HWND dialog, const std::vector<LayoutEntry>& entries);
    // Places the controls for a client area of the given size. Does nothing
    // while the dialog is minimised.
    void Apply(int width, int height) const;

  private:
    struct Placement {
        HWND control;
        unsigned rules;
        RECT rect;
    };
    HWND m_dialog = nullptr;
    SIZE m_templateSize = {};
    std::vector<Placement> m_placements;
};
