#pragma once
// How a worker thread adds rows to a result list: it holds a forwarder, never
// the list or its page. The forwarder sends each row to the list control and
// waits until the list's thread has handled it; the row carries the job that
// made it, and the list takes only rows of the job it runs now, so a row that
// was on its way when its job was stopped never lands.

#include <windows.h>

#include <memory>
#include <string>

#include "registry/RowSink.h"

class RowForwarder : public RowSink {
  public:
    RowForwarder(HWND list, unsigned job) : m_list(list), m_job(job) {}

    unsigned Job() const { return m_job; }

    // Any thread. Returns when the list has added or dropped the row.
    void AddRow(int image, const std::string& rootName, const std::string& keyPath,
                const std::string& valueName, const std::string& dataText, int type) override;

  private:
    HWND m_list;
    unsigned m_job;
};

// One forwarded row, as the list receives it with the forwarded-row message
// (wParam the job, lParam this record).
struct ForwardedRow {
    int image;
    const std::string* rootName;
    const std::string* keyPath;
    const std::string* valueName;
    const std::string* dataText;
    int type;
};

// The message only result lists answer: registered, so that no other window
// that may get the handle of a destroyed list reads it as its own.
UINT ForwardedRowMessage();
