#include "pages/PageJob.h"

#include <atomic>
#include <mutex>
#include <string>

#include "resource.h"

namespace {

// Registered, so that no other window that may get the handle of a page gone
// reads them as its own. wParam: the job.
UINT StatusMessage() {
    static const UINT message = RegisterWindowMessageW(L"ZazaDaziveveVivozed.JobStatus");
    return message;
}

UINT EndedMessage() {
    static const UINT message = RegisterWindowMessageW(L"ZazaDaziveveVivozed.JobEnded");
    return message;
}

constexpr ULONGLONG kStatusInterval = 250;

}  // namespace

// All a worker holds: the page's window handle, the list's row queue and
// the newest key walked. A status line per key would cost a message between
// threads and a redrawn line per key, far more than the key's walk: the
// worker keeps only the newest key and posts a message at most every
// kStatusInterval, while none is waiting; the page shows the key it finds then.
class PageJobLink : public WorkListener {
  public:
    PageJobLink(HWND page, std::shared_ptr<RowQueue> rows)
        : m_page(page), m_rows(std::move(rows)) {}

    unsigned Job() const { return m_rows->Job(); }

    void AddRow(const RegistryItem& item) override { m_rows->AddRow(item); }
    void ShowKey(const std::wstring& keyPath) override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_key = keyPath;
        }
        const ULONGLONG now = GetTickCount64();
        if (now - m_lastPost >= kStatusInterval && !m_statusWaiting.exchange(true)) {
            m_lastPost = now;
            PostMessageW(m_page, StatusMessage(), Job(), 0);
        }
    }
    void WorkEnded() override { SendMessageW(m_page, EndedMessage(), Job(), 0); }

    std::wstring TakeKey() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_statusWaiting = false;
        return m_key;
    }

  private:
    HWND m_page;
    std::shared_ptr<RowQueue> m_rows;
    std::mutex m_mutex;
    std::wstring m_key;
    std::atomic<bool> m_statusWaiting{false};
    ULONGLONG m_lastPost = 0;  // the worker's thread only
};

bool PageJob::Start(HWND page, WorkRun run) {
    Stop();
    m_list.Clear();
    auto link = std::make_shared<PageJobLink>(page, m_list.BeginJob());
    if (!m_worker.Start(std::move(run), link)) {
        m_list.EndJob();
        return false;
    }
    m_link = std::move(link);
    m_list.SetBusy(true);
    return true;
}

bool PageJob::Stop() {
    if (!m_link)
        return false;
    m_worker.Stop();
    // The rows found before the stop that wait to be shown are kept; any row
    // still on its way is dropped by the closed queue.
    m_list.TakeWaitingRows();
    Forget();
    return true;
}

void PageJob::Forget() {
    m_list.EndJob();
    m_list.SetBusy(false);
    m_link.reset();
}

bool PageJob::HandleMessage(HWND page, UINT message, WPARAM wParam, LPARAM) {
    const bool status = message == StatusMessage();
    if (!status && message != EndedMessage())
        return false;
    if (!m_link || wParam != m_link->Job())
        return true;  // a stopped job's
    if (status) {
        SetWindowTextW(GetDlgItem(page, IDC_STATUS), m_keyStatus(m_link->TakeKey()).c_str());
    } else {
        m_list.TakeWaitingRows();
        Forget();
        if (m_onEnded)
            m_onEnded();
    }
    return true;
}
