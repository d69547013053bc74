#include "framework/ProcessWait.h"

#include "framework/MessageLoop.h"

ProcessWaitEnd WaitForProcessDispatching(HANDLE process, const std::function<bool()>& abandoned) {
    for (;;) {
        if (abandoned && abandoned())
            return ProcessWaitEnd::Abandoned;
        const DWORD woken =
            MsgWaitForMultipleObjectsEx(1, &process, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken != WAIT_OBJECT_0 + 1)
            return ProcessWaitEnd::Ended;  // ended, or a handle that cannot be waited for
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return ProcessWaitEnd::Quit;
            }
            MessageLoop* loop = Module().GetMessageLoop();
            if (!loop || !loop->PreTranslateMessage(message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            if (abandoned && abandoned())
                return ProcessWaitEnd::Abandoned;
            // A steady stream of messages must not hide the end.
            if (WaitForSingleObject(process, 0) != WAIT_TIMEOUT)
                return ProcessWaitEnd::Ended;
        }
    }
}
