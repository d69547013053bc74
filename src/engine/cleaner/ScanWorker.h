#pragma once
// The cleaner scan as a Worker runs it for the cleaner page.

#include <memory>
#include <vector>

#include "cleaner/EntryFilter.h"

#include "work/Worker.h"

// The run of one scan of the ticked tasks (one flag per task, index = task
// number - 1): rows and the status line go to the listener; rows the filter
// hides (when there is one) are left out.
WorkRun ScanWork(std::vector<bool> selection, std::shared_ptr<const EntryFilter> filter = nullptr);
