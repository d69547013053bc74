#pragma once
// Where the process looks for a DLL loaded by name. The program's own folder
// and the current folder may hold files another user put there: no DLL is
// ever taken from them.

// Restricts every later load by name to the system folder where Windows can
// (SetDefaultDllDirectories: Windows 8, or Windows 7 with its update), and in
// every case takes the current folder out of the search. The first statement
// of every entry point, before any window, COM or common-controls call.
void RestrictDllSearch();
