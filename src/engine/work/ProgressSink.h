#pragma once
// Progress of a long operation on a list of entries.

#include <cstddef>

// The long operations on a list of entries; each face words them its own way.
enum class ProgressPhase { Exporting, Deleting };

// Shows how far a long operation on a list of entries has come. The result
// list shows it in its progress window, zdv on standard error.
class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    virtual void Begin(ProgressPhase phase, std::size_t total) = 0;
    virtual void Step(std::size_t index) = 0;
    virtual void End() = 0;
    // Called once per key a step walks: a single key tree can take minutes,
    // and the result list keeps its windows painting meanwhile.
    virtual void KeyWalked() {}
};
