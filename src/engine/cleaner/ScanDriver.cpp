#include "cleaner/ScanDriver.h"

#include "settings/EntryLists.h"

namespace {

// Passes on and counts the rows the filter does not hide.
class CountingSink : public RowSink {
  public:
    CountingSink(RowSink& inner, const EntryFilter* filter) : m_inner(inner), m_filter(filter) {}
    void BeginTask(int task) override { m_inner.BeginTask(task); }
    void AddRow(const RegistryItem& item) override {
        if (m_filter != nullptr && m_filter->Hides(item))
            return;
        ++m_count;
        m_inner.AddRow(item);
    }
    std::size_t count() const { return m_count; }

  private:
    RowSink& m_inner;
    const EntryFilter* m_filter;
    std::size_t m_count = 0;
};

}  // namespace

std::shared_ptr<const EntryFilter> StoredEntryFilter(const std::wstring& configPath) {
    ConfigStore store;
    store.Load(configPath);
    const EntryLists lists = LoadEntryLists(store);
    return std::make_shared<const EntryFilter>(lists.protectedPlaces, lists.ignored,
                                               CurrentUserSid());
}

std::size_t RunScan(const std::vector<bool>& selection, RowSink& sink, ScanProgress* progress,
                    const StopFlag* stop, const EntryFilter* filter) {
    CountingSink counter(sink, filter);
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
