#include "cleaner/CleanerTasks.h"

#include <algorithm>
#include <set>
#include <vector>

#include "cleaner/PathValidation.h"
#include "common/AnsiText.h"

namespace {

constexpr DWORD kFixedBuffer = 500;

const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kTimeZones[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";
const char kClasses[] = "Software\\Classes";

// Every row goes through here, so a stop is honoured before each one.
void Report(const TaskEnvironment& env, HKEY root, const std::string& keyPath,
            const std::string& valueName, const std::string& dataText, int type) {
    if (StopRequested(env.stop) || env.sink == nullptr)
        return;
    int image =
        type == KeyRowMarker ? kImageKey : (type == REG_SZ ? kImageStringValue : kImageOtherValue);
    env.sink->AddRow(image, RootKeyName(root), keyPath, valueName, dataText, type);
}

void ReportKey(const TaskEnvironment& env, HKEY root, const std::string& keyPath,
               const std::string& dataText = std::string()) {
    Report(env, root, keyPath, std::string(), dataText, KeyRowMarker);
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

void Enumerate(const TaskEnvironment& env, HKEY root, const std::string& path, SubKeyRule rule) {
    EnumSubKeys(
        root, path, [&env, rule](const SubKey& key) { rule(env, key); }, env.stop);
}

std::string DataText(const WalkedValue& value) {
    return DataAsText(value.data, value.dataLength);
}

// Reads one value into a buffer of the given capacity, cleared to zeros.
bool QueryText(HKEY key, const char* name, DWORD capacity, std::string& text) {
    std::vector<BYTE> buffer(capacity, 0);
    DWORD size = capacity;
    if (RegQueryValueExA(key, name, nullptr, nullptr, buffer.data(), &size) != ERROR_SUCCESS) {
        return false;
    }
    text = DataAsText(buffer.data(), std::min(size, capacity));
    return true;
}

// The 32-bit copies of class registrations, uninstall and installer data live
// below Software\Wow6432Node and are skipped like their originals.
std::vector<std::string> WithWow64Copies(std::vector<std::string> exclusions) {
#ifdef _WIN64
    const std::string software = "software\\";
    std::size_t count = exclusions.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& exclusion = exclusions[i];
        if (LowerCopy(exclusion.substr(0, software.size())) == software) {
            exclusions.push_back(exclusion.substr(0, software.size()) + "Wow6432Node\\" +
                                 exclusion.substr(software.size()));
        }
    }
#endif
    return exclusions;
}

// Tasks 1 to 3: a string value whose name or data names a missing file.
void VisitFileReference(const TaskEnvironment& env, const WalkedValue& value) {
    if (value.type != REG_SZ)
        return;
    std::string name(value.name);
    std::string text = DataText(value);
    if (IsMissingPath(name) || IsMissingPath(text))
        Report(env, value.root, value.keyPath, name, text, static_cast<int>(value.type));
}

void RunFileReferences(const TaskEnvironment& env, int task) {
    if (task == 1) {
        Walk(env, HKEY_CURRENT_USER, WalkOptions::Tree("Software", kOddNumberedTypes, {"CLSID"}),
             VisitFileReference);
    } else if (task == 2) {
        Walk(env, HKEY_USERS,
             WalkOptions::Tree("", kOddNumberedTypes, WithWow64Copies({"CLSID", kShellFolders})),
             VisitFileReference);
    } else {
        Walk(env, HKEY_LOCAL_MACHINE,
             WalkOptions::Tree(
                 "", kOddNumberedTypes,
                 WithWow64Copies(
                     {"CLSID", kClasses,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\DocFolderPaths",
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Installer", kUninstall,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Cache"})),
             VisitFileReference);
    }
}

// Task 4: a class key one of whose sub keys names a missing file.
void VisitClassValue(const TaskEnvironment& env, const WalkedValue& value) {
    if (value.type != REG_SZ)
        return;
    std::string text = DataText(value);
    if (!IsMissingPath(std::string(value.name)) && !IsMissingPath(text))
        return;
    std::string parent = value.keyPath;
    std::size_t slash = FindLastChar(parent, '\\');
    if (slash != std::string::npos)
        parent.resize(slash);
    if (WildcardMatch("*clsid\\{*-*-*-*-*}", LowerCopy(parent).c_str())) {
        ReportKey(env, value.root, parent, text);
    }
}

void RunClassRegistrations(const TaskEnvironment& env) {
    Walk(env, HKEY_CLASSES_ROOT, WalkOptions::Tree("CLSID", kOddNumberedTypes), VisitClassValue);
    Walk(env, HKEY_LOCAL_MACHINE, WalkOptions::Tree("Software\\Classes\\CLSID", kOddNumberedTypes),
         VisitClassValue);
}

// Task 5: an uninstall entry without values or with a missing uninstaller.
void VisitUninstallEntry(const TaskEnvironment& env, const SubKey& subKey) {
    const HKEY root = subKey.root;
    std::string entry = subKey.Path();
    UniqueRegKey key = OpenKeyForReading(root, entry);
    if (!key)
        return;
    DWORD values = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        values == 0) {
        ReportKey(env, root, entry);
    }
    std::string uninstaller;
    if (QueryText(key.get(), "UninstallString", kFixedBuffer, uninstaller) &&
        IsMissingPath(uninstaller)) {
        ReportKey(env, root, entry);
    }
}

// Task 6: every value of the history lists.
void VisitHistoryValue(const TaskEnvironment& env, const WalkedValue& value) {
    Report(env, value.root, value.keyPath, std::string(value.name),
           FormatValueData(value.type, value.data, value.dataLength), static_cast<int>(value.type));
}

void RunHistoryLists(const TaskEnvironment& env) {
    const char* const lists[] = {
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StreamMRU",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List",
        "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList",
    };
    for (const char* list : lists) {
        Walk(env, HKEY_CURRENT_USER, WalkOptions::Tree(list, kAllTypes), VisitHistoryValue);
    }
    Walk(env, HKEY_CURRENT_USER,
         WalkOptions::Tree("Software\\Microsoft\\Internet Explorer\\TypedUrls", kOddNumberedTypes),
         VisitHistoryValue);
}

// Task 7a: a start menu order key whose folder is gone from both Programs folders.
void RunMenuOrder(const TaskEnvironment& env) {
    // Without both folders' lists every key would look stale: when a folder's
    // path cannot be read (missing, too long) or the folder cannot be listed,
    // no key can be judged, as task 10 judges no zone without the zone in use.
    FolderMap folders;
    if (!ListSubfolders(ReadStringValue(HKEY_CURRENT_USER, kShellFolders, "Programs"), folders) ||
        !ListSubfolders(ReadStringValue(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs"),
                        folders)) {
        return;
    }
    std::set<std::string> loweredFolders;
    for (const auto& folder : folders)
        loweredFolders.insert(LowerCopy(folder.first));
    const char* const menuOrders[] = {
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu2\\Programs",
    };
    for (const char* menuOrder : menuOrders) {
        EnumSubKeys(
            HKEY_CURRENT_USER, menuOrder,
            [&](const SubKey& key) {
                if (loweredFolders.count(LowerCopy(std::string(key.name))) == 0)
                    ReportKey(env, key.root, key.Path());
            },
            env.stop);
    }
}

// Task 7b: a software key with neither sub keys nor values.
void VisitSoftwareKey(const TaskEnvironment& env, const SubKey& subKey) {
    std::string keyPath = subKey.Path();
    UniqueRegKey key = OpenKeyForReading(subKey.root, keyPath);
    if (!key)
        return;
    DWORD subKeys = 0, values = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        subKeys + values == 0) {
        ReportKey(env, subKey.root, keyPath);
    }
}

// Task 7c: a file type whose open command names a missing file.
void VisitFileType(const TaskEnvironment& env, const SubKey& subKey) {
    const std::string name(subKey.name);
    if (!WildcardMatch(".*", name))
        return;
    const HKEY root = subKey.root;
    const std::string classes = subKey.parentPath + "\\";
    const std::string extension = classes + name;

    std::string progId;
    if (UniqueRegKey key = OpenKeyForReading(root, extension)) {
        DWORD longestData = 0;
        RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, &longestData, nullptr, nullptr);
        QueryText(key.get(), "", std::max<DWORD>(longestData + 1, 256), progId);
    }
    if (progId.empty() || !OpenKeyForReading(root, classes + progId))
        progId = name;

