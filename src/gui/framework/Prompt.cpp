#include "framework/Prompt.h"

#include "text/LanguageTable.h"

namespace {

MessageBoxHook& CurrentHook() {
    static MessageBoxHook hook;
    return hook;
}

}  // namespace

int ShowMessage(HWND owner, const std::wstring& text, UINT type) {
    const std::wstring caption = GetText(L"_ZazaDaziveveVivozed");
    if (CurrentHook())
        return CurrentHook()(owner, text, caption, type);
    return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

bool AskYesNo(HWND owner, const std::wstring& text) {
    return ShowMessage(owner, text, MB_YESNO | MB_ICONINFORMATION) == IDYES;
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
    MessageBoxHook previous = std::move(CurrentHook());
    CurrentHook() = std::move(hook);
    return previous;
}
