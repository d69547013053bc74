#pragma once
// The eleven cleaner tasks. Each reads its fixed registry areas, judges what it
// finds and reports every invalid entry at once to a row sink. Tasks keep no
// state between runs and know no window.

#include <string>

#include "registry/Registry.h"
#include "work/RowSink.h"

constexpr int kCleanerTaskCount = 11;

// Row images of the cleaner's list.
constexpr int kImageStringValue = 0;
constexpr int kImageKey = 1;
constexpr int kImageOtherValue = 2;

struct TaskEnvironment {
    RowSink* sink = nullptr;
    // Called for every key a walk opens (progress); may be empty. A view: the
    // callable it was made from must outlive the tasks run with it.
    KeyVisitor keyVisitor;
    // Tested before every key, value and row; once set, nothing more is reported.
    const StopFlag* stop = nullptr;
};

// Runs task 1 to 11 to its end (or until stop is set). Other numbers do nothing.
void RunTask(int task, const TaskEnvironment& environment);

// The standard name of the time zone in use; empty when it cannot be read.
std::wstring CurrentTimeZoneName();
// Whether a folder of this name is in the user's or the common Programs
// folder of the start menu; true also when either folder cannot be read.
bool ProgramsFolderExists(const std::wstring& name);
