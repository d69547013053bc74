#include "search/SearchWorker.h"

#include <windows.h>

#include <atomic>

#include "common/UniqueHandle.h"

struct SearchJob {
    SearchOptions options;
    std::shared_ptr<SearchListener> listener;
    StopFlag stop{false};
    std::atomic<bool> ended{false};
};

namespace {

std::atomic<int> g_liveThreads{0};

DWORD WINAPI RunSearchJob(void* parameter) {
    // The thread owns one reference to the job for as long as it runs.
    std::unique_ptr<std::shared_ptr<SearchJob>> owned(
        static_cast<std::shared_ptr<SearchJob>*>(parameter));
    SearchJob& job = **owned;
    {
        ComInitialization com;
        if (!StopRequested(&job.stop)) {
            job.listener->SearchStarted();
            SearchListener& listener = *job.listener;
            SearchEnd end = SearchRun(
                job.options, listener,
                [&listener](const std::string& text) { listener.ShowStatus(text); }, &job.stop);
            if (end == SearchEnd::Finished && !StopRequested(&job.stop))
                listener.SearchEnded();
        }
    }
    job.ended = true;
    owned.reset();
    --g_liveThreads;
    return 0;
}

}  // namespace

SearchWorker::~SearchWorker() {
    Stop();
}

bool SearchWorker::Start(const SearchOptions& options, std::shared_ptr<SearchListener> listener) {
    Stop();
    auto job = std::make_shared<SearchJob>();
    job->options = options;
    job->listener = std::move(listener);
    auto* threadReference = new std::shared_ptr<SearchJob>(job);
    ++g_liveThreads;
    DWORD threadId = 0;
    UniqueKernelHandle thread(
        CreateThread(nullptr, 0, RunSearchJob, threadReference, 0, &threadId));
    if (!thread) {
        --g_liveThreads;
        delete threadReference;
        return false;
    }
    // The thread is never waited for by its handle: the job tells when it has ended.
    m_job = std::move(job);
    return true;
}

bool SearchWorker::Stop() {
    if (!m_job)
        return false;
    bool wasRunning = !m_job->ended;
    m_job->stop = true;
    m_job.reset();
    return wasRunning;
}

bool SearchWorker::Running() const {
    return m_job && !m_job->ended;
}

void SearchWorker::WaitForAll() {
    while (g_liveThreads > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}
