#include "framework/MessageLoop.h"

#include <algorithm>

#include "framework/Dialog.h"

namespace {

template <class T>
void AddOnce(std::vector<T*>& list, T* item) {
    if (item && std::find(list.begin(), list.end(), item) == list.end())
        list.push_back(item);
}

template <class T>
void RemoveItem(std::vector<T*>& list, T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

constexpr UINT kSystemTimer = 0x0118;

}  // namespace

void MessageLoop::AddMessageFilter(MessageFilter* filter) {
    AddOnce(m_filters, filter);
}
void MessageLoop::RemoveMessageFilter(MessageFilter* filter) {
    RemoveItem(m_filters, filter);
}
void MessageLoop::AddIdleHandler(IdleHandler* handler) {
    AddOnce(m_idleHandlers, handler);
}
void MessageLoop::RemoveIdleHandler(IdleHandler* handler) {
    RemoveItem(m_idleHandlers, handler);
}

bool MessageLoop::PreTranslateMessage(MSG& message) {
    // A filter may remove itself (its window closing), so walk a copy.
    std::vector<MessageFilter*> filters = m_filters;
    for (auto it = filters.rbegin(); it != filters.rend(); ++it) {
        if (std::find(m_filters.begin(), m_filters.end(), *it) == m_filters.end())
            continue;
        if ((*it)->PreTranslateMessage(message))
            return true;
    }
    return false;
}

bool MessageLoop::OnIdle(int) {
    std::vector<IdleHandler*> handlers = m_idleHandlers;
    for (IdleHandler* handler : handlers) {
        if (std::find(m_idleHandlers.begin(), m_idleHandlers.end(), handler) !=
            m_idleHandlers.end()) {
            handler->OnIdle();
        }
    }
    return false;
}

bool MessageLoop::IsIdleMessage(const MSG& message) {
    switch (message.message) {
        case WM_MOUSEMOVE:
        case WM_NCMOUSEMOVE:
        case WM_PAINT:
        case kSystemTimer:
            return false;
        default:
            return true;
    }
}

int MessageLoop::Run() {
    bool idle = true;
    int idleCount = 0;
    MSG message = {};
    for (;;) {
        while (idle && !PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++))
                idle = false;
        }
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1)
            continue;
        if (!got)
            break;
        if (!PreTranslateMessage(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (IsIdleMessage(message)) {
            idle = true;
            idleCount = 0;
        }
    }
    return static_cast<int>(message.wParam);
}

void AppModule::Init(HINSTANCE instance) {
    m_instance = instance;
    SetResourceInstance(instance);
}

void AppModule::Term() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_loops.clear();
}

bool AppModule::AddMessageLoop(MessageLoop* loop) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_loops.emplace(GetCurrentThreadId(), loop).second;
}

void AppModule::RemoveMessageLoop() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_loops.erase(GetCurrentThreadId());
}

MessageLoop* AppModule::GetMessageLoop(DWORD threadId) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_loops.find(threadId);
    return it == m_loops.end() ? nullptr : it->second;
}

AppModule& Module() {
    static AppModule module;
    return module;
}
