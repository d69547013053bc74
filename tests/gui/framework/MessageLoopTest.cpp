// The message loop: idle handlers, message filters and the quit code.

#include <gtest/gtest.h>

#include <windows.h>

#include "framework/MessageLoop.h"

namespace {

constexpr UINT kTaken = WM_APP + 7;
constexpr UINT kPassed = WM_APP + 8;

class CountingFilter : public MessageFilter {
  public:
    bool PreTranslateMessage(MSG& message) override {
        if (message.message == kTaken)
            ++taken;
        return message.message == kTaken;
    }
    int taken = 0;
};

class QuittingIdleHandler : public IdleHandler {
  public:
    bool OnIdle() override {
        if (++calls == 1) {
            PostThreadMessageA(GetCurrentThreadId(), kTaken, 0, 0);
            PostThreadMessageA(GetCurrentThreadId(), kPassed, 0, 0);
        } else if (calls == 2) {
            PostQuitMessage(7);
        }
        return true;
    }
    int calls = 0;
};

}  // namespace

TEST(MessageLoop, RunsIdleHandlersOffersMessagesToFiltersAndEndsWithTheQuitCode) {
    MessageLoop loop;
    CountingFilter filter;
    QuittingIdleHandler idle;
    loop.AddMessageFilter(&filter);
    loop.AddMessageFilter(&filter);  // registered once only
    loop.AddIdleHandler(&idle);
    EXPECT_EQ(loop.Run(), 7);
    EXPECT_EQ(filter.taken, 1);
    EXPECT_EQ(idle.calls, 2);
}
