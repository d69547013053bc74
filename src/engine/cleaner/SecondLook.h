#pragma once
// A cleaner row judged again before its entry is deleted: minutes or days may
// have passed since the scan (a program reinstalled, a drive plugged in).

#include "registry/Registry.h"

// False when the entry is no longer stale by its reason's rule: the file it
// names is there again, the key is no longer empty, the value's type or data
// changed since it was judged, the time zone is the one in use. An entry that
// is gone, and a row without a reason, count as stale: the deletion says what
// became of them.
bool StillStale(const RegistryItem& item);
