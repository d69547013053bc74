// Loads zdv_probe.dll by its bare name, after the program's own restriction
// of the DLL search when the first argument is "restricted". Exit code 1 when
// the DLL was loaded, 0 when not.

#include <windows.h>

#include <cwchar>

#include "common/DllSearch.h"

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wcscmp(argv[1], L"restricted") == 0)
        RestrictDllSearch();
    return LoadLibraryW(L"zdv_probe.dll") ? 1 : 0;
}
