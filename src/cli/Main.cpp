#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "settings/ModulePath.h"
#include "text/LanguageTable.h"
#include "Cli.h"
#include "common/DllSearch.h"
#include "common/UniqueHandle.h"

namespace {

const wchar_t kUsage[] =
    L"usage: zdv scan   [--tasks LIST] [--format tsv|json] [--problem] [--unfiltered] [--quiet]\n"
    L"                  [--summary]\n"
    L"       zdv search KEYWORD [--keys] [--values] [--data] [--wildcard] [--full-word] [--case]\n"
    L"                  [--roots LIST] [--format tsv|json] [--quiet]\n"
    L"       zdv export FILE KEYPATH...\n"
    L"       zdv clean  [--tasks LIST] [--unfiltered] --yes\n"
    L"       zdv backups\n"
    L"       zdv backup [FILE]\n"
    L"       zdv restore FILE\n";

struct Command {
    const wchar_t* name;
    int (*run)(const Arguments&);
};

const Command kCommands[] = {
    {L"scan", RunScanCommand},       {L"search", RunSearchCommand},   {L"export", RunExportCommand},
    {L"clean", RunCleanCommand},     {L"backups", RunBackupsCommand}, {L"backup", RunBackupCommand},
    {L"restore", RunRestoreCommand},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    RestrictDllSearch();
    // Text is written exactly as built: UTF-8 bytes with "\n" line ends.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const std::wstring command = argc >= 2 ? argv[1] : L"";
    if (argc < 2 || command == L"--help" || command == L"-h") {
        WriteText(argc < 2 ? Stream::Error : Stream::Out, kUsage);
        return argc < 2 ? kExitUsage : kExitOk;
    }
    // zdv.exe shares the program's files, so it reads the program's language file.
    Language().SetFile(LanguageFilePath(kProductName));
    ComInitialization com;

    Arguments args(argv + 2, argv + argc);
    for (const Command& entry : kCommands) {
        if (command == entry.name)
            return entry.run(args);
    }
    WriteText(Stream::Error, L"zdv: unknown command '" + command + L"'\n" + kUsage);
    return kExitUsage;
}
