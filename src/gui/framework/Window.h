#pragma once
// The base of every window object: a window handle whose messages the object
// sees first, either because the object registered the window class or because
// it subclassed an existing control. Messages it does not handle go on to the
// window procedure it replaced.

#include <windows.h>

#include <string>

// A parent sends a child control's notification back to that control under
// this offset, so a control class handles its own notifications.
constexpr UINT kReflectedMessageBase = WM_USER + 0x1C00;
constexpr UINT kReflectedNotify = kReflectedMessageBase + WM_NOTIFY;
constexpr UINT kReflectedCommand = kReflectedMessageBase + WM_COMMAND;

class Window {
  public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return m_hwnd; }
    // The object that owns the window, or null for a window no object owns.
    static Window* FromHandle(HWND window);

    // Takes over an existing window: its messages reach OnMessage first.
    bool Subclass(HWND window);
    // Gives the window its own procedure back (also done when it is destroyed).
    void Unsubclass();

    // Creates a window of a class registered with RegisterWindowClass.
    HWND Create(const wchar_t* className, HWND parent, const RECT& rect, DWORD style,
                DWORD exStyle = 0, UINT_PTR id = 0);
    // Registers a class whose windows are owned by the object passed to Create.
    static bool RegisterWindowClass(const wchar_t* className, UINT classStyle, HCURSOR cursor);

    // Sends a child's WM_NOTIFY or WM_COMMAND back to the child when an object
    // owns the child. Returns whether it was reflected, with the child's answer.
    static bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  protected:
    // Every message of the window; the default passes it on.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT CallPrevious(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the last message of the window (WM_NCDESTROY).
    virtual void OnFinalMessage() {}
    // Every window procedure calls this after each message it passed to the
    // object: after WM_NCDESTROY the object lets go of the window.
    void AfterMessage(HWND window, UINT message);

    void Attach(HWND window);
    void Detach();

    HWND m_hwnd = nullptr;

  private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT Dispatch(Window* self, UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_previous = nullptr;
};

// The whole text of a window.
std::wstring WindowText(HWND window);
