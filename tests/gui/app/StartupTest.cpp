// Start-up and shutdown of the program: in-process through RunProgram, and the
// real program file as child processes.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "GuiTestSupport.h"
#include "TestSupport.h"
#include "app/Application.h"
#include "app/MainFrame.h"
#include "text/LanguageTable.h"
#include "framework/Prompt.h"

namespace {

// In-process runs use their own mutex, so they never meet a child program.
StartupOptions TestOptions() {
    StartupOptions options;
    options.mutexName = "{0D7A6C51-2E98-4B1F-9C33-7E5A21D04B86}";
    options.languageFile = ShippedLanguageFile();
    return options;
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

}  // namespace

TEST(Startup, WithoutAnXmlParserOnlyTheMessageShowsAndTheExitCodeIsZero) {
    std::vector<std::string> shown;
    MessageBoxHook previous = SetMessageBoxHook(
        [&shown](HWND owner, const std::string& text, const std::string& caption, UINT type) {
            EXPECT_EQ(owner, nullptr);
            EXPECT_EQ(type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
            shown.push_back(caption + ": " + text);
            return IDOK;
        });
    StartupOptions options = TestOptions();
    options.xmlParserAvailable = [] { return false; };
    bool windowShown = false;
    options.onShown = [&windowShown](MainFrame&) { windowShown = true; };

    EXPECT_EQ(RunProgram(GetModuleHandleA(nullptr), SW_SHOWNORMAL, options), 0);
    SetMessageBoxHook(previous);
    EXPECT_FALSE(windowShown);
    LanguageFileScope language(ShippedLanguageFile());
    EXPECT_EQ(shown, std::vector<std::string>{GetText("_ZazaDaziveveVivozed") + ": " +
                                              GetText("_NotInstallXML2")});
}

TEST(Startup, ProgramRunsAsOneCopyAndEndsWithTwoWhenClosed) {
    ChildProgram first(ProgramPath());
    ASSERT_TRUE(first.started());
    HWND window = first.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    ChildProgram second(ProgramPath());
    ASSERT_TRUE(second.started());
    EXPECT_EQ(second.WaitForExit(), 0);
    EXPECT_TRUE(IsWindow(window));

    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(first.WaitForExit(), 2);
}

TEST(Startup, RenamedProgramReadsTheLanguageFileOfItsOwnName) {
    ScratchFolder folder("ZdvRenamedProgram");
    const std::string renamed = folder.path() + "\\Renamed.tool.exe";
    ASSERT_TRUE(CopyFileA(ProgramPath().c_str(), renamed.c_str(), FALSE));
    ASSERT_TRUE(WriteLanguageFile(folder.path() + "\\Renamed.tool.language",
                                  {"_Scan=Scan from the renamed file"}));
    ASSERT_TRUE(WriteLanguageFile(folder.path() + "\\ZazaDaziveveVivozed.language",
                                  {"_Scan=Scan from the product's file"}));

    ChildProgram program(renamed);
    ASSERT_TRUE(program.started());
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    const std::vector<std::string> buttons = DescendantTexts(window, "Button");
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(program.WaitForExit(), 2);

    EXPECT_TRUE(Contains(buttons, "Scan from the renamed file"));
    EXPECT_FALSE(Contains(buttons, "Scan from the product's file"));
    // Keys the renamed file does not define show as keys.
    EXPECT_TRUE(Contains(buttons, "_Stop"));
}
