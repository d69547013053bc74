#include "cleaner/ScanDriver.h"

namespace {

class CountingSink : public RowSink {
  public:
    explicit CountingSink(RowSink& inner) : m_inner(inner) {}
    void BeginTask(int task) override { m_inner.BeginTask(task); }
    void AddRow(const RegistryItem& item) override {
        ++m_count;
        m_inner.AddRow(item);
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
    auto showKey = [&](const WalkedKey& key) {
        if (!StopRequested(stop))
            progress->ShowKey(key.path);
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
    return counter.count();
}
