#include "cleaner/ScanWorker.h"

#include <utility>

#include "cleaner/ScanDriver.h"

namespace {

class ListenerProgress : public ScanProgress {
  public:
    explicit ListenerProgress(WorkListener& listener) : m_listener(listener) {}
    void ShowKey(const std::wstring& keyPath) override { m_listener.ShowKey(keyPath); }

  private:
    WorkListener& m_listener;
};

}  // namespace

WorkRun ScanWork(std::vector<bool> selection, std::shared_ptr<const EntryFilter> filter) {
    return [selection = std::move(selection), filter = std::move(filter)](WorkListener& listener,
                                                                          const StopFlag* stop) {
        ListenerProgress progress(listener);
        RunScan(selection, listener, &progress, stop, filter.get());
        return !StopRequested(stop);
    };
}
