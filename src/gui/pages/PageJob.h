#pragma once
// The work a page runs on a worker thread (the cleaner's scan, the search)
// and what comes back from it: rows into the page's result list, the status
// line, the end. Everything that comes back carries the job that sent it; the
// page takes only what belongs to the job it runs now, so nothing of a stopped
// job shows after the stopped text, nor in the next run.

#include <windows.h>

#include <functional>
#include <memory>

#include "work/Worker.h"
#include "resultlist/RegistryListView.h"

class PageJobLink;

class PageJob {
  public:
    // The status line's text while the job walks a key.
    using KeyStatus = std::function<std::wstring(const std::wstring& keyPath)>;

    // onEnded runs on the page's thread when a job ended by itself, after its
    // last rows have been shown; it shows the end text.
    PageJob(RegistryListView& list, KeyStatus keyStatus, std::function<void()> onEnded)
        : m_list(list), m_keyStatus(std::move(keyStatus)), m_onEnded(std::move(onEnded)) {}
    ~PageJob() { Stop(); }
    PageJob(const PageJob&) = delete;
    PageJob& operator=(const PageJob&) = delete;

    // Clears the list and starts run on a new thread; page is the window that
    // takes the job's messages (through HandleMessage). While it runs, the
    // list's menu offers nothing that changes or exports entries. False when
    // no thread could be started; nothing changed then.
    bool Start(HWND page, WorkRun run);
    // Stops the running job: from now on none of its rows or texts is shown.
    // Returns whether a job was running. Never waits for the thread.
    bool Stop();
    bool Running() const { return static_cast<bool>(m_link); }

    // For the page's window procedure: true when the message was a job's.
    bool HandleMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    void Forget();

    RegistryListView& m_list;
    KeyStatus m_keyStatus;
    std::function<void()> m_onEnded;
    Worker m_worker;
    std::shared_ptr<PageJobLink> m_link;
};
