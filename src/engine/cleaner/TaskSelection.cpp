#include "cleaner/TaskSelection.h"

#include <cctype>

#include "settings/ConfigStore.h"
#include "cleaner/CleanerTasks.h"

namespace {

// A task number: digits only, 1 to 11.
bool ParseTaskNumber(const std::string& text, int& number) {
    if (text.empty() || text.size() > 2)
        return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    number = std::stoi(text);
    return number >= 1 && number <= kCleanerTaskCount;
}

}  // namespace

std::vector<bool> FactoryTaskSelection() {
    std::vector<bool> selection(kCleanerTaskCount, true);
    selection[9] = false;  // the time zones list every zone but one: only on request
    return selection;
}

std::vector<bool> StoredTaskSelection(const std::string& configPath) {
    std::vector<bool> selection = FactoryTaskSelection();
    ConfigStore store;
    if (store.Load(configPath) &&
        !ApplyFlagList(store.Read(ConfigPaths::kCleanerTasks, "custom"), selection)) {
        ApplyFlagList(store.Read(ConfigPaths::kCleanerTasks, "default"), selection);
    }
    return selection;
}

bool ParseTaskList(const std::string& text, std::vector<bool>& selection, std::string& error) {
    std::vector<bool> parsed(kCleanerTaskCount, false);
    std::size_t start = 0;
    do {
        std::size_t comma = text.find(',', start);
        std::string field =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        start = comma == std::string::npos ? text.size() + 1 : comma + 1;

        std::size_t dash = field.find('-');
        int first = 0, last = 0;
        bool ok = dash == std::string::npos
                      ? ParseTaskNumber(field, first) && ParseTaskNumber(field, last)
                      : ParseTaskNumber(field.substr(0, dash), first) &&
                            ParseTaskNumber(field.substr(dash + 1), last) && first <= last;
        if (!ok) {
            error = "bad task list '" + text + "': expected task numbers 1 to 11, such as 1-3,11";
            return false;
        }
        for (int task = first; task <= last; ++task)
            parsed[task - 1] = true;
    } while (start <= text.size());
    selection = parsed;
    return true;
}
