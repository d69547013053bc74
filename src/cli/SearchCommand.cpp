#include "Cli.h"

#include <cstdio>

#include "common/AnsiText.h"
#include "search/SearchEngine.h"

namespace {

struct RootFlag {
    const char* name;
    bool SearchOptions::*flag;
};

const RootFlag kRootFlags[] = {
    {"HKCR", &SearchOptions::searchHkcr}, {"HKCU", &SearchOptions::searchHkcu},
    {"HKLM", &SearchOptions::searchHklm}, {"HKU", &SearchOptions::searchHku},
    {"HKCC", &SearchOptions::searchHkcc},
};

bool ParseRoots(const std::string& list, SearchOptions& options, std::string& bad) {
    for (const RootFlag& root : kRootFlags)
        options.*root.flag = false;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = list.find(',', start);
        std::string item = UpperCopy(list.substr(start, comma - start));
        bool known = false;
        for (const RootFlag& root : kRootFlags) {
            if (item == root.name)
                options.*root.flag = known = true;
        }
        if (!known) {
            bad = list.substr(start, comma - start);
            return false;
        }
        if (comma == std::string::npos)
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
        const std::string& arg = args[i];
        bool isOption = !optionsEnded && arg.size() > 2 && arg.compare(0, 2, "--") == 0;
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!isOption) {
            if (haveKeyword)
                return UsageError("search takes one KEYWORD; unexpected '" + arg + "'");
            options.keyword = arg;
            haveKeyword = true;
        } else if (arg == "--keys") {
            options.includeKey = true;
        } else if (arg == "--values") {
            options.includeValue = true;
        } else if (arg == "--data") {
            options.includeData = true;
        } else if (arg == "--wildcard") {
            options.useWildcard = true;
        } else if (arg == "--full-word") {
            options.fullWordMatch = true;
        } else if (arg == "--case") {
            options.caseSensitive = true;
        } else if (arg == "--quiet") {
            quiet = true;
        } else if (arg == "--roots" || arg == "--format") {
            if (i + 1 >= args.size())
                return UsageError(arg + " needs a value");
            const std::string& value = args[++i];
            std::string bad;
            if (arg == "--format" && !ParseOutputFormat(value, format)) {
                return UsageError("unknown format '" + value + "' (use tsv or json)");
            }
            if (arg == "--roots" && !ParseRoots(value, options, bad)) {
                return UsageError("unknown root key '" + bad +
                                  "' in --roots (use HKCR,HKCU,HKLM,HKU,HKCC)");
            }
        } else {
            return UsageError("unknown search option '" + arg + "'");
        }
    }
    if (!haveKeyword)
        return UsageError("search needs a KEYWORD");
    if (options.keyword.size() > kSearchKeywordLimit) {
        return UsageError("KEYWORD is longer than " + std::to_string(kSearchKeywordLimit) +
                          " bytes");
    }
    if (!options.includeKey && !options.includeValue && !options.includeData) {
        options.includeKey = options.includeValue = options.includeData = true;
    }

    StopFlag outputFailed{false};
    PrintingSink sink(format, outputFailed);
    ProgressLine progress(quiet);
    SearchStatus status;
    if (progress.enabled())
        status = [&progress](const std::string& text) { progress.Show(text); };
    SearchRun(options, sink, status, &outputFailed);
    if (outputFailed)
        return OutputFailure();
    return kExitOk;
}
