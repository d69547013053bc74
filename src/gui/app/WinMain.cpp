// The program's entry point.

#include <windows.h>

#include "app/Application.h"
#include "common/DllSearch.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    RestrictDllSearch();
    return RunProgram(instance, showCommand);
}
