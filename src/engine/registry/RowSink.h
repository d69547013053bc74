#pragma once
// Where found entries go: the pages add them to their lists, zdv prints them.

#include <string>

// Receives found entries, as they are found.
class RowSink {
  public:
    virtual ~RowSink() = default;
    // A cleaner scan calls this before each task runs, with its number (1 to 11).
    virtual void BeginTask(int /*task*/) {}
    // One found entry; type is the value's type, or KeyRowMarker for a key.
    virtual void AddRow(int image, const std::wstring& rootName, const std::wstring& keyPath,
                        const std::wstring& valueName, const std::wstring& dataText, int type) = 0;
};
