// The message loop: message filters and the quit code.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/MessageLoop.h"

namespace {

constexpr UINT kTaken = WM_APP + 7;

class CountingFilter : public MessageFilter {
  public:
    bool PreTranslateMessage(MSG& message) override {
        seen += message.message == kTaken ? L"taken;" : L"passed;";
        return message.message == kTaken;
    }
    std::wstring seen;
};

}  // namespace

TEST(MessageLoop, OffersEveryMessageToTheFiltersAndEndsWithTheQuitCode) {
    MessageLoop loop;
    CountingFilter filter;
    loop.AddMessageFilter(&filter);
    PostThreadMessageW(GetCurrentThreadId(), kTaken, 0, 0);
    PostThreadMessageW(GetCurrentThreadId(), WM_APP + 8, 0, 0);
    PostQuitMessage(7);
    EXPECT_EQ(loop.Run(), 7);
    EXPECT_EQ(filter.seen, L"taken;passed;");
}
