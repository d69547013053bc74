#include "cleaner/EntryFilter.h"

#include <sddl.h>

#include <algorithm>
#include <utility>

#include "common/Text.h"

namespace {

using Names = std::vector<std::wstring_view>;

constexpr std::wstring_view kSoftware = L"software";
constexpr std::wstring_view kWow64 = L"wow6432node";
constexpr std::wstring_view kClasses = L"classes";
constexpr std::wstring_view kSystem = L"system";
constexpr std::wstring_view kControlSet = L"controlset";
constexpr std::wstring_view kCurrentControlSet = L"currentcontrolset";

// The key names of a lower-case path; doubled and outer backslashes name nothing.
Names SplitNames(std::wstring_view path) {
    Names names;
    names.reserve(16);
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = std::min(path.find(L'\\', start), path.size());
        if (end > start)
            names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

// Rows carry the long names; a hand-written list may hold the short ones.
HKEY RootFromName(std::wstring_view name) {
    if (HKEY root = RootKeyFromName(name))
        return root;
    static const std::pair<const wchar_t*, HKEY> kShortNames[] = {{L"HKCR", HKEY_CLASSES_ROOT},
                                                                  {L"HKCU", HKEY_CURRENT_USER},
                                                                  {L"HKLM", HKEY_LOCAL_MACHINE},
                                                                  {L"HKU", HKEY_USERS},
                                                                  {L"HKCC", HKEY_CURRENT_CONFIG}};
    for (const auto& [shortName, root] : kShortNames) {
        if (EqualsIgnoringCase(name, shortName))
            return root;
    }
    return nullptr;
}

bool IsNumberedControlSet(std::wstring_view name) {
    return name.size() > kControlSet.size() && name.substr(0, kControlSet.size()) == kControlSet &&
           name.find_first_not_of(L"0123456789", kControlSet.size()) == std::wstring_view::npos;
}

// Brings a key to the one name all its names share. HKEY_CLASSES_ROOT stands
// for the classes of every root.
void Canonicalize(HKEY& root, Names& names, std::wstring_view sid, std::wstring_view classesSid) {
    if (root == HKEY_USERS && !names.empty() && !sid.empty()) {
        if (names[0] == sid || names[0] == classesSid) {
            root = names[0] == sid ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
            names.erase(names.begin());
        }
    }
    if ((root == HKEY_LOCAL_MACHINE || root == HKEY_CURRENT_USER) && !names.empty() &&
        names[0] == kSoftware) {
        if (names.size() > 1 && names[1] == kWow64)
            names.erase(names.begin() + 1);
        if (names.size() > 1 && names[1] == kClasses) {
            root = HKEY_CLASSES_ROOT;
            names.erase(names.begin(), names.begin() + 2);
        }
    }
    if (root == HKEY_CLASSES_ROOT && !names.empty() && names[0] == kWow64)
        names.erase(names.begin());
    if (root == HKEY_LOCAL_MACHINE && names.size() > 1 && names[0] == kSystem &&
        IsNumberedControlSet(names[1])) {
        names[1] = kCurrentControlSet;
    }
}

// Whether the first count names of a key match those of a place.
bool LeadingNamesMatch(const std::vector<std::wstring>& place, const Names& names,
                       std::size_t count, bool wildcards) {
    for (std::size_t i = 0; i < count; ++i) {
        if (wildcards ? !WildcardMatch(place[i], names[i]) : place[i] != names[i])
            return false;
    }
    return true;
}

}  // namespace

std::vector<PlacePattern> FactoryProtectedPlaces() {
    const wchar_t* const machine = L"HKEY_LOCAL_MACHINE";
    const wchar_t* const user = L"HKEY_CURRENT_USER";
    return {
        // Services and drivers of features and hardware that are not there are
        // normal; a wrong deletion can keep Windows from starting.
        {machine, L"System\\CurrentControlSet\\Services"},
        // Read before any program runs: pending renames name files meant to go.
        {machine, L"System\\CurrentControlSet\\Control\\Session Manager"},
        // Set by administrators, often naming other machines' paths; the key
        // is expected even when empty.
        {machine, L"Software\\Policies"},
        {user, L"Software\\Policies"},
        // Default programs' list: expected even when empty.
        {machine, L"Software\\Registered Applications"},
        // Names the optional General MIDI sound set, absent on many systems.
        {machine, L"Software\\Microsoft\\DirectMusic"},
        // The shell and the programs started at logon: a wrong deletion stops logon.
        {machine, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"},
        // Debugging and safety settings by program name, wherever it is installed.
        {machine, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options"},
        // Servicing's own store: names update files that exist only while servicing.
        {machine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Component Based Servicing"},
        // Where Windows was installed from: the setup media are long gone.
        {machine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Setup"},
        // Exclusions name paths that need not exist; the system refuses changes anyway.
        {machine, L"Software\\Microsoft\\Windows Defender"},
        // Features installed on first use name files that are absent until then.
        {user, L"Software\\Microsoft\\Installer"},
    };
}

std::wstring CurrentUserSid() {
    UniqueKernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return std::wstring();
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    wchar_t* text = nullptr;
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) ||
        !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
        return std::wstring();
    }
    std::wstring sid(text);
    LocalFree(text);
    return sid;
}

EntryFilter::EntryFilter(const std::vector<PlacePattern>& protectedPlaces,
                         const std::vector<IgnoredEntry>& ignored, std::wstring userSid)
    : m_sid(LowerCopy(std::move(userSid))), m_classesSid(LowerCopy(ClassesHiveName(m_sid))) {
    auto canonical = [this](HKEY root, Names names) {
        Canonicalize(root, names, m_sid, m_classesSid);
        return Place{root, std::vector<std::wstring>(names.begin(), names.end())};
    };
    for (const PlacePattern& pattern : protectedPlaces) {
        const HKEY root = RootFromName(pattern.root);
        const std::wstring path = LowerCopy(pattern.path);
        const Names names = SplitNames(path);
        if (root == nullptr)
            continue;
        // A pattern such as HKEY_USERS\*\X names the user's hives too.
        if (root == HKEY_USERS && !names.empty() && !m_sid.empty()) {
            for (const auto& [alias, sid] : {std::make_pair(HKEY_CURRENT_USER, m_sid),
                                             std::make_pair(HKEY_CLASSES_ROOT, m_classesSid)}) {
                if (WildcardMatch(names[0], sid))
                    m_protected.push_back(canonical(alias, Names(names.begin() + 1, names.end())));
            }
        }
        m_protected.push_back(canonical(root, names));
        m_protectsClasses = m_protectsClasses || m_protected.back().root == HKEY_CLASSES_ROOT;
    }
    for (const IgnoredEntry& entry : ignored) {
        const HKEY root = RootFromName(entry.root);
        const std::wstring path = LowerCopy(entry.keyPath);
        if (root != nullptr)
            m_ignored.push_back({canonical(root, SplitNames(path)), entry.valueName, entry.isKey});
    }
}

bool EntryFilter::Hides(std::wstring_view root, std::wstring_view keyPath,
                        std::wstring_view valueName, bool isKey) const {
    HKEY canonicalRoot = RootFromName(root);
    if (canonicalRoot == nullptr)
        return false;
    const std::wstring path = LowerCopy(std::wstring(keyPath));
    Names names = SplitNames(path);
    Canonicalize(canonicalRoot, names, m_sid, m_classesSid);

    for (const Place& place : m_protected) {
        // A key above a place takes the place with it; a value there does not.
        if (place.root == canonicalRoot && (isKey || names.size() >= place.names.size()) &&
            LeadingNamesMatch(place.names, names, std::min(names.size(), place.names.size()),
                              true)) {
            return true;
        }
    }
    // Every root's classes are one place here, so the keys holding the
    // machine's and the user's classes are above all of them.
    if (isKey && m_protectsClasses &&
        (canonicalRoot == HKEY_LOCAL_MACHINE || canonicalRoot == HKEY_CURRENT_USER) &&
        (names.empty() || (names.size() == 1 && names[0] == kSoftware))) {
        return true;
    }
    for (const Ignored& entry : m_ignored) {
        const std::size_t depth = entry.key.names.size();
        if (entry.key.root != canonicalRoot || names.size() < depth ||
            !LeadingNamesMatch(entry.key.names, names, depth, false)) {
            continue;
        }
        if (entry.isKey ||
            (!isKey && names.size() == depth && EqualsIgnoringCase(valueName, entry.valueName))) {
            return true;
        }
    }
    return false;
}
