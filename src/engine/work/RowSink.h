#pragma once
// Where found entries go: the pages add them to their lists, zdv prints them.

#include "registry/Registry.h"

// Receives found entries, as they are found.
class RowSink {
  public:
    virtual ~RowSink() = default;
    // A cleaner scan calls this before each task runs, with its number (1 to 11).
    virtual void BeginTask(int /*task*/) {}
    // One found entry.
    virtual void AddRow(const RegistryItem& item) = 0;
};
