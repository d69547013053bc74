#pragma once
// The progress window of deletion and export (dialog 225): a status text and a
// bar, no buttons. Both run on the user-interface thread; while they do, the
// window keeps the program's windows painted (paint and timer messages only,
// so no input can change the list under the operation).

#include <cstddef>
#include <string>

#include "framework/Dialog.h"
#include "work/ProgressSink.h"

class ProgressWindow : public Dialog, public ProgressSink {
  public:
    // parent: a window of the page; its top-level window owns the progress window.
    explicit ProgressWindow(HWND parent);
    ~ProgressWindow() override;

    void SetStatus(const std::wstring& text);
    // 0 to total; counts beyond 65,535 included.
    void SetRange(std::size_t total);
    void SetPosition(std::size_t position);

    // Dispatches the paint and timer messages waiting for any window of this
    // thread, at most every few tens of milliseconds however often it is called.
    void KeepPainting();

    // ProgressSink: the window opens on Begin and closes on End.
    void Begin(ProgressPhase phase, std::size_t total) override;
    void Step(std::size_t index) override;
    void End() override;
    void KeyWalked() override;

  protected:
    BOOL OnInitDialog() override;

  private:
    HWND m_parent;
    ULONGLONG m_lastPaint = 0;
};
