#include "cleaner/CleanerTasks.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "cleaner/PathValidation.h"
#include "common/Text.h"

namespace {

const wchar_t kUninstall[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const wchar_t kTimeZones[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";
const wchar_t kClasses[] = L"Software\\Classes";
const wchar_t kSharedDlls[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
const wchar_t kCurrentVersion[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\";

// Every row goes through here, so a stop is honoured before each one.
void Report(const TaskEnvironment& env, RegistryItem& item) {
    if (StopRequested(env.stop) || env.sink == nullptr)
        return;
    env.sink->AddRow(item);
}

// A value row with its reason; the digest lets a deletion see whether the
// value changed since.
void ReportValue(const TaskEnvironment& env, const WalkedValue& value, std::wstring dataText,
                 Problem problem, std::wstring argument = std::wstring()) {
    RegistryItem item;
    item.rootKey = RootKeyName(value.root);
    item.keyPath = value.keyPath;
    item.valueName = value.name;
    item.dataText = std::move(dataText);
    item.type = static_cast<int>(value.type);
    item.image = value.type == REG_SZ ? kImageStringValue : kImageOtherValue;
    item.problem = problem;
    item.problemArgument = std::move(argument);
    item.digest = ValueDigest(value.type, value.data, value.dataLength);
    Report(env, item);
}

void ReportKey(const TaskEnvironment& env, HKEY root, const std::wstring& keyPath, Problem problem,
               std::wstring argument = std::wstring(), std::wstring dataText = std::wstring()) {
    RegistryItem item;
    item.rootKey = RootKeyName(root);
    item.keyPath = keyPath;
    item.dataText = std::move(dataText);
    item.type = KeyRowMarker;
    item.image = kImageKey;
    item.problem = problem;
    item.problemArgument = std::move(argument);
    Report(env, item);
}

// The rules of the tasks judge one value or one sub key each.
using ValueRule = void (*)(const TaskEnvironment& env, const WalkedValue& value);
using SubKeyRule = void (*)(const TaskEnvironment& env, const SubKey& key);

void Walk(const TaskEnvironment& env, HKEY root, WalkOptions options, ValueRule rule) {
    options.stop = env.stop;
    WalkKey(
        root, options, [&env, rule](const WalkedValue& value) { rule(env, value); },
        env.keyVisitor);
}

void Enumerate(const TaskEnvironment& env, HKEY root, const std::wstring& path, SubKeyRule rule) {
    EnumSubKeys(
        root, path, [&env, rule](const SubKey& key) { rule(env, key); }, env.stop);
}

std::wstring DataText(const WalkedValue& value) {
    return TextFromData(value.data, value.dataLength);
}

// The text of a value that is there; false when it is missing or unreadable.
bool QueryText(HKEY key, const std::wstring& name, std::wstring& text) {
    ValueData value = ReadValue(key, name);
    if (!value)
        return false;
    text = TextFromData(value.bytes.data(), value.bytes.size());
    return true;
}

// The 32-bit copies of class registrations, uninstall and installer data live
// below Software\Wow6432Node and are skipped like their originals.
std::vector<std::wstring> WithWow64Copies(std::vector<std::wstring> exclusions) {
#ifdef _WIN64
    const std::wstring software = L"software\\";
    std::size_t count = exclusions.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::wstring& exclusion = exclusions[i];
        if (StartsWithIgnoringCase(exclusion, software)) {
            exclusions.push_back(exclusion.substr(0, software.size()) + L"Wow6432Node\\" +
                                 exclusion.substr(software.size()));
        }
    }
#endif
    return exclusions;
}

// The 32-bit view's own copies of a Software path (none in a 32-bit build):
// below Software\Wow6432Node, or for the classes below Software\Classes\Wow6432Node,
// where the 64-bit program reaches them by name. A copy that is a link back
// into the 64-bit view is a key the views share: walking it again would
// report its entries twice.
std::vector<std::wstring> ThirtyTwoBitViews(HKEY root, const std::wstring& path) {
    std::vector<std::wstring> views;
#ifdef _WIN64
    const std::wstring software = L"software\\";
    if (!StartsWithIgnoringCase(path, software))
        return views;
    std::wstring view =
        EqualsIgnoringCase(path, kClasses) ||
                StartsWithIgnoringCase(path, std::wstring(kClasses) + L"\\")
            ? std::wstring(kClasses) + L"\\Wow6432Node" + path.substr(std::wstring(kClasses).size())
            : path.substr(0, software.size()) + L"Wow6432Node\\" + path.substr(software.size());
    if (!IsLinkKey(root, view))
        views.push_back(std::move(view));
#else
    (void)root;
    (void)path;
#endif
    return views;
}

// A path and its 32-bit view's copy.
std::vector<std::wstring> BothViews(HKEY root, const std::wstring& path) {
    std::vector<std::wstring> views = ThirtyTwoBitViews(root, path);
    views.insert(views.begin(), path);
    return views;
}

// Tasks 1 to 3: a string value whose name or data names a missing file.
void VisitFileReference(const TaskEnvironment& env, const WalkedValue& value) {
    if (value.type != REG_SZ)
        return;
    std::wstring text = DataText(value);
    std::wstring judged;
    if (IsMissingPath(std::wstring(value.name), &judged) || IsMissingPath(text, &judged))
        ReportValue(env, value, std::move(text), Problem::FileNotFound, std::move(judged));
}

void RunFileReferences(const TaskEnvironment& env, int task) {
    if (task == 1) {
        Walk(env, HKEY_CURRENT_USER, WalkOptions::Tree(L"Software", kOddNumberedTypes, {L"CLSID"}),
             VisitFileReference);
    } else if (task == 2) {
        Walk(env, HKEY_USERS,
             WalkOptions::Tree(L"", kOddNumberedTypes, WithWow64Copies({L"CLSID", kShellFolders})),
             VisitFileReference);
    } else {
        Walk(env, HKEY_LOCAL_MACHINE,
             WalkOptions::Tree(
                 L"", kOddNumberedTypes,
                 WithWow64Copies(
                     {L"CLSID", kClasses,
                      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\DocFolderPaths",
                      L"Software\\Microsoft\\Windows\\CurrentVersion\\Installer", kUninstall,
                      L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Cache"})),
             VisitFileReference);
    }
}

// Task 4: a class key one of whose sub keys names a missing file.
void VisitClassValue(const TaskEnvironment& env, const WalkedValue& value) {
    if (value.type != REG_SZ)
        return;
    std::wstring text = DataText(value);
    std::wstring judged;
    if (!IsMissingPath(std::wstring(value.name), &judged) && !IsMissingPath(text, &judged))
        return;
    std::wstring parent = value.keyPath;
    std::size_t slash = parent.rfind(L'\\');
    if (slash != std::wstring::npos)
        parent.resize(slash);
    if (WildcardMatch(L"*clsid\\{*-*-*-*-*}", LowerCopy(parent))) {
        ReportKey(env, value.root, parent, Problem::ClassServerNotFound, std::move(judged), text);
    }
}

void RunClassRegistrations(const TaskEnvironment& env) {
    Walk(env, HKEY_CLASSES_ROOT, WalkOptions::Tree(L"CLSID", kOddNumberedTypes), VisitClassValue);
    Walk(env, HKEY_LOCAL_MACHINE, WalkOptions::Tree(L"Software\\Classes\\CLSID", kOddNumberedTypes),
         VisitClassValue);
    for (const std::wstring& classes : ThirtyTwoBitViews(HKEY_LOCAL_MACHINE, kClasses))
        Walk(env, HKEY_LOCAL_MACHINE, WalkOptions::Tree(classes + L"\\CLSID", kOddNumberedTypes),
             VisitClassValue);
}

// Task 5: an uninstall entry without values or with a missing uninstaller.
void VisitUninstallEntry(const TaskEnvironment& env, const SubKey& subKey) {
    const HKEY root = subKey.root;
    std::wstring entry = subKey.Path();
    OpenedKey key = OpenKey(root, entry);
    if (!key)
        return;
    DWORD subKeys = 0, values = 0;
    if (CountEntries(key.get(), subKeys, values) && values == 0)
        ReportKey(env, root, entry, Problem::UninstallWithoutValues);
    std::wstring uninstaller, judged;
    if (QueryText(key.get(), L"UninstallString", uninstaller) &&
        IsMissingPath(uninstaller, &judged)) {
        ReportKey(env, root, entry, Problem::UninstallProgramNotFound, std::move(judged));
    }
}

// Task 6: every value of the history lists.
void VisitHistoryValue(const TaskEnvironment& env, const WalkedValue& value) {
    ReportValue(env, value, FormatValueData(value.type, value.data, value.dataLength),
                Problem::HistoryEntry);
}

void RunHistoryLists(const TaskEnvironment& env) {
    const wchar_t* const lists[] = {
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU",
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU",
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU",
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StreamMRU",
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs",
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List",
        L"Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList",
    };
    for (const wchar_t* list : lists) {
        Walk(env, HKEY_CURRENT_USER, WalkOptions::Tree(list, kAllTypes), VisitHistoryValue);
    }
    Walk(env, HKEY_CURRENT_USER,
         WalkOptions::Tree(L"Software\\Microsoft\\Internet Explorer\\TypedUrls", kOddNumberedTypes),
         VisitHistoryValue);
}

std::wstring UserProgramsFolder() {
    return ReadStringValue(HKEY_CURRENT_USER, kShellFolders, L"Programs");
}

std::wstring CommonProgramsFolder() {
    return ReadStringValue(HKEY_LOCAL_MACHINE, kShellFolders, L"Common Programs");
}

// Task 7a: a start menu order key whose folder is gone from both Programs folders.
void RunMenuOrder(const TaskEnvironment& env) {
    // Without both folders' lists every key would look stale: when a folder's
    // path cannot be read (missing, too long) or the folder cannot be listed,
    // no key can be judged, as task 10 judges no zone without the zone in use.
    FolderMap folders;
    if (!ListSubfolders(UserProgramsFolder(), folders) ||
        !ListSubfolders(CommonProgramsFolder(), folders)) {
        return;
    }
    std::set<std::wstring> loweredFolders;
    for (const auto& folder : folders)
        loweredFolders.insert(LowerCopy(folder.first));
    const wchar_t* const menuOrders[] = {
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs",
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu2\\Programs",
    };
    for (const wchar_t* menuOrder : menuOrders) {
        EnumSubKeys(
            HKEY_CURRENT_USER, menuOrder,
            [&](const SubKey& key) {
                std::wstring name(key.name);
                if (loweredFolders.count(LowerCopy(name)) == 0)
                    ReportKey(env, key.root, key.Path(), Problem::MenuOrderFolderGone, name);
            },
            env.stop);
    }
}

// Task 7b: a software key with neither sub keys nor values.
void VisitSoftwareKey(const TaskEnvironment& env, const SubKey& subKey) {
    std::wstring keyPath = subKey.Path();
    OpenedKey key = OpenKey(subKey.root, keyPath);
    if (!key)
        return;
    DWORD subKeys = 0, values = 0;
    if (CountEntries(key.get(), subKeys, values) && subKeys + values == 0) {
        ReportKey(env, subKey.root, keyPath, Problem::EmptyKey);
    }
}

// Task 7c: a file type whose open command names a missing file.
void VisitFileType(const TaskEnvironment& env, const SubKey& subKey) {
    const std::wstring name(subKey.name);
    if (!WildcardMatch(L".*", name))
        return;
    const HKEY root = subKey.root;
    const std::wstring classes = subKey.parentPath + L"\\";
    const std::wstring extension = classes + name;

    std::wstring progId;
    if (OpenedKey key = OpenKey(root, extension))
        QueryText(key.get(), L"", progId);
    if (progId.empty() || !OpenKey(root, classes + progId))
        progId = name;

    const std::wstring program = classes + progId;
    if (!OpenKey(root, program))
        return;
    OpenedKey command = OpenKey(root, program + L"\\Shell\\Open\\Command");
    std::wstring commandText;
    if (!command || !QueryText(command.get(), L"", commandText))
        return;

    // The %1 placeholder and what follows it are not part of the file name.
    std::wstring judged = commandText;
    std::size_t blank = judged.rfind(L' ');
    if (blank != std::wstring::npos) {
        std::size_t percent = judged.find(L'%', blank);
        if (percent != std::wstring::npos)
            judged.resize(percent);
    }
    std::wstring missing;
    if (!IsMissingPath(judged, &missing))
        return;
    ReportKey(env, root, extension, Problem::OpenCommandNotFound, missing, commandText);
    if (!EqualsIgnoringCase(program, extension))
        ReportKey(env, root, program, Problem::OpenCommandNotFound, missing, commandText);
}

void RunStartMenuAndFileTypes(const TaskEnvironment& env) {
    RunMenuOrder(env);
    Enumerate(env, HKEY_CURRENT_USER, L"Software", VisitSoftwareKey);
    Enumerate(env, HKEY_LOCAL_MACHINE, L"Software", VisitSoftwareKey);
    Enumerate(env, HKEY_LOCAL_MACHINE, kClasses, VisitFileType);
    for (const std::wstring& classes : ThirtyTwoBitViews(HKEY_LOCAL_MACHINE, kClasses))
        Enumerate(env, HKEY_LOCAL_MACHINE, classes, VisitFileType);
}

// Task 8: a shared library count whose library is gone.
void VisitSharedLibrary(const TaskEnvironment& env, const WalkedValue& value) {
    std::wstring judged;
    if (IsMissingPath(std::wstring(value.name), &judged)) {
        ReportValue(env, value, FormatValueData(value.type, value.data, value.dataLength),
                    Problem::SharedLibraryMissing, std::move(judged));
    }
}

// Task 9: a locale entry without data.
void VisitLocale(const TaskEnvironment& env, const WalkedValue& value) {
    if (TextFromData(value.data, value.dataLength).empty())
        ReportValue(env, value, std::wstring(), Problem::EmptyLocale);
}

// Task 10: every time zone but the one in use.
void RunTimeZones(const TaskEnvironment& env) {
    // Without the zone in use every zone would be listed, that one too.
    const std::wstring current = CurrentTimeZoneName();
    if (current.empty())
        return;
    EnumSubKeys(
        HKEY_LOCAL_MACHINE, kTimeZones,
        [&](const SubKey& subKey) {
            std::wstring zone = subKey.Path();
            OpenedKey key = OpenKey(subKey.root, zone);
            std::wstring standardName;
            if (key && QueryText(key.get(), L"std", standardName) && standardName != current) {
                ReportKey(env, subKey.root, zone, Problem::TimeZoneNotInUse, standardName,
                          standardName);
            }
        },
        env.stop);
}

// Task 11: a start-up entry that names a missing file or no drive path at all.
void VisitStartupEntry(const TaskEnvironment& env, const WalkedValue& value) {
    std::wstring text = DataText(value);
    std::wstring judged;
    if (IsMissingPath(text, &judged)) {
        ReportValue(env, value, std::move(text), Problem::FileNotFound, std::move(judged));
    } else if (!WildcardMatch(L"*:\\*", text)) {
        ReportValue(env, value, std::move(text), Problem::StartupWithoutFullPath);
    }
}

void RunStartupEntries(const TaskEnvironment& env) {
    const std::wstring base = kCurrentVersion;
    for (const wchar_t* name : {L"Run", L"RunOnce", L"RunServices", L"RunServicesOnce"}) {
        for (const std::wstring& path : BothViews(HKEY_LOCAL_MACHINE, base + name))
            Walk(env, HKEY_LOCAL_MACHINE, WalkOptions::OwnValues(path, kOddNumberedTypes),
                 VisitStartupEntry);
    }
    for (const wchar_t* name : {L"Run", L"RunOnce"}) {
        Walk(env, HKEY_CURRENT_USER, WalkOptions::OwnValues(base + name, kOddNumberedTypes),
             VisitStartupEntry);
    }
}

}  // namespace

std::wstring CurrentTimeZoneName() {
    TIME_ZONE_INFORMATION zone = {};
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID)
        return std::wstring();
    const std::size_t capacity = sizeof(zone.StandardName) / sizeof(zone.StandardName[0]);
    return std::wstring(zone.StandardName, wcsnlen(zone.StandardName, capacity));
}

bool ProgramsFolderExists(const std::wstring& name) {
    const std::wstring user = UserProgramsFolder(), common = CommonProgramsFolder();
    return user.empty() || common.empty() || PathExists(user + L"\\" + name) ||
           PathExists(common + L"\\" + name);
}

void RunTask(int task, const TaskEnvironment& env) {
    switch (task) {
        case 1:
        case 2:
        case 3:
            RunFileReferences(env, task);
            break;
        case 4:
            RunClassRegistrations(env);
            break;
        case 5:
            for (const std::wstring& path : BothViews(HKEY_LOCAL_MACHINE, kUninstall))
                Enumerate(env, HKEY_LOCAL_MACHINE, path, VisitUninstallEntry);
            break;
        case 6:
            RunHistoryLists(env);
            break;
        case 7:
            RunStartMenuAndFileTypes(env);
            break;
        case 8:
            for (const std::wstring& path : BothViews(HKEY_LOCAL_MACHINE, kSharedDlls))
                Walk(env, HKEY_LOCAL_MACHINE, WalkOptions::OwnValues(path, kAllTypes),
                     VisitSharedLibrary);
            break;
        case 9:
            Walk(env, HKEY_LOCAL_MACHINE,
                 WalkOptions::OwnValues(L"System\\CurrentControlSet\\Control\\Nls\\Locale",
                                        kOddNumberedTypes),
                 VisitLocale);
            break;
        case 10:
            RunTimeZones(env);
            break;
        case 11:
            RunStartupEntries(env);
            break;
        default:
            break;
    }
}
