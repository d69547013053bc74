// Start-up and shutdown of the program: in-process through RunProgram, and the
// real program file as child processes.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "GuiTestSupport.h"
#include "TestSupport.h"
#include "app/Application.h"
#include "app/MainFrame.h"
#include "text/LanguageTable.h"
#include "framework/Prompt.h"

TEST(Startup, WithoutAnXmlParserOnlyTheMessageShowsAndTheExitCodeIsZero) {
    std::vector<std::wstring> shown;
    MessageBoxHook previous = SetMessageBoxHook(
        [&shown](HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
            EXPECT_EQ(owner, nullptr);
            EXPECT_EQ(type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
            shown.push_back(caption + L": " + text);
            return IDOK;
        });
    StartupOptions options;
    // Its own mutex, so the run never meets a child program.
    options.mutexName = L"{0D7A6C51-2E98-4B1F-9C33-7E5A21D04B86}";
    options.languageFile = ShippedLanguageFile();
    options.xmlParserAvailable = [] { return false; };
    bool windowShown = false;
    options.onShown = [&windowShown](MainFrame&) { windowShown = true; };

    // On a thread of its own, to see that the early exit leaves COM as it found it.
    int exitCode = -1;
    HRESULT comAfterwards = E_FAIL;
    std::thread([&] {
        exitCode = RunProgram(GetModuleHandleW(nullptr), SW_SHOWNORMAL, options);
        comAfterwards = CoInitialize(nullptr);
        CoUninitialize();
    }).join();
    SetMessageBoxHook(previous);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(comAfterwards, S_OK);  // S_FALSE: the run left COM initialised
    EXPECT_FALSE(windowShown);
    LanguageFileScope language(ShippedLanguageFile());
    EXPECT_EQ(shown, std::vector<std::wstring>{GetText(L"_ZazaDaziveveVivozed") + L": " +
                                               GetText(L"_NotInstallXML2")});
}

// Closing the program, which ends it with 2, the road test shows.
TEST(Startup, ProgramRunsAsOneCopy) {
    ChildProgram first(ProgramPath());
    HWND window = first.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ChildProgram(ProgramPath()).WaitForExit(), 0);
    EXPECT_TRUE(IsWindow(window));
}
