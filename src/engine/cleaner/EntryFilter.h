#pragma once
// What the cleaner never reports: entries in protected places, where a missing
// file proves nothing or the system expects a key even when it is empty, and
// the entries the user chose to ignore.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "registry/Registry.h"

// A registry place: a root key's long name (the short HKLM, HKCU, HKCR, HKU
// and HKCC are taken too) and a path below it in which "*" and "?" match
// within one key name. Letter case does not count.
struct PlacePattern {
    std::wstring root;
    std::wstring path;
};

// One entry named exactly: a key with everything below it, or one value of a
// key (the empty name is the key's default value).
struct IgnoredEntry {
    std::wstring root;
    std::wstring keyPath;
    std::wstring valueName;
    bool isKey = true;
};

inline bool operator==(const PlacePattern& a, const PlacePattern& b) {
    return a.root == b.root && a.path == b.path;
}
inline bool operator==(const IgnoredEntry& a, const IgnoredEntry& b) {
    return a.root == b.root && a.keyPath == b.keyPath && a.valueName == b.valueName &&
           a.isKey == b.isKey;
}

// The places protected out of the box.
std::vector<PlacePattern> FactoryProtectedPlaces();

// The user this process runs as, as HKEY_USERS names the user's hive
// ("S-1-5-21-..."); empty when the system does not tell.
std::wstring CurrentUserSid();
// The name HKEY_USERS gives a user's classes hive: the SID, an underscore, Classes.
inline std::wstring ClassesHiveName(const std::wstring& sid) {
    return sid + L'_' + L"Classes";
}

// Judges found entries against the protected places and the ignored entries.
// A key is known by all its names: HKEY_CURRENT_USER is HKEY_USERS\<sid> and
// its classes are HKEY_USERS\<sid>_Classes; HKEY_CLASSES_ROOT shows the
// classes of both HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER (taken here as one
// place: protecting too much is the safe side); every ControlSet00n is
// CurrentControlSet; the 32-bit view below Wow6432Node is the 64-bit one.
class EntryFilter {
  public:
    EntryFilter(const std::vector<PlacePattern>& protectedPlaces,
                const std::vector<IgnoredEntry>& ignored, std::wstring userSid);

    // True for an entry at or below a protected place, for a key above one
    // (deleting it deletes the place), for an ignored key and everything below
    // it, and for an ignored value. root is a long root name, keyPath is
    // relative to it; valueName counts only for a value.
    bool Hides(std::wstring_view root, std::wstring_view keyPath, std::wstring_view valueName,
               bool isKey) const;
    bool Hides(const RegistryItem& item) const {
        return Hides(item.rootKey, item.keyPath, item.valueName, item.IsKey());
    }

  private:
    // A key by its one canonical name: the root and the lower-case key names.
    struct Place {
        HKEY root = nullptr;
        std::vector<std::wstring> names;
    };
    struct Ignored {
        Place key;
        std::wstring valueName;
        bool isKey = true;
    };

    std::wstring m_sid;  // lower case, as are the names it is compared with
    std::wstring m_classesSid;
    std::vector<Place> m_protected;
    std::vector<Ignored> m_ignored;
    bool m_protectsClasses = false;
};
