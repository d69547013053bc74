#include "framework/HyperLink.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cwchar>

#include "framework/ShellOpen.h"

namespace {

constexpr wchar_t kBrowserSettingsKey[] = L"Software\\Microsoft\\Internet Explorer\\Settings";

// "r,g,b" in decimal, each 0 to 255.
bool ParseColour(const wchar_t* text, COLORREF& colour) {
    int red = -1, green = -1, blue = -1;
    wchar_t rest = 0;
    if (std::swscanf(text, L"%d,%d,%d%lc", &red, &green, &blue, &rest) != 3)
        return false;
    if (red < 0 || red > 255 || green < 0 || green > 255 || blue < 0 || blue > 255)
        return false;
    colour = RGB(red, green, blue);
    return true;
}

void ReadColourValue(HKEY key, const wchar_t* name, COLORREF& colour) {
    wchar_t buffer[12 + 1] = {};
    DWORD size = 12;
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return;
    }
    buffer[size < 12 ? size : 12] = '\0';
    ParseColour(buffer, colour);
}

}  // namespace

LinkColours ReadLinkColours() {
    LinkColours colours;
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kBrowserSettingsKey, 0, KEY_READ, key.put()) ==
        ERROR_SUCCESS) {
        ReadColourValue(key.get(), L"Anchor Color", colours.link);
        ReadColourValue(key.get(), L"Anchor Color Visited", colours.visited);
    }
    return colours;
}

bool HyperLink::IsTextStatic() const {
    wchar_t className[16] = {};
    GetClassNameW(m_hwnd, className, sizeof(className));
    if (lstrcmpiW(className, L"Static") != 0)
        return false;
    switch (GetWindowLongW(m_hwnd, GWL_STYLE) & SS_TYPEMASK) {
        case SS_LEFT:
        case SS_CENTER:
        case SS_RIGHT:
        case SS_SIMPLE:
        case SS_LEFTNOWORDWRAP:
            return true;
        default:
            return false;
    }
}

bool HyperLink::SubclassStatic(HWND control) {
    if (!Subclass(control))
        return false;
    wchar_t className[16] = {};
    GetClassNameW(control, className, sizeof(className));
    if (lstrcmpiW(className, L"Static") == 0) {
        SetWindowLongW(control, GWL_STYLE, GetWindowLongW(control, GWL_STYLE) | SS_NOTIFY);
    }
    m_cursor = LoadCursor(nullptr, IDC_HAND);
    if (IsTextStatic()) {
        HFONT parentFont =
            reinterpret_cast<HFONT>(SendMessageW(GetParent(control), WM_GETFONT, 0, 0));
        LOGFONTW font = {};
        if (parentFont && GetObjectW(parentFont, sizeof(font), &font)) {
            font.lfUnderline = TRUE;
            m_font.reset(CreateFontIndirectW(&font));
        }
    }
    m_text = WindowText(control);
    if (m_url.empty())
        m_url = m_text;
    MeasureText();
    CreateToolTip();
    m_colours = ReadLinkColours();
    InvalidateRect(control, nullptr, TRUE);
    return true;
}

void HyperLink::MeasureText() {
    GetClientRect(m_hwnd, &m_linkRect);
    if (!IsTextStatic())
        return;
    RECT client = m_linkRect;
    HDC dc = GetDC(m_hwnd);
    HGDIOBJ old = m_font ? SelectObject(dc, m_font.get()) : nullptr;
    RECT text = client;
    DrawTextW(dc, m_text.c_str(), -1, &text, DT_LEFT | DT_WORDBREAK | DT_CALCRECT);
    if (old)
        SelectObject(dc, old);
    ReleaseDC(m_hwnd, dc);
    const LONG width = text.right - text.left;
    const DWORD align = GetWindowLongW(m_hwnd, GWL_STYLE) & SS_TYPEMASK;
    if (align == SS_CENTER) {
        text.left = client.left + (client.right - client.left - width) / 2;
    } else if (align == SS_RIGHT) {
        text.left = client.right - width;
    }
    text.right = text.left + width;
    m_linkRect = text;
}

void HyperLink::CreateToolTip() {
    m_toolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                GetParent(m_hwnd), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!m_toolTip)
        return;
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(m_hwnd);
    tool.uId = reinterpret_cast<UINT_PTR>(m_hwnd);
    tool.lpszText = const_cast<wchar_t*>(m_url.c_str());
    SendMessageW(m_toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

bool HyperLink::Open() {
    if (!OpenInShell(nullptr, m_url))
        return false;
    m_visited = true;
    InvalidateRect(m_hwnd, nullptr, TRUE);
    return true;
}

bool HyperLink::InLink(LPARAM point) const {
    POINT p = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    return PtInRect(&m_linkRect, p) != FALSE;
}

void HyperLink::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hwnd, &paint);
    RECT client = {};
    GetClientRect(m_hwnd, &client);
    HBRUSH background = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(m_hwnd), WM_CTLCOLORSTATIC,
                                                              reinterpret_cast<WPARAM>(dc),
                                                              reinterpret_cast<LPARAM>(m_hwnd)));
    FillRect(dc, &client, background ? background : GetSysColorBrush(COLOR_3DFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TextColour());
    HGDIOBJ old = m_font ? SelectObject(dc, m_font.get()) : nullptr;
    // Drawn in the whole control, aligned as the static aligns it: a rectangle
    // exactly as wide as the measured text could wrap its last word away.
    const DWORD align = GetWindowLongW(m_hwnd, GWL_STYLE) & SS_TYPEMASK;
    const UINT format = align == SS_CENTER ? DT_CENTER : align == SS_RIGHT ? DT_RIGHT : DT_LEFT;
    RECT text = client;
    DrawTextW(dc, m_text.c_str(), -1, &text, format | DT_WORDBREAK);
    if (old)
        SelectObject(dc, old);
    if (GetFocus() == m_hwnd)
        DrawFocusRect(dc, &m_linkRect);
    EndPaint(m_hwnd, &paint);
}

LRESULT HyperLink::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            if (!IsTextStatic())
                break;
            Paint();
            return 0;
        case WM_SETCURSOR: {
            POINT cursor = {};
            GetCursorPos(&cursor);
            ScreenToClient(m_hwnd, &cursor);
            if (m_cursor && PtInRect(&m_linkRect, cursor)) {
                SetCursor(m_cursor);
                return TRUE;
            }
            break;
        }
        case WM_LBUTTONDOWN:
            if (InLink(lParam)) {
                SetFocus(m_hwnd);
                SetCapture(m_hwnd);
                m_pressed = true;
            }
            return 0;
        case WM_LBUTTONUP:
            if (m_pressed) {
                m_pressed = false;
                if (GetCapture() == m_hwnd)
                    ReleaseCapture();
                if (InLink(lParam))
                    Open();
            }
            return 0;
        case WM_CAPTURECHANGED:
            m_pressed = false;
            return 0;
        case WM_CHAR:
            if (wParam == VK_RETURN || wParam == VK_SPACE)
                Open();
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(m_hwnd, nullptr, TRUE);
            return 0;
        case WM_SIZE:
            MeasureText();
            break;
        case WM_DESTROY:
            if (m_toolTip)
                DestroyWindow(m_toolTip);
            m_toolTip = nullptr;
            break;
        default:
            break;
    }
    return Window::OnMessage(message, wParam, lParam);
}
