#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <thread>

#include "win/MessageLoopWait.h"
#include "win/UniqueHandle.h"

namespace velmora {
namespace {

WaitHandle waitHandleOf(const UniqueHandle& handle) {
    return WaitHandle{reinterpret_cast<WaitHandle::Native>(handle.get())};
}

UniqueHandle makeEvent() {
    return UniqueHandle(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

double cpuSecondsOfThisProcess() {
    FILETIME created{}, exited{}, kernel{}, user{};
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

HANDLE timerSignals = nullptr;
int timerTicks = 0;

void CALLBACK countAndSignalOnThirdTick(HWND, UINT, UINT_PTR, DWORD) {
    if (++timerTicks == 3) {
        ::SetEvent(timerSignals);
    }
}

// The timer's callback only runs when its WM_TIMER is dispatched: the wait must serve the
// queue, and sleep in between.
TEST(MessageLoopWaitTest, ServesTheMessagesWhileItSleepsUntilTheHandleIsSignalled) {
    const UniqueHandle event = makeEvent();
    timerSignals = event.get();
    timerTicks = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, countAndSignalOnThirdTick);
    ASSERT_NE(timer, 0U);
    const double cpuBefore = cpuSecondsOfThisProcess();
    const auto wallBefore = std::chrono::steady_clock::now();

    // Should the queue not be served, this ends the wait so that the test fails, not hangs.
    const UniqueHandle waitEnded = makeEvent();
    std::thread watchdog([&] {
        if (::WaitForSingleObject(waitEnded.get(), 3000) == WAIT_TIMEOUT) {
            ::SetEvent(event.get());
        }
    });
    MessageLoopWait events;
    EXPECT_EQ(events.waitFor(waitHandleOf(event)), WaitOutcome::Ready);
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wallBefore;
    ::SetEvent(waitEnded.get());
    watchdog.join();
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(timerTicks, 3);
    EXPECT_GE(wall.count(), 0.25);
    EXPECT_LT(wall.count(), 2.0);
    EXPECT_LT(cpuSecondsOfThisProcess() - cpuBefore, 0.1);
}

TEST(MessageLoopWaitTest, AnEndRequestOrAQuitMessageEndsTheWaitWithQuit) {
    const UniqueHandle never = makeEvent();
    const UniqueHandle endRequest = makeEvent();
    MessageLoopWait events(waitHandleOf(endRequest));

    std::thread requester([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ::SetEvent(endRequest.get());
    });
    EXPECT_EQ(events.waitFor(waitHandleOf(never)), WaitOutcome::Quit);
    requester.join();
    // A request that stays signalled ends every later wait, also one whose handle is ready.
    const UniqueHandle ready = makeEvent();
    ::SetEvent(ready.get());
    EXPECT_EQ(events.waitFor(waitHandleOf(ready)), WaitOutcome::Quit);

    // WM_QUIT is put back for the outer loop, with its exit code.
    MessageLoopWait withoutRequests;
    ::PostQuitMessage(7);
    EXPECT_EQ(withoutRequests.waitFor(waitHandleOf(never)), WaitOutcome::Quit);
    MSG message{};
    ASSERT_TRUE(::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 7U);
}

TEST(MessageLoopWaitTest, AHandleThatCannotBeWaitedOnFailsWithItsReason) {
    MessageLoopWait events;
    EXPECT_EQ(events.waitFor(WaitHandle{}), WaitOutcome::Failed);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    HANDLE closed = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ::CloseHandle(closed);
    EXPECT_EQ(events.waitFor(WaitHandle{reinterpret_cast<WaitHandle::Native>(closed)}),
              WaitOutcome::Failed);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
}  // namespace velmora
