#pragma once
// A vertical splitter: two panes side by side and a bar between them that the
// user drags with the mouse. When the splitter changes size, the left pane
// keeps its width and the right pane takes the whole change. Notifications and
// commands from the panes go on to the splitter's parent.

#include <windows.h>

#include "framework/Window.h"

class VerticalSplitter : public Window {
  public:
    bool Create(HWND parent, const RECT& rect);
    void SetPanes(HWND left, HWND right);
    // Moves the bar (its left edge, in client pixels) and lays out the panes.
    void SetPosition(int position);
    // The bar's left edge as laid out now.
    int Position() const;
    int BarWidth() const;
    void Centre();
    // Whether the panes follow the mouse while the bar is dragged (the
    // system's full-window-drag setting).
    bool FullDrag() const { return m_fullDrag; }

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    int Clamp(int position) const;
    void Layout();
    bool OnBar(int x) const;
    void ReadDragSetting();
    void DrawGhostBar(int position);
    void BeginDrag(int x);
    void Drag(int x);
    enum class DragEnd { Drop, Cancel };
    void EndDrag(DragEnd end);
    void Paint();

    HWND m_left = nullptr;
    HWND m_right = nullptr;
    int m_position = 0;
    bool m_fullDrag = true;
    bool m_dragging = false;
    int m_dragOffset = 0;
    int m_ghostPosition = -1;
};
