#pragma once
// One message loop per user-interface thread, with idle handlers (run when
// the queue runs dry) and message filters (which may take a message before it
// is translated and dispatched; dialogs use them for keyboard navigation).

#include <windows.h>

#include <map>
#include <mutex>
#include <vector>

class MessageFilter {
  public:
    virtual ~MessageFilter() = default;
    // True when the message was handled and must not be dispatched.
    virtual bool PreTranslateMessage(MSG& message) = 0;
};

class IdleHandler {
  public:
    virtual ~IdleHandler() = default;
    // True asks for more idle time.
    virtual bool OnIdle() = 0;
};

class MessageLoop {
  public:
    void AddMessageFilter(MessageFilter* filter);
    void RemoveMessageFilter(MessageFilter* filter);
    void AddIdleHandler(IdleHandler* handler);
    void RemoveIdleHandler(IdleHandler* handler);

    // Runs until WM_QUIT; returns its wParam.
    int Run();

    // Offers the message to the filters, the last registered first.
    bool PreTranslateMessage(MSG& message);
    // Runs every idle handler; always reports that no more idle time is wanted.
    bool OnIdle(int idleCount);
    // Messages after which idle processing does not start again: they come
    // by themselves and would keep the idle handlers running.
    static bool IsIdleMessage(const MSG& message);

  private:
    std::vector<MessageFilter*> m_filters;
    std::vector<IdleHandler*> m_idleHandlers;
};

// The application module: the program's instance handle and the message loop
// of each user-interface thread.
class AppModule {
  public:
    void Init(HINSTANCE instance);
    void Term();
    HINSTANCE Instance() const { return m_instance; }

    bool AddMessageLoop(MessageLoop* loop);
    void RemoveMessageLoop();
    MessageLoop* GetMessageLoop(DWORD threadId = GetCurrentThreadId()) const;

  private:
    HINSTANCE m_instance = nullptr;
    mutable std::mutex m_mutex;
    std::map<DWORD, MessageLoop*> m_loops;
};

AppModule& Module();
