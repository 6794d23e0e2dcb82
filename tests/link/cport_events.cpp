// Event delivery: the event thread, the hand-over to the main thread and
// stopping it, over pseudo-terminals with an executor the test pumps.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/PtyPair.h"
#include "link/CPort.h"
#include "link/MainThreadHandOver.h"

namespace {

using namespace std::chrono_literals;

// The "main thread" is the test thread: posted functions run when it pumps.
class TestExecutor : public MainThreadExecutor {
public:
    void post(std::function<void()> fn) override {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(fn));
        ++posted_;
        cv_.notify_all();
    }
    size_t posted() {
        std::lock_guard<std::mutex> lock(mutex_);
        return posted_;
    }
    // Runs posted functions until pred() holds or the deadline passes.
    template <typename Pred>
    bool pumpUntil(Pred pred, std::chrono::milliseconds deadline = 5s) {
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (!pred()) {
            std::function<void()> fn;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                if (!cv_.wait_until(lock, end, [&] { return !queue_.empty(); })) return pred();
                fn = std::move(queue_.front());
                queue_.pop_front();
            }
            fn();
        }
        return true;
    }
    // Runs whatever is queued now.
    void pumpAll() {
        for (;;) {
            std::function<void()> fn;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (queue_.empty()) return;
                fn = std::move(queue_.front());
                queue_.pop_front();
            }
            fn();
        }
    }
    // Pumps for the whole period: for checking that nothing more arrives.
    void pumpFor(std::chrono::milliseconds period) {
        pumpUntil([] { return false; }, period);
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> queue_;
    size_t posted_ = 0;
};

class CPortEvents : public ::testing::Test {
protected:
    void SetUp() override {
        SetMainThreadExecutor(&executor);
        savedHook = TCustomComPort::ShowException;
        TCustomComPort::ShowException = [this](const std::exception& e) {
            std::lock_guard<std::mutex> lock(mutex);
            shown.push_back(e.what());
        };
        port.SetPort(pty.slavePath());
        port.SetSyncMethod(smWindowSync);
    }
    void TearDown() override {
        port.Close();
        SetMainThreadExecutor(nullptr);
        TCustomComPort::ShowException = savedHook;
    }
    void record(const std::string& call) {
        std::lock_guard<std::mutex> lock(mutex);
        calls.push_back(call);
    }
    size_t callCount() {
        std::lock_guard<std::mutex> lock(mutex);
        return calls.size();
    }
    // An OnRxChar that reads everything it is told about.
    void readOnRxChar() {
        port.OnRxChar = [this](TCustomComPort* sender, int32_t count) {
            std::string bytes(static_cast<size_t>(count), '\0');
            sender->Read(bytes.data(), count);
            record("Rx" + std::to_string(count) + ":" + bytes);
        };
    }

    TestExecutor executor;
    PtyPair pty;
    TComPort port;
    std::mutex mutex;
    std::vector<std::string> calls;
    std::vector<std::string> shown;
    std::function<void(const std::exception&)> savedHook;
};

TEST_F(CPortEvents, OneRxCharPerBatchOfNewBytes) {
    port.SetEvents(TComEvents{evRxChar});
    bool readThem = false;
    port.OnRxChar = [&](TCustomComPort* sender, int32_t count) {
        std::string bytes(static_cast<size_t>(count), '\0');
        if (readThem) sender->Read(bytes.data(), count);
        record("Rx" + std::to_string(count));
    };
    port.Open();
    EXPECT_TRUE(port.HasEventThread());
    // Unread bytes are reported once, not again and again.
    pty.writeToHost("abc");
    ASSERT_TRUE(executor.pumpUntil([&] { return callCount() == 1; }));
    executor.pumpFor(200ms);
    pty.writeToHost("de");
    ASSERT_TRUE(executor.pumpUntil([&] { return callCount() == 2; }));
    executor.pumpFor(200ms);
    EXPECT_EQ(calls, (std::vector<std::string>{"Rx3", "Rx5"}));
    // Once the queue was read, fewer bytes than before are news too.
    readThem = true;
    pty.writeToHost("f");
    ASSERT_TRUE(executor.pumpUntil([&] { return callCount() == 3; }));
    pty.writeToHost("g");
    ASSERT_TRUE(executor.pumpUntil([&] { return callCount() == 4; }));
    EXPECT_EQ(calls.back(), "Rx1");
    EXPECT_TRUE(shown.empty());
}

