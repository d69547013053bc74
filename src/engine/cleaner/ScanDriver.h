#pragma once
// A cleaner scan: the ticked tasks in task order, progress per key walked and
// the final count, with a stop flag that ends it promptly. The caller supplies
// the thread; the driver holds nothing between scans.

#include <cstddef>
#include <string>
#include <vector>

#include "cleaner/CleanerTasks.h"

// Receives the status line of a scan.
class ScanProgress {
  public:
    virtual ~ScanProgress() = default;
    virtual void ShowStatus(const std::string& text) = 0;
};

// Runs task p + 1 for every set entry p of selection (entries past the
// eleventh are ignored), always in the order 1 to 11. Shows
// "_PageRegistryCleanerState2" + the key being walked while it runs and the
// "_PageRegistryCleanerState3" count at the end. Once stop is set, no row is
// added and no status is shown. Returns the number of rows added.
std::size_t RunScan(const std::vector<bool>& selection, RowSink& sink, ScanProgress* progress,
                    const StopFlag* stop);
