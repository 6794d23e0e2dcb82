#include "link/ComThread.h"

#include <condition_variable>

#include "link/CPort.h"
#include "link/MainThreadHandOver.h"
#include "link/PortBackend.h"

// One posted event. It outlives the thread when the thread gave up waiting
// for it, hence its own lock.
struct TComThread::Ticket {
    std::mutex mutex;
    std::condition_variable cv;
    bool taken = false;
    bool done = false;
    bool cancelled = false;
};

TComThread::TComThread(TCustomComPort* port, PortBackend& backend, TComEvents events,
                       TSyncMethod sync, int32_t rx80Threshold, std::shared_ptr<ComPortLink> link)
    : port_(port),
      backend_(backend),
      sync_(sync),
      link_(std::move(link)),
      generation_(link_->generation) {
    backend_.eventsBegin(EventsToMask(events), rx80Threshold);
    thread_ = std::thread([this] { Execute(); });
}

TComThread::~TComThread() { Stop(); }

void TComThread::Stop() {
    stopping_ = true;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (current_) {
            std::lock_guard<std::mutex> ticketLock(current_->mutex);
            current_->cancelled = true;
            current_->cv.notify_all();
        }
    }
    backend_.wakeEvents();
    if (thread_.joinable()) thread_.join();
}

void TComThread::Execute() {
    uint32_t bits = 0;
    for (;;) {
        const EventWait result = backend_.waitEvents(bits);
        if (stopping_ || result == EventWait::Stopped) break;
        if (result == EventWait::DeviceGone) {
            // Once: nothing more will come from this device, so the thread ends.
            Deliver([](TCustomComPort* port) { port->DoDeviceLost(); });
            break;
        }
        const TComEvents events = EventsFromMask(bits);
        for (TComEvent event : kEventDeliveryOrder) {
            if (stopping_) break;
            if (events.contains(event))
                Deliver([event](TCustomComPort* port) { port->CallNotification(event); });
        }
    }
    backend_.eventsEnd();
    running_ = false;
}

void TComThread::Deliver(const Notification& notification) {
    MainThreadExecutor* executor = GetMainThreadExecutor();
    // Without an executor there is no main thread to hand over to: the
    // notifications run here, as under smNone.
    if (sync_ == smNone || executor == nullptr) {
        RunGuarded(port_, notification);
        return;
    }
    HandOver(*executor, notification, sync_ == smThreadSync);
}

void TComThread::HandOver(MainThreadExecutor& executor, Notification notification, bool untilDone) {
    auto ticket = std::make_shared<Ticket>();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) return;
        current_ = ticket;
    }
    executor.post(
        [ticket, link = link_, generation = generation_, notification = std::move(notification)] {
            {
                std::lock_guard<std::mutex> lock(ticket->mutex);
                ticket->taken = true;
            }
            ticket->cv.notify_all();
            TCustomComPort* port = link->port;
            if (port != nullptr && link->generation == generation && port->Connected())
                RunGuarded(port, notification);
            {
                std::lock_guard<std::mutex> lock(ticket->mutex);
                ticket->done = true;
            }
            ticket->cv.notify_all();
        });
    {
        std::unique_lock<std::mutex> lock(ticket->mutex);
        ticket->cv.wait(lock, [&] {
            return ticket->cancelled || (untilDone ? ticket->done : ticket->taken);
        });
    }
    std::lock_guard<std::mutex> lock(mutex_);
    current_.reset();
}

void TComThread::RunGuarded(TCustomComPort* port, const Notification& notification) {
    try {
        notification(port);
    } catch (const std::exception& e) {
        if (TCustomComPort::ShowException) TCustomComPort::ShowException(e);
    } catch (...) {
    }
}
