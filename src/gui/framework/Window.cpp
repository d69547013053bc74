#include "framework/Window.h"

#include <mutex>
#include <unordered_map>

namespace {

// Every message of a window an object owns looks the object up, so the table
// lives in the process: a window property costs a round trip to the
// wineserver per message under Wine.
std::mutex g_objectsMutex;
std::unordered_map<HWND, Window*>& Objects() {
    static std::unordered_map<HWND, Window*> objects;
    return objects;
}

}  // namespace

Window::~Window() {
    if (m_hwnd)
        Detach();
}

Window* Window::FromHandle(HWND window) {
    if (!window)
        return nullptr;
    std::lock_guard<std::mutex> lock(g_objectsMutex);
    auto found = Objects().find(window);
    return found == Objects().end() ? nullptr : found->second;
}

void Window::Attach(HWND window) {
    m_hwnd = window;
    std::lock_guard<std::mutex> lock(g_objectsMutex);
    Objects()[window] = this;
}

void Window::Detach() {
    if (m_previous && GetWindowLongPtrW(m_hwnd, GWLP_WNDPROC) ==
                          reinterpret_cast<LONG_PTR>(&Window::SubclassProc)) {
        SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
    }
    {
        std::lock_guard<std::mutex> lock(g_objectsMutex);
        Objects().erase(m_hwnd);
    }
    m_hwnd = nullptr;
    m_previous = nullptr;
}

bool Window::Subclass(HWND window) {
    if (!window || m_hwnd || FromHandle(window))
        return false;
    Attach(window);
    m_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::SubclassProc)));
    if (!m_previous) {
        Detach();
        return false;
    }
    return true;
}

void Window::Unsubclass() {
    if (m_hwnd)
        Detach();
}

bool Window::RegisterWindowClass(const wchar_t* className, UINT classStyle, HCURSOR cursor) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(instance, className, &existing))
        return true;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = classStyle;
    windowClass.lpfnWndProc = &Window::ClassProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = cursor;
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0;
}

HWND Window::Create(const wchar_t* className, HWND parent, const RECT& rect, DWORD style,
                    DWORD exStyle, UINT_PTR id) {
    if (m_hwnd)
        return nullptr;
    return CreateWindowExW(exStyle, className, L"", style, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, parent,
                           reinterpret_cast<HMENU>(id), GetModuleHandleW(nullptr), this);
}

bool Window::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND child = nullptr;
    if (message == WM_NOTIFY && lParam) {
        child = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
    } else if (message == WM_COMMAND) {
        child = reinterpret_cast<HWND>(lParam);
    }
    if (!child || !FromHandle(child))
        return false;
    result = SendMessageW(child, kReflectedMessageBase + message, wParam, lParam);
    return true;
}

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallPrevious(message, wParam, lParam);
}

LRESULT Window::CallPrevious(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_previous)
        return CallWindowProcW(m_previous, m_hwnd, message, wParam, lParam);
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

LRESULT Window::Dispatch(Window* self, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = self->m_hwnd;
    LRESULT result = self->OnMessage(message, wParam, lParam);
    self->AfterMessage(window, message);
    return result;
}

void Window::AfterMessage(HWND window, UINT message) {
    if (message == WM_NCDESTROY && m_hwnd == window) {
        Detach();
        OnFinalMessage();
    }
}

LRESULT CALLBACK Window::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = FromHandle(window);
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    return Dispatch(self, message, wParam, lParam);
}

LRESULT CALLBACK Window::ClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = FromHandle(window);
    if (!self && message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self)
            self->Attach(window);
    }
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    return Dispatch(self, message, wParam, lParam);
}

std::wstring WindowText(HWND window) {
    if (!window)
        return std::wstring();
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, '\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}
