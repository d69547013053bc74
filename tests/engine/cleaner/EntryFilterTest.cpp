#include <gtest/gtest.h>

#include "TestSupport.h"
#include "cleaner/EntryFilter.h"

namespace {

const wchar_t kSid[] = L"S-1-5-21-7-8-9-1001";
const wchar_t kLm[] = L"HKEY_LOCAL_MACHINE";
const wchar_t kCu[] = L"HKEY_CURRENT_USER";
const wchar_t kCr[] = L"HKEY_CLASSES_ROOT";
const wchar_t kU[] = L"HKEY_USERS";

// A found row; a key row has no value name.
struct Row {
    const wchar_t* root;
    std::wstring key;
    const wchar_t* value;
    bool hidden;
};

void ExpectHidden(const EntryFilter& filter, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(std::wstring(row.root) + L"\\" + row.key + L" : " +
                     (row.value ? row.value : L"(key)"));
        EXPECT_EQ(filter.Hides(row.root, row.key, row.value ? row.value : L"", !row.value),
                  row.hidden);
    }
}

TEST(EntryFilter, ProtectedPlacesHideTheirTreesAndTheKeysAboveThemUnderEveryName) {
    const EntryFilter filter({{L"HKLM", L"Software\\Vendor*\\Sett?ngs"},
                              {kCu, L"software\\POLICIES"},
                              {kLm, L"System\\CurrentControlSet\\Services"},
                              {kCr, L"Protected.Type"},
                              {L"HKU", L"*\\Printers"}},
                             {}, kSid);
    ExpectHidden(filter,
                 {
                     {kLm, L"SOFTWARE\\vendorX\\Settings\\Deep", L"v", true},
                     {kLm, L"Software\\Wow6432Node\\Vendor\\Settangs", nullptr, true},
                     {kLm, L"Software\\Vendor\\Other\\Settings", nullptr, false},
                     {kLm, L"Software\\Vendor\\Setings", L"v", false},
                     {kLm, L"Software\\Vendor", nullptr, true},
                     {kLm, L"Software\\Vendor", L"v", false},
                     {kCu, L"Software\\Policies\\Microsoft", L"v", true},
                     {kU, L"S-1-5-21-7-8-9-1001\\Software\\Wow6432Node\\Policies\\X", L"v", true},
                     {kU, L"S-1-5-21-7-8-9-1001", nullptr, true},
                     {kU, L"S-1-5-21-7-8-9-1002\\Software\\Policies", L"v", false},
                     {kLm, L"Software\\Policies", L"v", false},
                     {kLm, L"System\\ControlSet002\\Services\\Beep", L"ImagePath", true},
                     {kLm, L"System\\ControlSet001", nullptr, true},
                     {kLm, L"System\\ControlSet001\\Control\\X", nullptr, false},
                     {kLm, L"System\\ControlSetX\\Services", nullptr, false},
                     {kCr, L"protected.type\\Shell", L"", true},
                     {kLm, L"Software\\Wow6432Node\\Classes\\Protected.Type", nullptr, true},
                     {kCu, L"Software\\Classes\\Wow6432Node\\Protected.Type", L"v", true},
                     {kU, L"S-1-5-21-7-8-9-1001_Classes\\Protected.Type", L"v", true},
                     {kLm, L"Software\\Classes\\Other.Type", nullptr, false},
                     {kCu, L"Printers\\Defaults", L"v", true},
                     {kU, L".DEFAULT\\Printers", L"v", true},
                     {L"HKEY_CURRENT_CONFIG", L"Software\\Vendor\\Settings", L"v", false},
                 });
    // Classes are one place whatever their root: the keys holding them are above it.
    const EntryFilter classes({{kCr, L"Protected.Type"}}, {}, kSid);
    ExpectHidden(classes, {{kLm, L"Software", nullptr, true},
                           {kCu, L"Software\\Wow6432Node", nullptr, true},
                           {kLm, L"Software", L"v", false},
                           {kCu, L"Software\\Other", nullptr, false}});
}

TEST(EntryFilter, IgnoredKeyHidesItsTreeAndIgnoredValueOnlyItself) {
    const EntryFilter filter({},
                             {{kCu, L"Software\\A,B\\Ke*y", L"", true},
                              {kLm, L"Software\\Tool", L"Path", false},
                              {kLm, L"Software\\Tool", L"", false}},
                             kSid);
    ExpectHidden(filter, {
                             {kCu, L"software\\a,b\\KE*Y", nullptr, true},
                             {kU, L"S-1-5-21-7-8-9-1001\\Software\\A,B\\Ke*y\\Sub", L"x", true},
                             {kCu, L"Software\\A,B\\Key", nullptr, false},
                             {kCu, L"Software\\A,B", nullptr, false},
                             {kLm, L"Software\\Wow6432Node\\Tool", L"PATH", true},
                             {kLm, L"Software\\Tool", L"", true},
                             {kLm, L"Software\\Tool", L"Other", false},
                             {kLm, L"Software\\Tool", nullptr, false},
                             {kLm, L"Software\\Tool\\Sub", L"Path", false},
                         });
}

TEST(EntryFilter, FactoryPlacesLeaveWhatTheTasksLookForReportable) {
    const EntryFilter filter(FactoryProtectedPlaces(), {}, kSid);
    const std::wstring version = L"Software\\Microsoft\\Windows\\CurrentVersion\\";
    const std::wstring explorer = version + L"Explorer\\";
    ExpectHidden(filter,
                 {
                     {kLm, L"System\\ControlSet001\\Services\\Beep", L"ImagePath", true},
                     {kLm, L"Software\\Microsoft\\DirectMusic", L"GMFilePath", true},
                     {kLm, L"Software\\Wow6432Node\\Policies", nullptr, true},
                     {kU, L"S-1-5-21-7-8-9-1001\\Software\\Policies", nullptr, true},
                     {kLm, L"Software\\Registered Applications", nullptr, true},
                     {kLm, version + L"SharedDlls", L"C:\\a.dll", false},
                     {kLm, L"System\\CurrentControlSet\\Control\\Nls\\Locale", L"00000409", false},
                     {kLm, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\X",
                      nullptr, false},
                     {kLm, version + L"Uninstall\\X", nullptr, false},
                     {kCu, version + L"Run", L"x", false},
                     {kCu, explorer + L"RunMRU", L"a", false},
                     {kCu, explorer + L"ComDlg32\\OpenSaveMRU\\txt", L"a", false},
                     {kCu, explorer + L"Shell Folders", L"Programs", false},
                     {kCu, explorer + L"MenuOrder\\Start Menu\\Programs\\X", nullptr, false},
                     {kCr, L"CLSID\\{00000000-0000-0000-0000-000000000001}", nullptr, false},
                     {kLm, L"Software\\Classes\\.txt", nullptr, false},
                     {kCu, L"Software\\Empty Vendor", nullptr, false},
                 });
}

TEST(EntryFilter, CurrentUserSidNamesTheUsersHive) {
    const std::wstring sid = CurrentUserSid();
    EXPECT_EQ(sid.rfind(L"S-1-5-", 0), 0u) << sid;
    EXPECT_TRUE(KeyExists(HKEY_USERS, sid)) << sid;
}

}  // namespace
