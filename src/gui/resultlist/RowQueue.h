#pragma once
// How a worker thread hands rows to a result list: it holds a queue, never the
// list or its page. The worker appends and goes on at once while the queue
// holds less than its bound in bytes (it waits only when the list's thread
// falls that far behind); the list's thread takes everything waiting at once,
// told by a message posted when the first row arrives. The rows carry the job
// that made them: the list takes only the queue of the job it runs now, and a
// queue it lets go of drops what still comes, so a row that was on its way
// when its job was stopped never lands.

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>

#include "resultlist/RowStore.h"
#include "work/RowSink.h"

class RowQueue : public RowSink {
  public:
    static constexpr std::size_t kBoundBytes = 8 << 20;

    RowQueue(HWND list, unsigned job)
        : m_list(list), m_job(job), m_waiting(std::make_unique<RowStore>()) {}
    RowQueue(const RowQueue&) = delete;
    RowQueue& operator=(const RowQueue&) = delete;

    unsigned Job() const { return m_job; }

    // The worker's side.
    void AddRow(const RegistryItem& item) override;

    // The list's side: every row waiting, in order. The rows wait in pooled
    // blocks, as the list keeps them: the two threads do not share the heap
    // row by row.
    std::unique_ptr<RowStore> Take();
    // The list lets the job go: rows that still come are dropped, and a
    // worker waiting for room goes on.
    void Close();

  private:
    HWND m_list;
    unsigned m_job;
    std::mutex m_mutex;
    std::condition_variable m_room;
    std::unique_ptr<RowStore> m_waiting;
    std::size_t m_bytes = 0;
    bool m_closed = false;
};

// The message a list gets when rows wait (wParam: the job): registered, so
// that no other window that may get the handle of a destroyed list reads it
// as its own.
UINT RowsWaitingMessage();
