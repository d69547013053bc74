#pragma once
// Waiting for another process on the user-interface thread without freezing
// the program: the thread's messages are dispatched meanwhile, through the
// message loop's filters, so windows repaint and answer input.

#include <windows.h>

#include <functional>

enum class ProcessWaitEnd {
    Ended,      // the process has ended
    Quit,       // WM_QUIT arrived; it was posted again for the outer loop
    Abandoned,  // the caller's window went away; the process runs on
};

// Returns when the process ends or as soon as one of the other two happens.
// abandoned is asked after every dispatched message.
ProcessWaitEnd WaitForProcessDispatching(HANDLE process, const std::function<bool()>& abandoned);
