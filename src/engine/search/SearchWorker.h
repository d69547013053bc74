#pragma once
// The search as a Worker runs it for the search page.

#include "work/Worker.h"
#include "search/SearchEngine.h"

// The run of one search: rows and the status line go to the listener.
WorkRun SearchWork(SearchOptions options);
