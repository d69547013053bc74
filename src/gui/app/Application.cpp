#include "app/Application.h"

#include <commctrl.h>

#include "app/MainFrame.h"
#include "settings/ModulePath.h"
#include "app/SkinLayer.h"
#include "settings/ConfigStore.h"
#include "text/LanguageTable.h"
#include "common/UniqueHandle.h"
#include "framework/MessageLoop.h"
#include "framework/Prompt.h"
#include "work/Worker.h"

int RunMainWindow(int showCommand, const std::function<void(MainFrame&)>& onShown) {
    MessageLoop loop;
    Module().AddMessageLoop(&loop);
    int result = kExitEarly;
    {
        MainFrame frame;
        if (frame.Create(nullptr)) {
            ShowWindow(frame.hwnd(), showCommand);
            if (onShown)
                onShown(frame);
            result = loop.Run();
        }
    }
    // A scan or a search stopped with its page may still be ending; the
    // process ends only after it (its messages to windows gone fail at once).
    Worker::WaitForAll();
    Module().RemoveMessageLoop();
    return result;
}

int RunProgram(HINSTANCE instance, int showCommand, const StartupOptions& options) {
    UniqueKernelHandle mutex(CreateMutexW(nullptr, FALSE, options.mutexName.c_str()));
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS)
        return kExitEarly;

    // COM for this thread until the run returns, on every way out; it goes
    // before the mutex is let go. The early exit after the parser test leaves
    // the skin layer to the end of the process.
    ComInitialization com;
    SkinStart(instance, kProductName);
    const std::wstring baseName = ModuleBaseName(nullptr, Extension::Drop);
    SkinLoadFile(ModuleFolder(nullptr) + L"\\" + baseName + L".smf");
    Language().SetFile(options.languageFile.empty() ? LanguageFilePath(baseName)
                                                    : options.languageFile);

    const bool parser =
        options.xmlParserAvailable ? options.xmlParserAvailable() : XmlParserAvailable();
    if (!parser) {
        ShowMessage(nullptr, GetText(L"_NotInstallXML2"), MB_ICONINFORMATION | MB_OK);
        return kExitEarly;
    }

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&controls);
    Module().Init(instance);

    const int result = RunMainWindow(showCommand, options.onShown);

    Module().Term();
    SkinShutdown();
    return result;
}
