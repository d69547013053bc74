// The program's entry point.

#include <windows.h>

#include "app/Application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    return RunProgram(instance, showCommand);
}
