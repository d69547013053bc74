#include "framework/ResizeLayout.h"

#include <algorithm>

void ResizeLayout::Init(HWND dialog, const std::vector<LayoutEntry>& entries) {
    m_dialog = dialog;
    m_placements.clear();
    RECT client = {};
    GetClientRect(dialog, &client);
    m_templateSize = {client.right, client.bottom};
    for (const LayoutEntry& entry : entries) {
        HWND control = GetDlgItem(dialog, entry.controlId);
        if (!control)
            continue;
        RECT rect = {};
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        m_placements.push_back({control, entry.rules, rect});
    }
}

void ResizeLayout::Apply(int width, int height) const {
    if (!m_dialog || IsIconic(m_dialog) || m_placements.empty())
        return;
    const int dx = width - m_templateSize.cx;
    const int dy = height - m_templateSize.cy;
    HDWP positions = BeginDeferWindowPos(static_cast<int>(m_placements.size()));
    for (const Placement& placement : m_placements) {
        RECT rect = placement.rect;
        if (placement.rules & kLayoutMoveX)
            OffsetRect(&rect, dx, 0);
        if (placement.rules & kLayoutMoveY)
            OffsetRect(&rect, 0, dy);
        if (placement.rules & kLayoutSizeX)
            rect.right += dx;
        if (placement.rules & kLayoutSizeY)
            rect.bottom += dy;
        const int w = std::max<int>(0, rect.right - rect.left);
        const int h = std::max<int>(0, rect.bottom - rect.top);
        const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        if (positions) {
            positions = DeferWindowPos(positions, placement.control, nullptr, rect.left, rect.top,
                                       w, h, flags);
        } else {
            SetWindowPos(placement.control, nullptr, rect.left, rect.top, w, h, flags);
        }
    }
    if (positions)
        EndDeferWindowPos(positions);
}
