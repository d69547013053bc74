#include "search/SearchWorker.h"

#include <utility>

WorkRun SearchWork(SearchOptions options) {
    return [options = std::move(options)](WorkListener& listener, const StopFlag* stop) {
        auto status = [&listener](const std::string& text) { listener.ShowStatus(text); };
        return SearchRun(options, listener, status, stop) == SearchEnd::Finished;
    };
}
