// A DLL that marks, when it is loaded, that it ran: a file named after it
// with ".ran" added, beside it.

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t marker[MAX_PATH + 8] = {};
    const DWORD length = GetModuleFileNameW(instance, marker, MAX_PATH);
    lstrcpyW(marker + length, L".ran");
    CloseHandle(CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return TRUE;
}
