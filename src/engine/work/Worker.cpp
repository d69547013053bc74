#include "work/Worker.h"

#include <windows.h>

#include <atomic>

#include "common/UniqueHandle.h"

struct WorkJob {
    WorkRun run;
    std::shared_ptr<WorkListener> listener;
    StopFlag stop{false};
    std::atomic<bool> ended{false};
};

namespace {

std::atomic<int> g_liveThreads{0};

DWORD WINAPI RunWorkJob(void* parameter) {
    // The thread owns one reference to the job for as long as it runs.
    std::unique_ptr<std::shared_ptr<WorkJob>> owned(
        static_cast<std::shared_ptr<WorkJob>*>(parameter));
    WorkJob& job = **owned;
    {
        ComInitialization com;
        if (!StopRequested(&job.stop) && job.run(*job.listener, &job.stop) &&
            !StopRequested(&job.stop)) {
            job.listener->WorkEnded();
        }
    }
    job.ended = true;
    owned.reset();
    --g_liveThreads;
    return 0;
}

}  // namespace

Worker::~Worker() {
    Stop();
}

bool Worker::Start(WorkRun run, std::shared_ptr<WorkListener> listener) {
    Stop();
    auto job = std::make_shared<WorkJob>();
    job->run = std::move(run);
    job->listener = std::move(listener);
    auto* threadReference = new std::shared_ptr<WorkJob>(job);
    ++g_liveThreads;
    DWORD threadId = 0;
    UniqueKernelHandle thread(CreateThread(nullptr, 0, RunWorkJob, threadReference, 0, &threadId));
    if (!thread) {
        --g_liveThreads;
        delete threadReference;
        return false;
    }
    // The thread is never waited for by its handle: the job tells when it has ended.
    m_job = std::move(job);
    return true;
}

bool Worker::Stop() {
    if (!m_job)
        return false;
    bool wasRunning = !m_job->ended;
    m_job->stop = true;
    m_job.reset();
    return wasRunning;
}

bool Worker::Running() const {
    return m_job && !m_job->ended;
}

void Worker::WaitForAll() {
    while (g_liveThreads > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}
