#pragma once
// A search on its own thread, as the search page runs it. The thread shares
// with its starter only a reference-counted job (options, stop flag, listener),
// so the starter may go away while the thread still runs, and Stop never waits
// for a thread that may be sending to the starter's windows.

#include <memory>
#include <string>

#include "search/SearchEngine.h"

// What a running search tells its page. Every call comes on the worker thread
// and none comes once the job's stop flag is set; a page that forwards the
// calls to its windows tests its own stopped state again where it handles them.
class SearchListener : public RowSink {
  public:
    // Before the walk: buttons for running, the list cleared.
    virtual void SearchStarted() = 0;
    virtual void ShowStatus(const std::string& text) = 0;
    // After the end text, when the search ended by itself: buttons for idle.
    virtual void SearchEnded() = 0;
};

struct SearchJob;

class SearchWorker {
  public:
    SearchWorker() = default;
    ~SearchWorker();  // stops a running search
    SearchWorker(const SearchWorker&) = delete;
    SearchWorker& operator=(const SearchWorker&) = delete;

    // Stops a search that still runs, then runs this one on a new thread with
    // COM initialised. False when no thread could be started.
    bool Start(const SearchOptions& options, std::shared_ptr<SearchListener> listener);
    // Asks the running search to stop and forgets it. Returns whether one was
    // running, so that the page shows its stopped state only then.
    bool Stop();
    bool Running() const;

    // For shutdown: waits until every search thread of the process has ended,
    // dispatching this thread's messages meanwhile.
    static void WaitForAll();

  private:
    std::shared_ptr<SearchJob> m_job;
};
