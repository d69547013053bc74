#include "cleaner/TaskSelection.h"

#include "settings/ConfigStore.h"
#include "cleaner/CleanerTasks.h"

namespace {

// A task number: one or two digits, 1 to 11.
bool ParseTaskNumber(const std::wstring& text, int& number) {
    if (text.empty() || text.size() > 2)
        return false;
    number = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return false;
        number = number * 10 + (c - L'0');
    }
    return number >= 1 && number <= kCleanerTaskCount;
}

}  // namespace

std::vector<bool> FactoryTaskSelection() {
    std::vector<bool> selection(kCleanerTaskCount, true);
    selection[9] = false;  // the time zones list every zone but one: only on request
    return selection;
}

std::vector<bool> StoredTaskSelection(const std::wstring& configPath) {
    std::vector<bool> selection = FactoryTaskSelection();
    ConfigStore store;
    if (store.Load(configPath) &&
        !ApplyFlagList(store.Read(ConfigPaths::kCleanerTasks, L"custom"), selection)) {
        ApplyFlagList(store.Read(ConfigPaths::kCleanerTasks, L"default"), selection);
    }
    return selection;
}

bool ParseTaskList(const std::wstring& text, std::vector<bool>& selection) {
    std::vector<bool> parsed(kCleanerTaskCount, false);
    std::size_t start = 0;
    do {
        std::size_t comma = text.find(L',', start);
        std::wstring field =
            text.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
        start = comma == std::wstring::npos ? text.size() + 1 : comma + 1;

        std::size_t dash = field.find(L'-');
        int first = 0, last = 0;
        bool ok = dash == std::wstring::npos
                      ? ParseTaskNumber(field, first) && ParseTaskNumber(field, last)
                      : ParseTaskNumber(field.substr(0, dash), first) &&
                            ParseTaskNumber(field.substr(dash + 1), last) && first <= last;
        if (!ok)
            return false;
        for (int task = first; task <= last; ++task)
            parsed[task - 1] = true;
    } while (start <= text.size());
    selection = parsed;
    return true;
}
