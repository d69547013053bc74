#pragma once
// The words of a cleaner row's reason, in the user's language.

#include <string>

#include "registry/Registry.h"

// "File not found: C:\Tools\tool.exe", "Empty key", ...: the reason's text
// with its path or name; empty for Problem::None.
std::wstring ProblemText(Problem problem, const std::wstring& argument);
