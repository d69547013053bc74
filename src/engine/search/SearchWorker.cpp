#include "search/SearchWorker.h"

#include <utility>

WorkRun SearchWork(SearchOptions options) {
    return [options = std::move(options)](WorkListener& listener, const StopFlag* stop) {
        auto progress = [&listener](const std::wstring& keyPath) { listener.ShowKey(keyPath); };
        return SearchRun(options, listener, progress, stop) == SearchEnd::Finished;
    };
}
