#include "cleaner/Problem.h"

#include "text/FormatText.h"
#include "text/LanguageTable.h"

std::wstring ProblemText(Problem problem, const std::wstring& argument) {
    // In the order of Problem; the reasons that name a path or name carry "%s".
    static const wchar_t* const keys[kProblemCount] = {
        nullptr,
        L"_ProblemFileNotFound",
        L"_ProblemClassServerNotFound",
        L"_ProblemOpenCommandNotFound",
        L"_ProblemEmptyKey",
        L"_ProblemUninstallWithoutValues",
        L"_ProblemUninstallProgramNotFound",
        L"_ProblemMenuOrderFolderGone",
        L"_ProblemHistoryEntry",
        L"_ProblemSharedLibraryMissing",
        L"_ProblemEmptyLocale",
        L"_ProblemTimeZoneNotInUse",
        L"_ProblemStartupWithoutFullPath",
    };
    const auto index = static_cast<std::size_t>(problem);
    if (index >= kProblemCount || keys[index] == nullptr)
        return std::wstring();
    const std::wstring text = GetText(keys[index]);
    return argument.empty() ? text : FormatPath(text, argument);
}
