#pragma once
// The cleaner scan as a Worker runs it for the cleaner page.

#include <vector>

#include "work/Worker.h"

// The run of one scan of the ticked tasks (one flag per task, index = task
// number - 1): rows and the status line go to the listener.
WorkRun ScanWork(std::vector<bool> selection);
