#pragma once
// The eleven cleaner tasks. Each reads its fixed registry areas, judges what it
// finds and reports every invalid entry at once to a row sink. Tasks keep no
// state between runs and know no window.

#include <string>

#include "registry/Registry.h"

constexpr int kCleanerTaskCount = 11;

// Row images of the cleaner's list.
constexpr int kImageStringValue = 0;
constexpr int kImageKey = 1;
constexpr int kImageOtherValue = 2;

// Receives the rows of a scan: the page adds them to its list, zdv prints them.
class RowSink {
  public:
    virtual ~RowSink() = default;
    // Called before each task runs, with its number (1 to 11).
    virtual void BeginTask(int /*task*/) {}
    // One found entry; type is the value's type, or KeyRowMarker for a key.
    virtual void AddRow(int image, const std::string& rootName, const std::string& keyPath,
                        const std::string& valueName, const std::string& dataText, int type) = 0;
};

struct TaskEnvironment {
    RowSink* sink = nullptr;
    // Called for every key a walk opens (progress); may be null.
    RegistryVisitor keyVisitor = nullptr;
    void* keyContext = nullptr;
    // Tested before every key, value and row; once set, nothing more is reported.
    const StopFlag* stop = nullptr;
};

// Runs task 1 to 11 to its end (or until stop is set). Other numbers do nothing.
void RunTask(int task, const TaskEnvironment& environment);
