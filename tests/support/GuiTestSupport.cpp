#include "GuiTestSupport.h"

#include <commctrl.h>

#include "TestSupport.h"
#include "resource.h"
#include "settings/ModulePath.h"

namespace {

// The static control holding a message box's text.
constexpr int kMessageBoxText = 0xFFFF;
constexpr int kTextSize = 2048;

bool HasClass(HWND window, const wchar_t* className) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return lstrcmpiW(name, className) == 0;
}

// A message to a window of another process, answered within ten seconds or given up.
LRESULT SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result);
    return static_cast<LRESULT>(result);
}

}  // namespace

std::wstring ProgramPath() {
    return BuildFolder() + L"\\ZazaDaziveveVivozed.exe";
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!condition() && GetTickCount64() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        PumpMessages();
    }
    return condition();
}

HWND FindControl(HWND top, const wchar_t* className, int id) {
    for (HWND child = GetWindow(top, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == id && HasClass(child, className))
            return child;
        if (HWND below = FindControl(child, className, id))
            return below;
    }
    return nullptr;
}

std::wstring ControlText(HWND window) {
    wchar_t text[kTextSize] = {};
    SendBounded(window, WM_GETTEXT, kTextSize, reinterpret_cast<LPARAM>(text));
    return text;
}

void Press(HWND button) {
    if (button)
        PostMessageW(button, BM_CLICK, 0, 0);
}

void ShowPage(HWND mainWindow, int index) {
    HWND tree = FindControl(mainWindow, WC_TREEVIEWW, IDC_PAGE_TREE);
    LRESULT item = SendBounded(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    for (int i = 0; i < index && item; ++i)
        item = SendBounded(tree, TVM_GETNEXTITEM, TVGN_NEXT, item);
    SendBounded(tree, TVM_SELECTITEM, TVGN_CARET, item);
}

ChildProgram::ChildProgram(const std::wstring& path, const std::wstring& arguments) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring commandLine = L"\"" + path + L"\" " + arguments;
    if (CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
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

HWND ChildProgram::WaitForWindow(const wchar_t* className, int controlId, DWORD timeoutMs) const {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (found = GetTopWindow(nullptr); found; found = GetWindow(found, GW_HWNDNEXT)) {
                DWORD processId = 0;
                GetWindowThreadProcessId(found, &processId);
                if (processId == m_processId && IsWindowVisible(found) &&
                    HasClass(found, className) && (!controlId || GetDlgItem(found, controlId)))
                    return true;
            }
            return WaitForSingleObject(m_process.get(), 0) != WAIT_TIMEOUT;
        },
        timeoutMs);
    return found;
}

HWND ChildProgram::WaitForMainWindow(DWORD timeoutMs) const {
    return WaitForWindow(L"#32770", IDC_PAGE_SELECTOR, timeoutMs);
}

long ChildProgram::WaitForExit(DWORD timeoutMs) {
    if (!m_process || WaitForSingleObject(m_process.get(), timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(m_process.get(), &code);
    return static_cast<long>(code);
}

std::wstring ChildProgram::AnswerMessageBox(int button, DWORD timeoutMs) const {
    HWND box = WaitForWindow(L"#32770", kMessageBoxText, timeoutMs);
    const std::wstring text = ControlText(GetDlgItem(box, kMessageBoxText));
    Press(GetDlgItem(box, button));
    return text;
}

bool ChildProgram::ChooseMenuItem(int item, DWORD timeoutMs) const {
    HWND menu = WaitForWindow(L"#32768", 0, timeoutMs);
    // The menu's own loop reads the thread's keys, whatever window they name.
    for (int i = 0; menu && i < item; ++i)
        PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    return menu && PostMessageW(menu, WM_CHAR, L'\r', 0);
}

LRESULT ChildProgram::SendListItem(HWND list, UINT message, int row, int column, UINT state,
                                   UINT mask, std::wstring* text) const {
    if (!m_remotePage)
        m_remotePage = static_cast<char*>(VirtualAllocEx(m_process.get(), nullptr, 8192,
                                                         MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    LVITEMW item = {};
    item.iSubItem = column;
    item.state = state;
    item.stateMask = mask;
    item.pszText = reinterpret_cast<wchar_t*>(m_remotePage + sizeof(item));
    item.cchTextMax = kTextSize;
    wchar_t buffer[kTextSize] = {};
    if (!m_remotePage ||
        !WriteProcessMemory(m_process.get(), m_remotePage, &item, sizeof(item), nullptr))
        return 0;
    const LRESULT result = SendBounded(list, message, static_cast<WPARAM>(row),
                                       reinterpret_cast<LPARAM>(m_remotePage));
    if (text && ReadProcessMemory(m_process.get(), item.pszText, buffer,
                                  (kTextSize - 1) * sizeof(wchar_t), nullptr))
        *text = buffer;
    return result;
}

std::wstring ChildProgram::RowText(HWND list, int row, int column) const {
    std::wstring text;
    SendListItem(list, LVM_GETITEMTEXTW, row, column, 0, 0, &text);
    return text;
}

bool ChildProgram::SetRowState(HWND list, int row, UINT state, UINT mask) const {
    return SendListItem(list, LVM_SETITEMSTATE, row, 0, state, mask, nullptr) != 0;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
