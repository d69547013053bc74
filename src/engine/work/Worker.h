#pragma once
// Long registry work (a scan, a search) on a thread of its own. The thread
// shares with its starter only a reference-counted job (the work, its stop
// flag, its listener), so the starter may go away while the thread still runs,
// and Stop never waits for a thread that may be sending to the starter's windows.

#include <functional>
#include <memory>
#include <string>

#include "registry/Registry.h"
#include "work/RowSink.h"

// What running work tells its page. Every call comes on the worker thread and
// none comes once the job's stop flag is set; a page that forwards the calls
// to its windows tests its own stopped state again where it handles them.
class WorkListener : public RowSink {
  public:
    // The key the work walks now; called for every key, so the page shows
    // only the newest now and then.
    virtual void ShowKey(const std::wstring& keyPath) = 0;
    // After the last row, when the work ended by itself.
    virtual void WorkEnded() = 0;
};

// The work itself, run on the worker thread with COM initialised; returns
// whether it ran to its end (false when stopped).
using WorkRun = std::function<bool(WorkListener& listener, const StopFlag* stop)>;

struct WorkJob;

class Worker {
  public:
    Worker() = default;
    ~Worker();  // stops running work
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Stops work that still runs, then runs this on a new thread. False when
    // no thread could be started.
    bool Start(WorkRun run, std::shared_ptr<WorkListener> listener);
    // Asks the running work to stop and forgets it. Returns whether it was
    // still running.
    bool Stop();
    bool Running() const;

    // For shutdown: waits until every worker thread of the process has ended,
    // dispatching this thread's messages meanwhile.
    static void WaitForAll();

  private:
    std::shared_ptr<WorkJob> m_job;
};
