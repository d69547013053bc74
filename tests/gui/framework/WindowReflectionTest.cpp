// Notifications and commands a dialog receives from a control that an object
// owns go back to that control.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "GuiTestSupport.h"
#include "TestSupport.h"
#include "app/AboutDialog.h"
#include "resource.h"
#include "framework/Window.h"

namespace {

class RecordingControl : public Window {
  public:
    UINT lastCode = 0;
    int reflectedCommands = 0;

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kReflectedNotify) {
            lastCode = reinterpret_cast<NMHDR*>(lParam)->code;
            return 42;
        }
        if (message == kReflectedCommand)
            ++reflectedCommands;
        return Window::OnMessage(message, wParam, lParam);
    }
};

}  // namespace

TEST(WindowReflection, DialogSendsAControlsNotificationsBackToItsObject) {
    LanguageFileScope language(ShippedLanguageFile());
    CoInitialize(nullptr);
    AboutDialog about;
    ASSERT_NE(about.Create(nullptr), nullptr);
    RecordingControl control;
    HWND thanks = about.Item(IDC_THANKS_LIST);
    ASSERT_TRUE(control.Subclass(thanks));
    EXPECT_EQ(Window::FromHandle(thanks), &control);
    EXPECT_FALSE(RecordingControl().Subclass(thanks)) << "one object per window";

    NMHDR header = {thanks, IDC_THANKS_LIST, NM_RCLICK};
    SendMessageA(about.hwnd(), WM_NOTIFY, IDC_THANKS_LIST, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(control.lastCode, static_cast<UINT>(NM_RCLICK));
    EXPECT_EQ(GetWindowLongPtrA(about.hwnd(), DWLP_MSGRESULT), 42);

    SendMessageA(about.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_THANKS_LIST, EN_CHANGE),
                 reinterpret_cast<LPARAM>(thanks));
    EXPECT_EQ(control.reflectedCommands, 1);

    // The control keeps working as an edit, and is given back when the object goes.
    SetWindowTextA(thanks, "still an edit");
    EXPECT_EQ(WindowText(thanks), "still an edit");
    control.Unsubclass();
    EXPECT_EQ(Window::FromHandle(thanks), nullptr);
    about.Destroy();
    CoUninitialize();
}
