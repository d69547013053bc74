#pragma once
// Which cleaner tasks run when nobody ticks any: the "custom" selection of
// "config.xml", else its "default", else every task but the time zones.

#include <string>
#include <vector>

// One flag per task (index = task number - 1).
std::vector<bool> FactoryTaskSelection();

// The selection stored in the settings file at configPath ("config.xml" beside
// the program). COM must be initialised on the calling thread.
std::vector<bool> StoredTaskSelection(const std::wstring& configPath);

// Parses a task list such as "1-3,11" (numbers 1 to 11, ranges allowed) into
// selection; false, leaving selection as it was, for anything else.
bool ParseTaskList(const std::wstring& text, std::vector<bool>& selection);
