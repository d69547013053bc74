#include <windows.h>

#include "common/DllSearch.h"

namespace {

// Not in the headers of a Windows 7 target: the call is looked up, never
// imported, so that the program still starts where it is missing.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);

}  // namespace

void RestrictDllSearch() {
    if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
        // Through a pointer to a function without parameters, which any
        // function pointer converts to and from.
        auto found =
            reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories"));
        if (found)
            reinterpret_cast<SetDefaultDllDirectoriesCall>(found)(kSearchSystem32);
    }
    SetDllDirectoryW(L"");
}
