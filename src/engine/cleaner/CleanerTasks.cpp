#include "cleaner/CleanerTasks.h"

#include <algorithm>
#include <set>
#include <vector>

#include "cleaner/PathValidation.h"
#include "common/AnsiText.h"

namespace {

constexpr DWORD kStringTypes = 1;  // REG_SZ and the other odd-numbered types
constexpr DWORD kAllTypes = 0xFFFFFFFF;
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

const TaskEnvironment& EnvironmentOf(void* context) {
    return *static_cast<const TaskEnvironment*>(context);
}

void Walk(const TaskEnvironment& env, HKEY root, const std::string& path, bool recurse,
          RegistryVisitor visitor, void* context, DWORD typeMask,
          const std::vector<std::string>& exclusions = {}) {
    WalkOptions options;
    options.stop = env.stop;
    WalkKey(root, path, recurse, visitor, context, env.keyVisitor, env.keyContext, typeMask,
            exclusions, options);
}

void Walk(const TaskEnvironment& env, HKEY root, const std::string& path, bool recurse,
          RegistryVisitor visitor, DWORD typeMask,
          const std::vector<std::string>& exclusions = {}) {
    Walk(env, root, path, recurse, visitor, const_cast<TaskEnvironment*>(&env), typeMask,
         exclusions);
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
void VisitFileReference(HKEY root, const char* path, const char* name, DWORD, DWORD type,
                        const BYTE* data, DWORD dataLength, void* context) {
    if (type != REG_SZ)
        return;
    std::string text = DataAsText(data, dataLength);
    if (IsMissingPath(name) || IsMissingPath(text)) {
        Report(EnvironmentOf(context), root, path, name, text, static_cast<int>(type));
    }
}

void RunFileReferences(const TaskEnvironment& env, int task) {
    if (task == 1) {
        Walk(env, HKEY_CURRENT_USER, "Software", true, VisitFileReference, kStringTypes, {"CLSID"});
    } else if (task == 2) {
        Walk(env, HKEY_USERS, "", true, VisitFileReference, kStringTypes,
             WithWow64Copies({"CLSID", kShellFolders}));
    } else {
        Walk(env, HKEY_LOCAL_MACHINE, "", true, VisitFileReference, kStringTypes,
             WithWow64Copies({"CLSID", kClasses,
                              "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
                              "DocFolderPaths",
                              "Software\\Microsoft\\Windows\\CurrentVersion\\Installer", kUninstall,
                              "Software\\Microsoft\\Windows\\CurrentVersion\\Internet "
                              "Settings\\Cache"}));
    }
}

// Task 4: a class key one of whose sub keys names a missing file.
void VisitClassValue(HKEY root, const char* path, const char* name, DWORD, DWORD type,
                     const BYTE* data, DWORD dataLength, void* context) {
    if (type != REG_SZ)
        return;
    std::string text = DataAsText(data, dataLength);
    if (!IsMissingPath(name) && !IsMissingPath(text))
        return;
    std::string parent = path;
    std::size_t slash = FindLastChar(parent, '\\');
    if (slash != std::string::npos)
        parent.resize(slash);
    if (WildcardMatch("*clsid\\{*-*-*-*-*}", LowerCopy(parent).c_str())) {
        ReportKey(EnvironmentOf(context), root, parent, text);
    }
}

void RunClassRegistrations(const TaskEnvironment& env) {
    Walk(env, HKEY_CLASSES_ROOT, "CLSID", true, VisitClassValue, kStringTypes);
    Walk(env, HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID", true, VisitClassValue, kStringTypes);
}

// Task 5: an uninstall entry without values or with a missing uninstaller.
void VisitUninstallEntry(HKEY root, const char* path, const char* name, DWORD, DWORD, const BYTE*,
                         DWORD, void* context) {
    const TaskEnvironment& env = EnvironmentOf(context);
    std::string entry = std::string(path) + "\\" + name;
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
void VisitHistoryValue(HKEY root, const char* path, const char* name, DWORD, DWORD type,
                       const BYTE* data, DWORD dataLength, void* context) {
    Report(EnvironmentOf(context), root, path, name, FormatValueData(type, data, dataLength),
           static_cast<int>(type));
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
        Walk(env, HKEY_CURRENT_USER, list, true, VisitHistoryValue, kAllTypes);
    }
    Walk(env, HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedUrls", true,
         VisitHistoryValue, kStringTypes);
}

// Task 7a: a start menu order key whose folder is gone from both Programs folders.
struct MenuOrderCheck {
    const TaskEnvironment* env;
    std::set<std::string> loweredFolders;
};

void VisitMenuOrderKey(HKEY root, const char* path, const char* name, DWORD, DWORD, const BYTE*,
                       DWORD, void* context) {
    auto* check = static_cast<MenuOrderCheck*>(context);
    if (check->loweredFolders.count(LowerCopy(name)) == 0) {
        ReportKey(*check->env, root, std::string(path) + "\\" + name);
    }
}

// Task 7b: a software key with neither sub keys nor values.
void VisitSoftwareKey(HKEY root, const char* path, const char* name, DWORD, DWORD, const BYTE*,
                      DWORD, void* context) {
    std::string keyPath = std::string(path) + "\\" + name;
    UniqueRegKey key = OpenKeyForReading(root, keyPath);
    if (!key)
        return;
    DWORD subKeys = 0, values = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        subKeys + values == 0) {
        ReportKey(EnvironmentOf(context), root, keyPath);
    }
}

// Task 7c: a file type whose open command names a missing file.
void VisitFileType(HKEY root, const char* path, const char* name, DWORD, DWORD, const BYTE*, DWORD,
                   void* context) {
    if (!WildcardMatch(".*", name))
        return;
    const TaskEnvironment& env = EnvironmentOf(context);
    const std::string classes = std::string(path) + "\\";
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
    void* context = const_cast<TaskEnvironment*>(&env);

    FolderMap folders;
    ListSubfolders(ReadStringValue(HKEY_CURRENT_USER, kShellFolders, "Programs"), folders, true, 0);
    ListSubfolders(ReadStringValue(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs"), folders,
                   false, 0);
    MenuOrderCheck check{&env, {}};
    for (const auto& folder : folders)
        check.loweredFolders.insert(LowerCopy(folder.first));
    const char* const menuOrders[] = {
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu2\\Programs",
    };
    for (const char* menuOrder : menuOrders) {
        EnumSubKeys(HKEY_CURRENT_USER, menuOrder, VisitMenuOrderKey, &check, env.stop);
    }

    EnumSubKeys(HKEY_CURRENT_USER, "Software", VisitSoftwareKey, context, env.stop);
    EnumSubKeys(HKEY_LOCAL_MACHINE, "Software", VisitSoftwareKey, context, env.stop);

    EnumSubKeys(HKEY_LOCAL_MACHINE, kClasses, VisitFileType, context, env.stop);
}

// Task 8: a shared library count whose library is gone.
void VisitSharedLibrary(HKEY root, const char* path, const char* name, DWORD, DWORD type,
                        const BYTE* data, DWORD dataLength, void* context) {
    if (IsMissingPath(name)) {
        Report(EnvironmentOf(context), root, path, name, FormatValueData(type, data, dataLength),
               static_cast<int>(type));
    }
}

// Task 9: a locale entry without data.
void VisitLocale(HKEY root, const char* path, const char* name, DWORD, DWORD type, const BYTE* data,
                 DWORD dataLength, void* context) {
    if (dataLength == 0 || data == nullptr || data[0] == 0) {
        Report(EnvironmentOf(context), root, path, name, std::string(), static_cast<int>(type));
    }
}

// Task 10: every time zone but the one in use.
struct TimeZoneCheck {
    const TaskEnvironment* env;
    std::string currentStandardName;
};

std::string CurrentStandardName() {
    TIME_ZONE_INFORMATION zone = {};
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID)
        return std::string();
    char name[sizeof(zone.StandardName)] = {};
    WideCharToMultiByte(CP_ACP, 0, zone.StandardName, -1, name, sizeof(name) - 1, nullptr, nullptr);
    return name;
}

void VisitTimeZone(HKEY root, const char* path, const char* name, DWORD, DWORD, const BYTE*, DWORD,
                   void* context) {
    auto* check = static_cast<TimeZoneCheck*>(context);
    std::string zone = std::string(path) + "\\" + name;
    UniqueRegKey key = OpenKeyForReading(root, zone);
    std::string standardName;
    if (key && QueryText(key.get(), "std", kFixedBuffer, standardName) &&
        standardName != check->currentStandardName) {
        ReportKey(*check->env, root, zone, standardName);
    }
}

// Task 11: a start-up entry that names a missing file or no drive path at all.
void VisitStartupEntry(HKEY root, const char* path, const char* name, DWORD, DWORD type,
                       const BYTE* data, DWORD dataLength, void* context) {
    std::string text = DataAsText(data, dataLength);
    if (IsMissingPath(text) || !WildcardMatch("*:\\*", text.c_str())) {
        Report(EnvironmentOf(context), root, path, name, text, static_cast<int>(type));
    }
}

void RunStartupEntries(const TaskEnvironment& env) {
    const std::string base = "Software\\Microsoft\\Windows\\CurrentVersion\\";
    for (const char* name : {"Run", "RunOnce", "RunServices", "RunServicesOnce"}) {
        Walk(env, HKEY_LOCAL_MACHINE, base + name, false, VisitStartupEntry, kStringTypes);
    }
    for (const char* name : {"Run", "RunOnce"}) {
        Walk(env, HKEY_CURRENT_USER, base + name, false, VisitStartupEntry, kStringTypes);
    }
}

}  // namespace

void RunTask(int task, const TaskEnvironment& environment) {
    const TaskEnvironment& env = environment;
    void* context = const_cast<TaskEnvironment*>(&env);
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
            EnumSubKeys(HKEY_LOCAL_MACHINE, kUninstall, VisitUninstallEntry, context, env.stop);
            break;
        case 6:
            RunHistoryLists(env);
            break;
        case 7:
            RunStartMenuAndFileTypes(env);
            break;
        case 8:
            Walk(env, HKEY_LOCAL_MACHINE,
                 "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls", false,
                 VisitSharedLibrary, kAllTypes);
            break;
        case 9:
            Walk(env, HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Nls\\Locale", false,
                 VisitLocale, kStringTypes);
            break;
        case 10: {
            // Without the zone in use every zone would be listed, that one too.
            TimeZoneCheck check{&env, CurrentStandardName()};
            if (check.currentStandardName.empty())
                break;
            EnumSubKeys(HKEY_LOCAL_MACHINE, kTimeZones, VisitTimeZone, &check, env.stop);
            break;
        }
        case 11:
            RunStartupEntries(env);
            break;
        default:
            break;
    }
}
