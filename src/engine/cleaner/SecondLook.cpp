#include "cleaner/SecondLook.h"

#include "cleaner/CleanerTasks.h"
#include "cleaner/PathValidation.h"
#include "results/RegExport.h"

namespace {

bool CountsAre(HKEY key, bool (*stale)(DWORD subKeys, DWORD values)) {
    DWORD subKeys = 0, values = 0;
    return CountEntries(key, subKeys, values) && stale(subKeys, values);
}

}  // namespace

bool StillStale(const RegistryItem& item) {
    if (item.problem == Problem::None)
        return true;
    const SplitPath split = SplitKeyPath(ItemKeyPath(item));
    if (!split.ok)
        return true;
    const OpenedKey key = OpenKey(split.root, split.subKey);
    if (!key)
        return true;
    if (!item.IsKey()) {
        const ValueData value = ReadValue(key.get(), item.valueName);
        if (!value)
            return true;
        if (ValueDigest(value.type, value.bytes.data(), value.bytes.size()) != item.digest)
            return false;
    }
    switch (item.problem) {
        case Problem::FileNotFound:
        case Problem::ClassServerNotFound:
        case Problem::OpenCommandNotFound:
        case Problem::UninstallProgramNotFound:
        case Problem::SharedLibraryMissing:
            return IsMissingPath(item.problemArgument);
        case Problem::EmptyKey:
            return CountsAre(key.get(),
                             [](DWORD subKeys, DWORD values) { return subKeys + values == 0; });
        case Problem::UninstallWithoutValues:
            return CountsAre(key.get(), [](DWORD, DWORD values) { return values == 0; });
        case Problem::MenuOrderFolderGone:
            return !ProgramsFolderExists(item.problemArgument);
        case Problem::TimeZoneNotInUse: {
            const std::wstring current = CurrentTimeZoneName();
            return !current.empty() && current != item.problemArgument;
        }
        default:
            // History, empty locale and start-up entries are judged by their
            // data alone, which the digest covers.
            return true;
    }
}
