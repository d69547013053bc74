#pragma once
// Shared by the tests that open the program's windows: the files the build
// puts beside the program, the program itself, and child processes of it.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/UniqueHandle.h"

std::string ProgramPath();

// A started copy of a program; killed at the end if it still runs.
class ChildProgram {
  public:
    explicit ChildProgram(const std::string& path, const std::string& arguments = "");
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    bool started() const { return static_cast<bool>(m_process); }
    // Its visible top-level dialog window, waiting up to timeoutMs for it.
    HWND WaitForMainWindow(DWORD timeoutMs = 30000) const;
    // Waits for the end; returns the exit code, or -1 on a time-out.
    long WaitForExit(DWORD timeoutMs = 30000);

  private:
    UniqueKernelHandle m_process;
    DWORD m_processId = 0;
};

// Dispatches this thread's waiting messages.
void PumpMessages();
// Dispatches messages until done() holds or timeoutMs has passed; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 60000);