    const std::string program = classes + progId;
    UniqueRegKey programKey = OpenKeyForReading(root, program);
    if (!programKey)
        return;
    UniqueRegKey command = OpenKeyForReading(root, program + "\\Shell\\Open\\Command");
    std::string commandText;
    if (!command || !QueryText(command.get(), "", kFixedBuffer, commandText))
        return;

    // The %1 placeholder and what follows it are not part of the file name.
    std::string judged = commandText;
    std::size_t blank = FindLastChar(judged, ' ');
    if (blank != std::string::npos) {
        std::size_t percent = FindChar(judged, '%', blank);
        if (percent != std::string::npos)
            judged.resize(percent);
    }
    if (!IsMissingPath(judged))
        return;
    ReportKey(env, root, extension, commandText);
    if (LowerCopy(program) != LowerCopy(extension))
        ReportKey(env, root, program, commandText);
}

void RunStartMenuAndFileTypes(const TaskEnvironment& env) {
    RunMenuOrder(env);
    Enumerate(env, HKEY_CURRENT_USER, "Software", VisitSoftwareKey);
    Enumerate(env, HKEY_LOCAL_MACHINE, "Software", VisitSoftwareKey);
    Enumerate(env, HKEY_LOCAL_MACHINE, kClasses, VisitFileType);
}

