#pragma once
// A cleaner scan: the ticked tasks in task order, progress per key walked,
// and a stop flag that ends it promptly. The caller supplies the thread and
// the words; the driver holds nothing between scans.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "cleaner/CleanerTasks.h"
#include "cleaner/EntryFilter.h"

// Hears of every key a scan walks.
class ScanProgress {
  public:
    virtual ~ScanProgress() = default;
    virtual void ShowKey(const std::wstring& keyPath) = 0;
};

// Runs task p + 1 for every set entry p of selection (entries past the
// eleventh are ignored), always in the order 1 to 11, telling progress of
// each key walked. Once stop is set, no row is added and no key shown.
// Rows the filter hides are left out. Returns the number of rows added.
std::size_t RunScan(const std::vector<bool>& selection, RowSink& sink, ScanProgress* progress,
                    const StopFlag* stop, const EntryFilter* filter = nullptr);

// The filter of the protected places and ignored entries kept in the settings
// file (the factory places when it holds none). COM must be initialised.
std::shared_ptr<const EntryFilter> StoredEntryFilter(const std::wstring& configPath);
