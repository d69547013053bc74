#include "framework/ShellOpen.h"

#include <shellapi.h>

namespace {

ShellOpener& CurrentOpener() {
    static ShellOpener opener;
    return opener;
}

}  // namespace

bool OpenInShell(HWND owner, const std::wstring& target) {
    if (CurrentOpener())
        return CurrentOpener()(owner, target);
    HINSTANCE result =
        ShellExecuteW(owner, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

ShellOpener SetShellOpener(ShellOpener opener) {
    ShellOpener previous = std::move(CurrentOpener());
    CurrentOpener() = std::move(opener);
    return previous;
}
