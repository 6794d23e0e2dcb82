// Event delivery: the event thread, the hand-over to the main thread and
// stopping it, over pseudo-terminals with an executor the test pumps.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/CPort.h"
#include "link/MainThreadHandOver.h"
#include "support/PtyPair.h"

namespace {

using namespace std::chrono_literals;
using Calls = std::vector<std::string>;

// The "main thread" is the test thread: posted functions run when it pumps.
class TestExecutor : public MainThreadExecutor {
public:
    void post(std::function<void()> fn) override {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(fn));
        ++posted_;
    }
    size_t posted() {
        std::lock_guard<std::mutex> lock(mutex_);
        return posted_;
    }
    // Runs what is queued now; what that posts waits for the next call.
    void pump() {
        std::deque<std::function<void()>> batch;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            batch.swap(queue_);
        }
        for (auto& fn : batch) fn();
    }
    // Pumps until pred() holds or the deadline passes.
    template <typename Pred>
    bool pumpUntil(Pred pred, std::chrono::milliseconds deadline = 5s) {
        return WaitUntil(
            [&] {
                pump();
                return pred();
            },
            deadline);
    }
    // Pumps for the whole period, to check that nothing more arrives.
    void pumpFor(std::chrono::milliseconds period) {
        pumpUntil([] { return false; }, period);
    }

private:
    std::mutex mutex_;
    std::deque<std::function<void()>> queue_;
    size_t posted_ = 0;
};

std::string ReadSome(TCustomComPort* port, int32_t count) {
    std::string bytes(static_cast<size_t>(count), '\0');
    bytes.resize(static_cast<size_t>(port->Read(bytes.data(), count)));
    return bytes;
}

// Under smWindowSync with an executor every handler, and the exception hook,
// runs on the test thread: the records need no lock.
class CPortEvents : public ::testing::Test {
protected:
    void SetUp() override {
        SetMainThreadExecutor(&executor);
        savedHook = TCustomComPort::ShowException;
        TCustomComPort::ShowException = [this](const std::exception& e) {
            shown.push_back(e.what());
        };
        port.SetPort(pty.slavePath());
        port.SetSyncMethod(smWindowSync);
        port.OnRxChar = [this](TCustomComPort* p, int32_t n) {
            calls.push_back("Rx" + ReadSome(p, n));
        };
    }
    void TearDown() override {
        port.Close();
        SetMainThreadExecutor(nullptr);
        TCustomComPort::ShowException = savedHook;
    }
    bool pumpUntilCalls(size_t count) {
        return executor.pumpUntil([&] { return calls.size() == count; });
    }

    TestExecutor executor;
    PtyPair pty;
    TComPort port;
    Calls calls, shown;
    std::function<void(const std::exception&)> savedHook;
};

TEST_F(CPortEvents, RxCharReportsEachBatchOfNewBytesOnce) {
    port.SetEvents(TComEvents{evRxChar});
    std::string got;
    bool reading = false;
    auto readDelay = 0ms;
    port.OnRxChar = [&](TCustomComPort* p, int32_t n) {
        calls.push_back("Rx" + std::to_string(n));
        if (!reading) return;
        std::this_thread::sleep_for(readDelay);
        got += ReadSome(p, std::min(n, 5));  // one five-byte frame
    };
    port.Open();
    EXPECT_TRUE(port.HasEventThread());
    // Unread bytes are reported once, not again and again.
    pty.writeToHost("abc");
    ASSERT_TRUE(pumpUntilCalls(1));
    executor.pumpFor(200ms);
    pty.writeToHost("de");
    ASSERT_TRUE(pumpUntilCalls(2));
    executor.pumpFor(200ms);
    EXPECT_EQ(calls, (Calls{"Rx3", "Rx5"}));

    // In a burst, the bytes behind the frame a handler took are news at once:
    // the thread's 50 ms sampling alone would need two seconds for 40 frames.
    // A handler reads before the thread is back to sleep, or after.
    reading = true;
    got = ReadSome(&port, 5);
    for (const auto delay : {0ms, 3ms}) {
        readDelay = delay;
        got.clear();
        std::string burst;
        for (char c = 'F'; c < 'F' + 40; ++c) burst += std::string(5, c);
        pty.writeToHost(burst);
        ASSERT_TRUE(executor.pumpUntil([&] { return got.size() == burst.size(); }, 1s))
            << got.size() << " bytes after a read delay of " << delay.count() << " ms";
        EXPECT_EQ(got, burst);
    }
}