// Task 8: a shared library count whose library is gone.
void VisitSharedLibrary(const TaskEnvironment& env, const WalkedValue& value) {
    std::string name(value.name);
    if (IsMissingPath(name)) {
        Report(env, value.root, value.keyPath, name,
               FormatValueData(value.type, value.data, value.dataLength),
               static_cast<int>(value.type));
    }
}

// Task 9: a locale entry without data.
void VisitLocale(const TaskEnvironment& env, const WalkedValue& value) {
    if (value.dataLength == 0 || value.data == nullptr || value.data[0] == 0) {
        Report(env, value.root, value.keyPath, std::string(value.name), std::string(),
               static_cast<int>(value.type));
    }
}

// Task 10: every time zone but the one in use.
std::string CurrentStandardName() {
    TIME_ZONE_INFORMATION zone = {};
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID)
        return std::string();
    char name[sizeof(zone.StandardName)] = {};
    WideCharToMultiByte(CP_ACP, 0, zone.StandardName, -1, name, sizeof(name) - 1, nullptr, nullptr);
    return name;
}

void RunTimeZones(const TaskEnvironment& env) {
    // Without the zone in use every zone would be listed, that one too.
    const std::string current = CurrentStandardName();
    if (current.empty())
        return;
    EnumSubKeys(
        HKEY_LOCAL_MACHINE, kTimeZones,
        [&](const SubKey& subKey) {
            std::string zone = subKey.Path();
            UniqueRegKey key = OpenKeyForReading(subKey.root, zone);
            std::string standardName;
            if (key && QueryText(key.get(), "std", kFixedBuffer, standardName) &&
                standardName != current) {
                ReportKey(env, subKey.root, zone, standardName);
            }
        },
        env.stop);
}

// Task 11: a start-up entry that names a missing file or no drive path at all.
void VisitStartupEntry(const TaskEnvironment& env, const WalkedValue& value) {
    std::string text = DataText(value);
    if (IsMissingPath(text) || !WildcardMatch("*:\\*", text.c_str())) {
        Report(env, value.root, value.keyPath, std::string(value.name), text,
               static_cast<int>(value.type));
    }
}

void RunStartupEntries(const TaskEnvironment& env) {
    const std::string base = "Software\\Microsoft\\Windows\\CurrentVersion\\";
    for (const char* name : {"Run", "RunOnce", "RunServices", "RunServicesOnce"}) {
        Walk(env, HKEY_LOCAL_MACHINE, WalkOptions::OwnValues(base + name, kOddNumberedTypes),
             VisitStartupEntry);
    }
    for (const char* name : {"Run", "RunOnce"}) {
        Walk(env, HKEY_CURRENT_USER, WalkOptions::OwnValues(base + name, kOddNumberedTypes),
             VisitStartupEntry);
    }
}

}  // namespace

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
            Enumerate(env, HKEY_LOCAL_MACHINE, kUninstall, VisitUninstallEntry);
            break;
        case 6:
            RunHistoryLists(env);
            break;
        case 7:
            RunStartMenuAndFileTypes(env);
            break;
        case 8:
            Walk(env, HKEY_LOCAL_MACHINE,
                 WalkOptions::OwnValues("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls",
                                        kAllTypes),
                 VisitSharedLibrary);
            break;
        case 9:
            Walk(env, HKEY_LOCAL_MACHINE,
                 WalkOptions::OwnValues("System\\CurrentControlSet\\Control\\Nls\\Locale",
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
