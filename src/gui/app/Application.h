#pragma once
// Start-up and shutdown of the program: one copy at a time, COM, the skin
// layer, the language file, the XML parser test, common controls, then the
// main window's message loop; shutdown in the reverse order.

#include <windows.h>

#include <functional>
#include <string>

class MainFrame;

// A fixed name in registry GUID form, the same in every build.
constexpr wchar_t kSingleInstanceMutexName[] = L"{6F1C2A8E-3B47-4D95-A0E2-58C7D1B9F364}";

// Exit codes: a normal close ends with the command that closed the window.
constexpr int kExitClosed = 2;
constexpr int kExitEarly = 0;

struct StartupOptions {
    std::wstring mutexName = kSingleInstanceMutexName;
    // Empty: beside the program, named after the program file.
    std::wstring languageFile;
    // Empty: the real test for MSXML's DOM document.
    std::function<bool()> xmlParserAvailable;
    // Called once the main window is shown, before the message loop runs.
    std::function<void(MainFrame&)> onShown;
};

int RunProgram(HINSTANCE instance, int showCommand, const StartupOptions& options = {});

// The run step: the message loop of this thread around the main window.
int RunMainWindow(int showCommand, const std::function<void(MainFrame&)>& onShown = {});