TEST_F(CPortEvents, NoRxCharWhenTheQueueWasEmptiedBeforeTheHandOverRan) {
    port.SetEvents(TComEvents{evRxChar});
    readOnRxChar();
    port.Open();
    pty.writeToHost("xyz");
    ASSERT_TRUE(WaitUntil([&] { return executor.posted() == 1; }));
    // A command exchange on the main thread takes the bytes first.
    char buffer[8];
    ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == 3; }));
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 3);
    executor.pumpAll();
    executor.pumpFor(200ms);
    EXPECT_TRUE(calls.empty());
}

TEST_F(CPortEvents, EmptyEventsMeansNoThreadAndNoCalls) {
    port.SetEvents(TComEvents());
    readOnRxChar();
    port.OnTxEmpty = [this](TCustomComPort*) { record("TxEmpty"); };
    port.Open();
    EXPECT_FALSE(port.HasEventThread());
    pty.writeToHost("abc");
    EXPECT_EQ(port.Write("q", 1), 1);
    executor.pumpFor(200ms);
    EXPECT_EQ(executor.posted(), 0u);
    EXPECT_TRUE(calls.empty());
    port.Close();
    port.SetEvents(TComEvents{evRxChar});  // takes effect at the next opening
    port.Open();
    EXPECT_TRUE(port.HasEventThread());
}

TEST_F(CPortEvents, EventsOfOneWakeUpArriveInTheFixedOrder) {
    port.SetEvents(TComEvents{evRxChar, evTxEmpty});
    port.OnRxChar = [this](TCustomComPort*, int32_t count) { record("Rx" + std::to_string(count)); };
    port.OnTxEmpty = [this](TCustomComPort*) { record("TxEmpty"); };
    port.Open();
    pty.writeToHost("a");
    // Hold the thread in its hand-over while a write and more input happen.
    ASSERT_TRUE(WaitUntil([&] { return executor.posted() == 1; }));
    EXPECT_EQ(port.Write("x", 1), 1);
    pty.writeToHost("b");
    ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == 2; }));
    ASSERT_TRUE(executor.pumpUntil([&] { return callCount() == 3; }));
    EXPECT_EQ(calls, (std::vector<std::string>{"Rx2", "Rx2", "TxEmpty"}));
    EXPECT_EQ(pty.readFromHost(1), "x");
}

TEST_F(CPortEvents, ClosingWhileTheThreadWaitsInAHandOverEndsCleanly) {
    port.SetEvents(AllComEvents());
    readOnRxChar();
    port.OnCTSChange = [this](TCustomComPort*, bool) { record("CTS"); };
    port.Open();
    pty.writeToHost("late");
    ASSERT_TRUE(WaitUntil([&] { return executor.posted() == 1; }));
    port.Close();  // would hang if the thread could not be released
    EXPECT_FALSE(port.HasEventThread());
    calls.clear();  // the CTS reports of closing
    executor.pumpAll();
    EXPECT_TRUE(calls.empty());

    // An abandoned hand-over of an earlier opening stays silent too, even
    // with bytes waiting in the new one (which has no thread of its own).
    port.Open();
    pty.writeToHost("again");
    ASSERT_TRUE(WaitUntil([&] { return executor.posted() == 2; }));
    port.Close();
    port.SetEvents(TComEvents());
    port.Open();
    pty.writeToHost("new");
    ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == 3; }));
    calls.clear();
    executor.pumpAll();
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(shown.empty());
}

