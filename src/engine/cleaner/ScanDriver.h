#pragma once
// A cleaner scan: the ticked tasks in task order, progress per key walked,
// and a stop flag that ends it promptly. The caller supplies the thread and
// the words; the driver holds nothing between scans.

#include <cstddef>
#include <string>
#include <vector>

#include "cleaner/CleanerTasks.h"

// Hears of every key a scan walks.
class ScanProgress {
  public:
    virtual ~ScanProgress() = default;
    virtual void ShowKey(const std::wstring& keyPath) = 0;
};

// Runs task p + 1 for every set entry p of selection (entries past the
// eleventh are ignored), always in the order 1 to 11, telling progress of
// each key walked. Once stop is set, no row is added and no key shown.
// Returns the number of rows added.
std::size_t RunScan(const std::vector<bool>& selection, RowSink& sink, ScanProgress* progress,
                    const StopFlag* stop);
