#pragma once
// The main window's client area: the list of pages on the left (a tree view
// with large pictures), a splitter bar, and on the right the container that
// shows exactly one page at a time. It is built inside a placeholder control
// of the main window's template.

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Splitter.h"
#include "framework/UiHandles.h"
#include "framework/Window.h"

class PageSelector : public Window {
  public:
    PageSelector() : m_container(*this) {}

    // Takes over the placeholder and fills it: tree left of the bar at
    // splitterPosition pixels, page container right of it.
    bool Build(HWND placeholder, int splitterPosition);
    // The tree's pictures: a strip of width x height pictures (at 96 DPI) in a
    // bitmap resource (24-bit colour, the transparent colour masked out), drawn
    // for the scale nearest the selector's DPI.
    void SetPictures(int width, int height, int initialCount, int bitmapId, COLORREF transparent);
    // Lays the tree out again for a new DPI (the main window's WM_DPICHANGED,
    // after the tree has its font for it): the pictures of the nearest scale,
    // the rows' height and the room around the labels follow it. The bar's
    // place is the caller's, as in Build.
    void SetDpi(UINT dpi);
    UINT Dpi() const { return m_dpi; }
    // The scale the tree's pictures are drawn for: 100, 150 or 200 (%).
    int PictureScale() const;
    // Appends a page and its tree item (whose data is the page's index).
    void AddPage(HWND page, const std::wstring& title, int picture);
    // Selects the first visible tree item, which shows its page.
    void SelectFirstItem();
    // Shows the page of that index (the tree's selection shows one the same way).
    void ShowPage(int index);

    HWND Tree() const { return m_tree; }
    HWND Container() const { return m_container.hwnd(); }
    VerticalSplitter& Splitter() { return m_splitter; }
    int CurrentPage() const { return m_current; }
    std::size_t PageCount() const { return m_pages.size(); }
    HWND Page(std::size_t index) const { return m_pages.at(index); }

    // Passes a change of system settings on to the splitter.
    void SettingChanged();

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    class PageContainer : public Window {
      public:
        explicit PageContainer(PageSelector& owner) : m_owner(owner) {}

      protected:
        LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

      private:
        PageSelector& m_owner;
    };

    // A page about to be shown paints itself then; one already shown repaints now.
    enum class Repaint { No, Yes };
    void FitCurrentPage(Repaint repaint);

    struct PictureSource {
        int width = 0;
        int height = 0;
        int initialCount = 0;
        int bitmapId = 0;
        COLORREF transparent = 0;
    };

    void LoadPictures();
    void FitRows();
    LRESULT OnTreeCustomDraw(NMTVCUSTOMDRAW& draw);
    void DrawLabel(HDC dc, HTREEITEM item) const;

    VerticalSplitter m_splitter;
    HWND m_tree = nullptr;
    PageContainer m_container;
    UINT m_dpi = kDefaultDpi;
    PictureSource m_pictureSource;
    PictureStrip m_pictures;
    // The colours the tree chose for the label being drawn.
    COLORREF m_labelText = 0;
    COLORREF m_labelBack = 0;
    std::vector<HWND> m_pages;
    int m_current = -1;
};
