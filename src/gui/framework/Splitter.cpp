#include "framework/Splitter.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/Dpi.h"

namespace {

constexpr wchar_t kSplitterClass[] = L"ZdvVerticalSplitter";

int EdgeMargin(HWND window) {
    return 2 * SystemMetricForDpi(SM_CXEDGE, WindowDpi(window));
}

}  // namespace

bool VerticalSplitter::Create(HWND parent, const RECT& rect) {
    if (!RegisterWindowClass(kSplitterClass, CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW))) {
        return false;
    }
    ReadDragSetting();
    return Window::Create(kSplitterClass, parent, rect,
                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                          WS_EX_CONTROLPARENT) != nullptr;
}

void VerticalSplitter::SetPanes(HWND left, HWND right) {
    m_left = left;
    m_right = right;
    Layout();
}

int VerticalSplitter::BarWidth() const {
    // The system's frame width at the window's own scale.
    return SystemMetricForDpi(SM_CXFRAME, WindowDpi(m_hwnd));
}

int VerticalSplitter::Clamp(int position) const {
    RECT client = {};
    if (m_hwnd)
        GetClientRect(m_hwnd, &client);
    const int low = EdgeMargin(m_hwnd);
    const int high = client.right - EdgeMargin(m_hwnd) - BarWidth();
    return std::max(low, std::min(position, high));
}

int VerticalSplitter::Position() const {
    return Clamp(m_position);
}

void VerticalSplitter::SetPosition(int position) {
    m_position = Clamp(position);
    Layout();
}

void VerticalSplitter::Centre() {
    RECT client = {};
    GetClientRect(m_hwnd, &client);
    SetPosition((client.right - BarWidth()) / 2);
}

void VerticalSplitter::Layout() {
    if (!m_hwnd)
        return;
    RECT client = {};
    GetClientRect(m_hwnd, &client);
    // The left pane keeps the width the user gave it, as far as it fits.
    const int position = Position();
    const int rightStart = position + BarWidth();
    if (m_left)
        MoveWindow(m_left, 0, 0, position, client.bottom, TRUE);
    if (m_right) {
        MoveWindow(m_right, rightStart, 0, std::max(0, static_cast<int>(client.right) - rightStart),
                   client.bottom, TRUE);
    }
    RECT bar = {position, 0, rightStart, client.bottom};
    InvalidateRect(m_hwnd, &bar, TRUE);
}

bool VerticalSplitter::OnBar(int x) const {
    const int position = Position();
    return x >= position && x < position + BarWidth();
}

void VerticalSplitter::ReadDragSetting() {
    BOOL full = TRUE;
    if (SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full, 0))
        m_fullDrag = full != FALSE;
}

void VerticalSplitter::DrawGhostBar(int position) {
    RECT client = {};
    GetClientRect(m_hwnd, &client);
    HDC dc = GetDCEx(m_hwnd, nullptr, DCX_CACHE | DCX_PARENTCLIP | DCX_LOCKWINDOWUPDATE);
    if (!dc)
        return;
    static const WORD kHalftone[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA,
                                      0x5555, 0xAAAA, 0x5555, 0xAAAA};
    HBITMAP pattern = CreateBitmap(8, 8, 1, 1, kHalftone);
    HBRUSH brush = pattern ? CreatePatternBrush(pattern) : nullptr;
    if (brush) {
        HGDIOBJ old = SelectObject(dc, brush);
        PatBlt(dc, position, 0, BarWidth(), client.bottom, PATINVERT);
        SelectObject(dc, old);
        DeleteObject(brush);
    }
    if (pattern)
        DeleteObject(pattern);
    ReleaseDC(m_hwnd, dc);
}

void VerticalSplitter::BeginDrag(int x) {
    ReadDragSetting();
    m_dragging = true;
    m_dragOffset = x - Position();
    SetCapture(m_hwnd);
    if (!m_fullDrag) {
        m_ghostPosition = Position();
        DrawGhostBar(m_ghostPosition);
    }
}

void VerticalSplitter::Drag(int x) {
    const int position = Clamp(x - m_dragOffset);
    if (m_fullDrag) {
        if (position != Position()) {
            SetPosition(position);
            UpdateWindow(m_hwnd);
        }
        return;
    }
    if (position == m_ghostPosition)
        return;
    DrawGhostBar(m_ghostPosition);  // inverting again erases it
    m_ghostPosition = position;
    DrawGhostBar(m_ghostPosition);
}

void VerticalSplitter::EndDrag(DragEnd end) {
    if (!m_dragging)
        return;
    m_dragging = false;
    if (!m_fullDrag && m_ghostPosition >= 0) {
        DrawGhostBar(m_ghostPosition);
        if (end == DragEnd::Drop)
            SetPosition(m_ghostPosition);
    }
    m_ghostPosition = -1;
    if (GetCapture() == m_hwnd)
        ReleaseCapture();
}

void VerticalSplitter::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hwnd, &paint);
    RECT client = {};
    GetClientRect(m_hwnd, &client);
    RECT bar = {Position(), 0, Position() + BarWidth(), client.bottom};
    FillRect(dc, &bar, GetSysColorBrush(COLOR_3DFACE));
    EndPaint(m_hwnd, &paint);
}

LRESULT VerticalSplitter::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            Layout();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the panes cover everything but the bar, which WM_PAINT fills
        case WM_PAINT:
            Paint();
            return 0;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == m_hwnd && LOWORD(lParam) == HTCLIENT) {
                POINT cursor = {};
                GetCursorPos(&cursor);
                ScreenToClient(m_hwnd, &cursor);
                if (OnBar(cursor.x)) {
                    SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
                    return TRUE;
                }
            }
            break;
        case WM_LBUTTONDOWN:
            if (OnBar(GET_X_LPARAM(lParam)))
                BeginDrag(GET_X_LPARAM(lParam));
            return 0;
        case WM_MOUSEMOVE:
            if (m_dragging)
                Drag(GET_X_LPARAM(lParam));
            return 0;
        case WM_LBUTTONUP:
            EndDrag(DragEnd::Drop);
            return 0;
        case WM_CAPTURECHANGED:
            if (m_dragging && reinterpret_cast<HWND>(lParam) != m_hwnd)
                EndDrag(DragEnd::Cancel);
            return 0;
        case WM_LBUTTONDBLCLK:
            if (OnBar(GET_X_LPARAM(lParam)))
                Centre();
            return 0;
        case WM_SETTINGCHANGE:
            ReadDragSetting();
            return 0;
        case WM_NOTIFY:
        case WM_COMMAND:
            return SendMessageW(GetParent(m_hwnd), message, wParam, lParam);
        default:
            break;
    }
    return Window::OnMessage(message, wParam, lParam);
}
