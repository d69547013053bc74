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
    explicit ConsoleProgress(ProgressLine& line) : m_line(line) {}
    void ShowStatus(const std::string& text) override;
    // Shows the last text if it was held back (the final count, say).
    void Flush();

  private:
    ProgressLine& m_line;
    std::string m_pending;
    bool m_shown = false;
    ULONGLONG m_shownAt = 0;
};
