// The event thread of the serial port component: waits for line events of
// the open device and hands each one to the main thread, where it becomes a
// call of the matching handler slot.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "link/ComTypes.h"

class MainThreadExecutor;
class PortBackend;
class TCustomComPort;

// Shared by a port and the hand-overs it has posted, so that one which runs
// after its port was closed, reopened or destroyed can tell and do nothing.
// Both fields are touched on the main thread only.
struct ComPortLink {
    TCustomComPort* port = nullptr;
    uint64_t generation = 0;  // changes at every opening and closing
};

class TComThread {
public:
    // Gives the device the event mask and starts waiting. `rx80Threshold` is
    // the queue count that counts as 80 % full.
    TComThread(TCustomComPort* port, PortBackend& backend, TComEvents events, TSyncMethod sync,
               int32_t rx80Threshold, std::shared_ptr<ComPortLink> link);
    ~TComThread();
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    // Ends the wait, releases a hand-over in progress and joins the thread.
    // Never waits for the main thread, so the main thread may call it.
    void Stop();

    // False once the thread has left its loop: stopped, or the device went away.
    bool Running() const { return running_; }

    // A call of the port's handlers that one event (or the loss of the device)
    // stands for.
    using Notification = std::function<void(TCustomComPort*)>;
    // Runs a notification on the calling thread; an exception goes to
    // TCustomComPort::ShowException and stops there.
    static void RunGuarded(TCustomComPort* port, const Notification& notification);

private:
    struct Ticket;
    void Execute();
    void Deliver(const Notification& notification);
    void HandOver(MainThreadExecutor& executor, Notification notification, bool untilDone);

    TCustomComPort* port_;
    PortBackend& backend_;
    TSyncMethod sync_;
    std::shared_ptr<ComPortLink> link_;
    uint64_t generation_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> running_{true};
    std::mutex mutex_;
    std::shared_ptr<Ticket> current_;  // the hand-over being waited for, under mutex_
    std::thread thread_;
};
