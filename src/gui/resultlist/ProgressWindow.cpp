#include "resultlist/ProgressWindow.h"

#include <commctrl.h>

#include "resource.h"
#include "text/LanguageTable.h"

namespace {

// Often enough that the windows look alive, seldom enough to cost nothing.
constexpr ULONGLONG kPaintInterval = 40;
// Bounds the loop when a window never validates what it paints.
constexpr int kMessagesPerPaint = 64;

}  // namespace

ProgressWindow::ProgressWindow(HWND parent) : Dialog(IDD_PROGRESS), m_parent(parent) {}

ProgressWindow::~ProgressWindow() {
    Destroy();
}

BOOL ProgressWindow::OnInitDialog() {
    CentreWindow(m_hwnd);
    return TRUE;
}

void ProgressWindow::SetStatus(const std::wstring& text) {
    SetDlgItemTextW(m_hwnd, IDC_STATUS, text.c_str());
}

void ProgressWindow::SetRange(std::size_t total) {
    SendDlgItemMessageW(m_hwnd, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, static_cast<LPARAM>(total));
}

void ProgressWindow::SetPosition(std::size_t position) {
    SendDlgItemMessageW(m_hwnd, IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void ProgressWindow::KeepPainting() {
    const ULONGLONG now = GetTickCount64();
    if (m_lastPaint != 0 && now - m_lastPaint < kPaintInterval)
        return;
    m_lastPaint = now;
    MSG message;
    for (UINT kind : {WM_PAINT, WM_TIMER}) {
        for (int i = 0; i < kMessagesPerPaint &&
                        PeekMessageW(&message, nullptr, kind, kind, PM_REMOVE | PM_NOYIELD);
             ++i) {
            DispatchMessageW(&message);
        }
    }
}

void ProgressWindow::Begin(ProgressPhase phase, std::size_t total) {
    if (!m_hwnd && Create(m_parent)) {
        SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    SetStatus(GetText(phase == ProgressPhase::Exporting ? L"_RegistryListViewProgressState1"
                                                        : L"_RegistryListViewProgressState2"));
    SetRange(total);
    SetPosition(0);
    m_lastPaint = 0;
    KeepPainting();
}

void ProgressWindow::Step(std::size_t index) {
    SetPosition(index);
    KeepPainting();
}

void ProgressWindow::End() {
    Destroy();
}

void ProgressWindow::KeyWalked() {
    KeepPainting();
}