TEST_F(CPortEvents, NoRxCharWhenTheQueueWasEmptiedBeforeTheHandOverRan) {
    port.SetEvents(TComEvents{evRxChar});
    port.Open();
    pty.writeToHost("xyz");
    ASSERT_TRUE(WaitUntil([&] { return executor.posted() == 1 && port.InputCount() == 3; }));
    // A command exchange on the main thread takes the bytes first.
    EXPECT_EQ(ReadSome(&port, 8), "xyz");
    executor.pumpFor(200ms);
    EXPECT_TRUE(calls.empty());
}

TEST_F(CPortEvents, EventsOfOneWakeUpArriveInTheFixedOrder) {
    port.SetEvents(TComEvents{evRxChar, evTxEmpty, evRx80Full});
    port.Buffer().SetInputSize(4);  // Rx80Full at three bytes
    port.OnRxChar = [this](TCustomComPort*, int32_t count) {
        calls.push_back("Rx" + std::to_string(count));
    };
    port.OnTxEmpty = [this](TCustomComPort*) { calls.push_back("TxEmpty"); };
    port.OnRx80Full = [this](TCustomComPort*) { calls.push_back("Rx80Full"); };
    port.Open();
    pty.writeToHost("a");
    // Hold the thread in its hand-over while a write and more input happen.
    ASSERT_TRUE(WaitUntil([&] { return executor.posted() == 1; }));
    EXPECT_EQ(port.Write("x", 1), 1);
    pty.writeToHost("bc");
    ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == 3; }));
    ASSERT_TRUE(pumpUntilCalls(4));
    EXPECT_EQ(calls, (Calls{"Rx3", "Rx3", "TxEmpty", "Rx80Full"}));
    EXPECT_EQ(pty.readFromHost(1), "x");
}

TEST_F(CPortEvents, ClosingWhileTheThreadWaitsInAHandOverEndsCleanly) {
    port.SetEvents(AllComEvents());
    port.OnTxEmpty = [this](TCustomComPort*) { calls.push_back("TxEmpty"); };
    port.Open();
    pty.writeToHost("late");
    ASSERT_TRUE(WaitUntil([&] { return executor.posted() == 1; }));
    port.Close();  // would hang if the thread could not be released
    EXPECT_FALSE(port.HasEventThread());
    executor.pump();
    EXPECT_TRUE(calls.empty());

    // An abandoned hand-over of an earlier opening stays silent too, even
    // with bytes waiting in the new one, and empty Events make no thread.
    port.Open();
    pty.writeToHost("again");
    ASSERT_TRUE(WaitUntil([&] { return executor.posted() == 2; }));
    port.Close();
    port.SetEvents(TComEvents());
    port.Open();
    EXPECT_FALSE(port.HasEventThread());
    pty.writeToHost("new");
    EXPECT_EQ(port.Write("q", 1), 1);
    ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == 3; }));
    executor.pumpFor(200ms);
    EXPECT_EQ(executor.posted(), 2u);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(shown.empty());
}

TEST_F(CPortEvents, HandlerExceptionGoesToTheHookAndDeliveryGoesOn) {
    port.SetEvents(TComEvents{evRxChar});
    port.OnRxChar = [this](TCustomComPort* p, int32_t n) {
        calls.push_back(ReadSome(p, n));
        if (calls.size() == 1) throw EComPort(CError_ReadFailed, 5);
    };
    port.Open();
    pty.writeToHost("1");
    ASSERT_TRUE(pumpUntilCalls(1));
    pty.writeToHost("2");
    ASSERT_TRUE(pumpUntilCalls(2));
    EXPECT_EQ(shown, Calls{"ReadFile function failed (win error code: 5)"});
}

TEST_F(CPortEvents, HangUpIsReportedOnceOnTheMainThreadAndEndsTheEventThread) {
    port.SetEvents(AllComEvents());
    auto far = std::make_unique<PtyPair>();
    port.SetPort(far->slavePath());
    port.OnDeviceLost = [this](TCustomComPort* p) {
        calls.push_back(p->Connected() ? "lost while open" : "lost after closing");
    };
    port.Open();
    far.reset();
    ASSERT_TRUE(pumpUntilCalls(1));
    ASSERT_TRUE(WaitUntil([&] { return !port.HasEventThread(); }));
    // Nothing more is handed over: no events from a device that is gone.
    const size_t posted = executor.posted();
    executor.pumpFor(300ms);
    EXPECT_EQ(executor.posted(), posted);
    EXPECT_EQ(calls, Calls{"lost while open"});
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(port.Connected());               // closing is left to the owner
    EXPECT_THROW(port.Write("x", 1), EComPort);  // nothing is lost silently
    port.Close();
    EXPECT_FALSE(port.Connected());
}

}  // namespace
