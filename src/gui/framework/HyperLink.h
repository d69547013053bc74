#pragma once
// A static control turned into a web link: underlined text in the link colour
// (the visited colour once opened), a hand cursor over the text, a tooltip with
// the address, and opening by click, Enter or Space.

#include <windows.h>

#include <string>

#include "common/UniqueHandle.h"
#include "framework/Window.h"

struct LinkColours {
    COLORREF link = RGB(0, 0, 255);
    COLORREF visited = RGB(128, 0, 128);
};

// The browser's anchor colours from HKCU\Software\Microsoft\Internet
// Explorer\Settings ("Anchor Color", "Anchor Color Visited", each "r,g,b"),
// each replacing its default only when it holds three numbers of 0 to 255.
LinkColours ReadLinkColours();

class HyperLink : public Window {
  public:
    // Set before SubclassStatic; without one the link text is the address.
    void SetUrl(const std::wstring& url) { m_url = url; }
    bool SubclassStatic(HWND control);

    const std::wstring& Url() const { return m_url; }
    const std::wstring& Text() const { return m_text; }
    bool Visited() const { return m_visited; }
    const LinkColours& Colours() const { return m_colours; }
    // The colour the text is drawn in now.
    COLORREF TextColour() const { return m_visited ? m_colours.visited : m_colours.link; }
    // The clickable area in client coordinates.
    const RECT& LinkRect() const { return m_linkRect; }

    // Opens the address; on success the link becomes visited and is redrawn.
    bool Open();

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    bool IsTextStatic() const;
    void MeasureText();
    void CreateToolTip();
    void Paint();
    bool InLink(LPARAM point) const;

    std::wstring m_url;
    std::wstring m_text;
    bool m_visited = false;
    bool m_pressed = false;
    LinkColours m_colours;
    UniqueGdiObject<HFONT> m_font;
    HCURSOR m_cursor = nullptr;
    HWND m_toolTip = nullptr;
    RECT m_linkRect = {};
};
