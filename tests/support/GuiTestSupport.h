#pragma once
// Shared by the tests that open the program's windows: the files the build
// puts beside the program, the program itself, and child processes of it,
// driven from outside as a person would drive them.

#include <windows.h>

#include <functional>
#include <string>

#include "TestSupport.h"
#include "common/UniqueHandle.h"

std::wstring ProgramPath();

// Polls the condition until it holds (true) or the time is up (false),
// dispatching this thread's messages meanwhile.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 30000);

// A window below top (at any depth) with that class and control id, or null.
HWND FindControl(HWND top, const wchar_t* className, int id);
// A window's text through WM_GETTEXT, which crosses process boundaries.
std::wstring ControlText(HWND window);
// A click posted to a button: a question the click raises does not block the caller.
void Press(HWND button);
// Shows the index-th page (0 the first) of the main window's page selector.
void ShowPage(HWND mainWindow, int index);

// A started copy of a program; killed at the end if it still runs.
class ChildProgram : NoCopy {
  public:
    explicit ChildProgram(const std::wstring& path, const std::wstring& arguments = L"");
    ~ChildProgram();

    // Its main window, waiting up to timeoutMs for it.
    HWND WaitForMainWindow(DWORD timeoutMs = 30000) const;
    // A visible top-level window of the program of that class ("#32770" a dialog,
    // "#32768" a popup menu) that holds a control with that id unless it is 0.
    HWND WaitForWindow(const wchar_t* className, int controlId = 0, DWORD timeoutMs = 15000) const;
    // Waits for the end; returns the exit code, or -1 on a time-out.
    long WaitForExit(DWORD timeoutMs = 30000);

    // Waits for a message box of the program, presses the button with that id
    // on it and returns the box's text; empty when none came.
    std::wstring AnswerMessageBox(int button, DWORD timeoutMs = 15000) const;
    // Waits for a popup menu of the program and chooses, from the keyboard, the
    // item-th entry that is no separator (1 the first).
    bool ChooseMenuItem(int item, DWORD timeoutMs = 15000) const;

    // A list view's cells and row states; the LVITEM and the text live in the
    // program's own memory, since list view messages do not cross processes.
    std::wstring RowText(HWND list, int row, int column) const;
    bool SetRowState(HWND list, int row, UINT state, UINT mask) const;

  private:
    // Sends a list view message whose LVITEM (and text buffer) lie in a page of
    // the program's memory, which goes with the process.
    LRESULT SendListItem(HWND list, UINT message, int row, int column, UINT state, UINT mask,
                         std::wstring* text) const;

    UniqueKernelHandle m_process;
    DWORD m_processId = 0;
    mutable char* m_remotePage = nullptr;
};

// Dispatches this thread's waiting messages.
void PumpMessages();