#include "cleaner/ScanDriver.h"

#include "text/FormatText.h"
#include "text/LanguageTable.h"

namespace {

class CountingSink : public RowSink {
  public:
    explicit CountingSink(RowSink& inner) : m_inner(inner) {}
    void BeginTask(int task) override { m_inner.BeginTask(task); }
    void AddRow(int image, const std::string& rootName, const std::string& keyPath,
                const std::string& valueName, const std::string& dataText, int type) override {
        ++m_count;
        m_inner.AddRow(image, rootName, keyPath, valueName, dataText, type);
    }
    std::size_t count() const { return m_count; }

  private:
    RowSink& m_inner;
    std::size_t m_count = 0;
};

struct ProgressState {
    ScanProgress* progress;
    const StopFlag* stop;
    std::string prefix;  // looked up once per scan, not once per key
    std::string line;
};

// The key visitor of every walk: the key being walked, after the status text.
void ShowScanProgress(HKEY, const char* path, const char*, DWORD, DWORD, const BYTE*, DWORD,
                      void* context) {
    auto* state = static_cast<ProgressState*>(context);
    if (StopRequested(state->stop))
        return;
    state->line.assign(state->prefix);
    state->line += path;
    state->progress->ShowStatus(state->line);
}

}  // namespace

std::size_t RunScan(const std::vector<bool>& selection, RowSink& sink, ScanProgress* progress,
                    const StopFlag* stop) {
    CountingSink counter(sink);
    ProgressState state{progress, stop, std::string(), std::string()};
    TaskEnvironment env;
    env.sink = &counter;
    env.stop = stop;
    if (progress != nullptr) {
        state.prefix = GetText("_PageRegistryCleanerState2");
        env.keyVisitor = ShowScanProgress;
        env.keyContext = &state;
    }
    for (std::size_t position = 0; position < selection.size() && position < kCleanerTaskCount;
         ++position) {
        if (StopRequested(stop))
            break;
        if (!selection[position])
            continue;
        int task = static_cast<int>(position) + 1;
        sink.BeginTask(task);
        RunTask(task, env);
    }
    if (progress != nullptr && !StopRequested(stop)) {
        progress->ShowStatus(FormatCount(GetText("_PageRegistryCleanerState3"),
                                         static_cast<long long>(counter.count())));
    }
    return counter.count();
}
