#pragma once
// Scan progress of zdv on its console line: shared by scan and clean.

#include <windows.h>

#include <string>

#include "cleaner/ScanDriver.h"
#include "Cli.h"

// The key being walked, at most ten times a second: a console write per key
// would slow the whole-root tasks down.
class ConsoleProgress : public ScanProgress {
  public:
    explicit ConsoleProgress(ProgressLine& line);
    void ShowKey(const std::wstring& keyPath) override;
    // Shows a text now (the final count, say).
    void ShowNow(const std::wstring& text);

  private:
    ProgressLine& m_line;
    std::wstring m_prefix;  // the status text before the key, looked up once
    bool m_shown = false;
    ULONGLONG m_shownAt = 0;
};
