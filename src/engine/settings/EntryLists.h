#pragma once
// The cleaner's lists in "config.xml": the protected places, as shipped and as
// the user keeps them, and the entries the user chose to ignore.

#include <string>
#include <vector>

#include "cleaner/EntryFilter.h"
#include "settings/ConfigStore.h"

struct EntryLists {
    std::vector<PlacePattern> protectedPlaces;  // the list in force
    std::vector<PlacePattern> factoryPlaces;
    std::vector<IgnoredEntry> ignored;
};

// The lists of a loaded store. The factory list is the file's, or the
// program's own when the file has none; the list in force is the user's once
// the file holds one (an emptied one too), else the factory list.
EntryLists LoadEntryLists(const ConfigStore& store);

// Writes the list in force and the ignored entries into the file, keeping
// everything else in it (the factory list too, which is written only when the
// file has none), with the store's safe save. False, writing nothing, when
// the file cannot be read or written.
bool SaveEntryLists(const std::wstring& configPath, const EntryLists& lists);

// Puts the factory list back in force and saves as SaveEntryLists does.
bool RestoreFactoryPlaces(const std::wstring& configPath, EntryLists& lists);

// Element paths of "config.xml". A place has the attributes "root" and
// "path"; an entry "root", "key" and, for a value only, "value".
namespace ConfigPaths {
constexpr wchar_t kFactoryPlaces[] = L"/config/zazadazivevevivozed/protectedplaces/factory";
constexpr wchar_t kUserPlaces[] = L"/config/zazadazivevevivozed/protectedplaces/user";
constexpr wchar_t kIgnoredEntries[] = L"/config/zazadazivevevivozed/ignoredentries";
}  // namespace ConfigPaths