TEST_F(CPortEvents, EachSyncMethodRunsHandlersOnItsThread) {
    struct Mode {
        TSyncMethod sync;
        bool executor;
        bool onMainThread;
    };
    // Without an executor there is no main thread to hand over to.
    for (Mode mode : {Mode{smThreadSync, true, true}, Mode{smNone, true, false},
                      Mode{smWindowSync, false, false}}) {
        SetMainThreadExecutor(mode.executor ? &executor : nullptr);
        port.SetSyncMethod(mode.sync);
        port.SetEvents(TComEvents{evRxChar});
        std::thread::id handlerThread;
        port.OnRxChar = [&](TCustomComPort* sender, int32_t count) {
            std::string bytes(static_cast<size_t>(count), '\0');
            sender->Read(bytes.data(), count);
            std::lock_guard<std::mutex> lock(mutex);
            handlerThread = std::this_thread::get_id();
            calls.push_back(bytes);
        };
        calls.clear();
        const size_t postedBefore = executor.posted();
        port.Open();
        pty.writeToHost("n");
        ASSERT_TRUE(executor.pumpUntil([&] { return callCount() == 1; }));
        port.Close();
        EXPECT_EQ(handlerThread == std::this_thread::get_id(), mode.onMainThread) << mode.sync;
        EXPECT_EQ(executor.posted() > postedBefore, mode.onMainThread) << mode.sync;
        EXPECT_EQ(calls.front(), "n");
    }
}

TEST_F(CPortEvents, HandlerExceptionGoesToTheHookAndDeliveryGoesOn) {
    port.SetEvents(TComEvents{evRxChar});
    int rounds = 0;
    port.OnRxChar = [&](TCustomComPort* sender, int32_t count) {
        std::string bytes(static_cast<size_t>(count), '\0');
        sender->Read(bytes.data(), count);
        if (++rounds == 1) throw EComPort(CError_ReadFailed, 5);
        record(bytes);
    };
    port.Open();
    pty.writeToHost("1");
    ASSERT_TRUE(executor.pumpUntil([&] { return rounds == 1; }));
    pty.writeToHost("2");
    ASSERT_TRUE(executor.pumpUntil([&] { return callCount() == 1; }));
    EXPECT_EQ(shown, std::vector<std::string>{"ReadFile function failed (win error code: 5)"});
    EXPECT_EQ(calls, std::vector<std::string>{"2"});
}

TEST_F(CPortEvents, TxEmptyAfterAWriteAndRx80FullWhenTheQueueFills) {
    port.SetEvents(TComEvents{evTxEmpty, evRx80Full});
    port.Buffer().SetInputSize(100);
    port.OnTxEmpty = [this](TCustomComPort*) { record("TxEmpty"); };
    port.OnRx80Full = [this](TCustomComPort*) { record("Rx80Full"); };
    port.Open();
    executor.pumpFor(100ms);
    EXPECT_TRUE(calls.empty());  // nothing written yet
    EXPECT_EQ(port.Write("hello", 5), 5);
    ASSERT_TRUE(executor.pumpUntil([&] { return callCount() == 1; }));
    EXPECT_EQ(calls.back(), "TxEmpty");
    pty.writeToHost(std::string(50, 'a'));
    ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == 50; }));
    executor.pumpFor(150ms);
    EXPECT_EQ(callCount(), 1u);  // below 80 of 100
    pty.writeToHost(std::string(40, 'b'));
    ASSERT_TRUE(executor.pumpUntil([&] { return callCount() == 2; }));
    EXPECT_EQ(calls.back(), "Rx80Full");
}

TEST_F(CPortEvents, HungUpDeviceStillClosesAndAnotherOpens) {
    port.SetEvents(AllComEvents());
    readOnRxChar();
    auto far = std::make_unique<PtyPair>();
    port.SetPort(far->slavePath());
    port.Open();
    far.reset();  // the far end disappears, as an unplugged adapter does
    EXPECT_THROW(
        {
            for (int i = 0; i < 1000; ++i) port.Write("x", 1);
        },
        EComPort);
    port.Close();
    EXPECT_FALSE(port.Connected());
    port.SetPort(pty.slavePath());
    port.Open();
    pty.writeToHost("ok");
    ASSERT_TRUE(executor.pumpUntil([&] { return callCount() == 1; }));
    EXPECT_EQ(calls.back(), "Rx2:ok");
}

}  // namespace
