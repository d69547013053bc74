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
    // The tree's pictures: a strip of width x height pictures in a bitmap
    // resource (24-bit colour, the transparent colour masked out).
    void SetPictures(int width, int height, int initialCount, int bitmapId, COLORREF transparent);
    // Appends a page and its tree item (whose data is the page's index).
    void AddPage(HWND page, const std::wstring& title, int picture);
    // Selects the first visible tree item, which shows its page.
    void SelectFirstItem();

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

    void ShowPage(int index);
    // A page about to be shown paints itself then; one already shown repaints now.
    enum class Repaint { No, Yes };
    void FitCurrentPage(Repaint repaint);

    VerticalSplitter m_splitter;
    HWND m_tree = nullptr;
    PageContainer m_container;
    PictureStrip m_pictures;
    std::vector<HWND> m_pages;
    int m_current = -1;
};
