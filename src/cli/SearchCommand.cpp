#include "Cli.h"

#include "common/Text.h"
#include "search/SearchEngine.h"
#include "text/FormatText.h"
#include "text/LanguageTable.h"

namespace {

struct RootFlag {
    const wchar_t* name;
    bool SearchOptions::*flag;
};

const RootFlag kRootFlags[] = {
    {L"HKCR", &SearchOptions::searchHkcr}, {L"HKCU", &SearchOptions::searchHkcu},
    {L"HKLM", &SearchOptions::searchHklm}, {L"HKU", &SearchOptions::searchHku},
    {L"HKCC", &SearchOptions::searchHkcc},
};

bool ParseRoots(const std::wstring& list, SearchOptions& options, std::wstring& bad) {
    for (const RootFlag& root : kRootFlags)
        options.*root.flag = false;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = list.find(L',', start);
        const std::wstring item = list.substr(start, comma - start);
        bool known = false;
        for (const RootFlag& root : kRootFlags) {
            if (EqualsIgnoringCase(item, root.name))
                options.*root.flag = known = true;
        }
        if (!known) {
            bad = list.substr(start, comma - start);
            return false;
        }
        if (comma == std::wstring::npos)
            return true;
        start = comma + 1;
    }
}

}  // namespace

int RunSearchCommand(const Arguments& args) {
    SearchOptions options;
    for (const RootFlag& root : kRootFlags)
        options.*root.flag = true;
    OutputFormat format = OutputFormat::Tsv;
    bool quiet = false;
    bool haveKeyword = false;
    bool optionsEnded = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        bool isOption = !optionsEnded && arg.size() > 2 && arg.compare(0, 2, L"--") == 0;
        if (!optionsEnded && arg == L"--") {
            optionsEnded = true;
        } else if (!isOption) {
            if (haveKeyword)
                return UsageError(L"search takes one KEYWORD; unexpected '" + arg + L"'");
            options.keyword = arg;
            haveKeyword = true;
        } else if (arg == L"--keys") {
            options.includeKey = true;
        } else if (arg == L"--values") {
            options.includeValue = true;
        } else if (arg == L"--data") {
            options.includeData = true;
        } else if (arg == L"--wildcard") {
            options.useWildcard = true;
        } else if (arg == L"--full-word") {
            options.fullWordMatch = true;
        } else if (arg == L"--case") {
            options.caseSensitive = true;
        } else if (arg == L"--quiet") {
            quiet = true;
        } else if (arg == L"--roots" || arg == L"--format") {
            if (i + 1 >= args.size())
                return UsageError(arg + L" needs a value");
            const std::wstring& value = args[++i];
            std::wstring bad;
            if (arg == L"--format" && !ParseOutputFormat(value, format))
                return UsageError(L"unknown format '" + value + L"' (use tsv or json)");
            if (arg == L"--roots" && !ParseRoots(value, options, bad)) {
                return UsageError(L"unknown root key '" + bad +
                                  L"' in --roots (use HKCR,HKCU,HKLM,HKU,HKCC)");
            }
        } else {
            return UsageError(L"unknown search option '" + arg + L"'");
        }
    }
    if (!haveKeyword)
        return UsageError(L"search needs a KEYWORD");
    if (options.keyword.size() > kSearchKeywordLimit) {
        return UsageError(L"KEYWORD is longer than " + std::to_wstring(kSearchKeywordLimit) +
                          L" characters");
    }
    if (!options.includeKey && !options.includeValue && !options.includeData) {
        options.includeKey = options.includeValue = options.includeData = true;
    }

    options.keyRowText = GetText(L"_PageRegistrySearchKeyFlagString");

    StopFlag outputFailed{false};
    PrintingSink sink(format, outputFailed);
    ProgressLine line(quiet);
    SearchProgress progress;
    const std::wstring walking = GetText(L"_PageRegistrySearchState2");
    ULONGLONG shownAt = 0;
    if (line.enabled()) {
        progress = [&](const std::wstring& keyPath) {
            // At most ten times a second: a console write per key would slow it down.
            const ULONGLONG now = GetTickCount64();
            if (shownAt == 0 || now - shownAt >= 100) {
                line.Show(FormatPath(walking, keyPath));
                shownAt = now;
            }
        };
    }
    SearchRun(options, sink, progress, &outputFailed);
    if (outputFailed)
        return OutputFailure();
    return kExitOk;
}
