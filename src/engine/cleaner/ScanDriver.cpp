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

}  // namespace

std::size_t RunScan(const std::vector<bool>& selection, RowSink& sink, ScanProgress* progress,
                    const StopFlag* stop) {
    CountingSink counter(sink);
    // The status text is looked up once per scan, not once per key.
    const std::string prefix = progress ? GetText("_PageRegistryCleanerState2") : std::string();
    std::string line;
    auto showKey = [&](const WalkedKey& key) {
        if (StopRequested(stop))
            return;
        line.assign(prefix);
        line += key.path;
        progress->ShowStatus(line);
    };
    TaskEnvironment env;
    env.sink = &counter;
    env.stop = stop;
    if (progress != nullptr)
        env.keyVisitor = showKey;
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
