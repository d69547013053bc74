#include "GuiTestSupport.h"

#include <utility>

#include "TestSupport.h"
#include "settings/ModulePath.h"
#include "framework/Window.h"

std::string ProgramPath() {
    return BuildFolder() + "\\ZazaDaziveveVivozed.exe";
}

ChildProgram::ChildProgram(const std::string& path, const std::string& arguments) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + path + "\" " + arguments;
    if (CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                       FolderOfPath(path).c_str(), &startup, &process)) {
        CloseHandle(process.hThread);
        m_process.reset(process.hProcess);
        m_processId = process.dwProcessId;
    }
}

ChildProgram::~ChildProgram() {
    if (m_process && WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_process.get(), 99);
        WaitForSingleObject(m_process.get(), 10000);
    }
}

HWND ChildProgram::WaitForMainWindow(DWORD timeoutMs) const {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    // The visible dialog window of the process, once there is one.
    using Search = std::pair<DWORD, HWND>;
    auto visit = [](HWND window, LPARAM context) -> BOOL {
        auto* search = reinterpret_cast<Search*>(context);
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        char className[16] = {};
        GetClassNameA(window, className, sizeof(className));
        if (processId == search->first && IsWindowVisible(window) &&
            lstrcmpA(className, "#32770") == 0)
            search->second = window;
        return search->second == nullptr;
    };
    while (m_process && GetTickCount64() < end) {
        Search search(m_processId, nullptr);
        EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
        if (search.second)
            return search.second;
        if (WaitForSingleObject(m_process.get(), 100) != WAIT_TIMEOUT)
            break;
    }
    return nullptr;
}

long ChildProgram::WaitForExit(DWORD timeoutMs) {
    if (!m_process || WaitForSingleObject(m_process.get(), timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(m_process.get(), &code);
    return static_cast<long>(code);
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done() && GetTickCount64() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpMessages();
    }
    return done();
}
