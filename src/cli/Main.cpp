#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

#include "settings/ModulePath.h"
#include "text/LanguageTable.h"
#include "Cli.h"
#include "common/UniqueHandle.h"

namespace {

const char kUsage[] =
    "usage: zdv scan   [--tasks LIST] [--format tsv|json] [--quiet] [--summary]\n"
    "       zdv search KEYWORD [--keys] [--values] [--data] [--wildcard] [--full-word] [--case]\n"
    "                  [--roots LIST] [--format tsv|json] [--quiet]\n"
    "       zdv export FILE KEYPATH...\n"
    "       zdv clean  [--tasks LIST] --yes\n"
    "       zdv backups\n"
    "       zdv backup [FILE]\n"
    "       zdv restore FILE\n";

struct Command {
    const char* name;
    int (*run)(const Arguments&);
};

const Command kCommands[] = {
    {"scan", RunScanCommand},       {"search", RunSearchCommand},   {"export", RunExportCommand},
    {"clean", RunCleanCommand},     {"backups", RunBackupsCommand}, {"backup", RunBackupCommand},
    {"restore", RunRestoreCommand},
};

}  // namespace

int main(int argc, char** argv) {
    // Rows are written exactly as built, with "\n" line ends.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? kExitUsage : kExitOk;
    }
    // zdv.exe shares the program's files, so it reads the program's language file.
    Language().SetFile(LanguageFilePath(kProductName));
    ComInitialization com;

    Arguments args(argv + 2, argv + argc);
    for (const Command& command : kCommands) {
        if (std::strcmp(argv[1], command.name) == 0)
            return command.run(args);
    }
    std::fprintf(stderr, "zdv: unknown command '%s'\n", argv[1]);
    std::fputs(kUsage, stderr);
    return kExitUsage;
}
