#pragma once
// How a worker thread adds rows to a result list: it holds a forwarder, never
// the list or its page. The forwarder sends rows to the list control and waits
// until the list's thread has handled them; the rows carry the job that made
// them, and the list takes only rows of the job it runs now, so a row that
// was on its way when its job was stopped never lands.
//
// Rows travel in batches: a message between threads costs a few hundred
// microseconds under Wine, far more than adding the row. A row waits at most
// a few tens of milliseconds, as long as the worker calls FlushIfDue for every
// key it walks; before it tells its page anything else (a status text, its
// end) it calls Flush, so that rows and texts arrive in the order they were made.

#include <windows.h>

#include <string>
#include <vector>

#include "registry/RowSink.h"

struct ForwardedRow {
    int image;
    std::wstring rootName;
    std::wstring keyPath;
    std::wstring valueName;
    std::wstring dataText;
    int type;
};

class RowForwarder : public RowSink {
  public:
    RowForwarder(HWND list, unsigned job) : m_list(list), m_job(job) {}
    // Sends the rows that still wait.
    ~RowForwarder() override;
    RowForwarder(const RowForwarder&) = delete;
    RowForwarder& operator=(const RowForwarder&) = delete;

    unsigned Job() const { return m_job; }

    // One worker thread at a time.
    void AddRow(int image, const std::wstring& rootName, const std::wstring& keyPath,
                const std::wstring& valueName, const std::wstring& dataText, int type) override;
    // Sends the waiting rows once the oldest has waited long enough.
    void FlushIfDue();
    // Sends the waiting rows now; returns when the list has added or dropped them.
    void Flush();

  private:
    HWND m_list;
    unsigned m_job;
    std::vector<ForwardedRow> m_waiting;
    ULONGLONG m_oldest = 0;
};

// The message only result lists answer (wParam the job, lParam the rows as a
// const std::vector<ForwardedRow>*): registered, so that no other window that
// may get the handle of a destroyed list reads it as its own.
UINT ForwardedRowsMessage();
