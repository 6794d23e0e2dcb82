// A serial line that plays a script in virtual time: chunks of bytes arrive
// at given moments, and every wait of the exchange advances the clock instead
// of sleeping. It stands in for the device (a PortBackend) and for the
// exchange's clock at once, so ReadResponse runs at full speed and the same
// script always gives the same result.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "link/PortBackend.h"
#include "link/TALVOR_comport.h"

class ScriptedLine : public ExchangeClock {
public:
    // `bytes` arrive `gap` after the previous chunk arrived (or after the start).
    void Add(std::chrono::microseconds gap, const std::string& bytes);

    // A backend for TCustomComPort::UseBackend; it must not outlive the line.
    std::unique_ptr<PortBackend> Backend();

    TimePoint Now() override { return now_; }
    void SleepFor(std::chrono::microseconds duration) override;

    // Every byte the host took with Read, in order, and every byte it wrote.
    const std::string& Consumed() const { return consumed_; }
    const std::string& Written() const { return written_; }
    // Bytes delivered to the input queue so far, and those discarded from it.
    uint64_t Delivered() const { return delivered_; }
    uint64_t Purged() const { return purged_; }
    // Bytes waiting in the input queue now (without advancing the clock).
    size_t Waiting() const { return queue_.size() - head_; }
    // Whether chunks are still to arrive.
    bool Pending() const { return !script_.empty(); }
    // Moves the clock on to the next chunk's arrival (as a device waiting for
    // input would), unless bytes already wait.
    void AwaitInput();

private:
    friend class ScriptedBackend;
    struct Chunk {
        TimePoint at;
        std::string bytes;
    };
    // Moves every chunk due by now into the input queue.
    void Arrive();
    void Discard();

    TimePoint now_{};
    TimePoint lastArrival_{};
    std::deque<Chunk> script_;
    std::string queue_;  // bytes before head_ have been read
    size_t head_ = 0;
    std::string consumed_;
    std::string written_;
    uint64_t delivered_ = 0;
    uint64_t purged_ = 0;
};
