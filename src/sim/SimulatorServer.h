// Serves a SimulatedModule on a pseudo-terminal pair from its own thread.
// The host opens devicePath() like any serial device.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/SimulatedModule.h"

class SimulatorServer {
public:
    SimulatorServer();
    ~SimulatorServer();  // stops serving
    SimulatorServer(const SimulatorServer&) = delete;
    SimulatorServer& operator=(const SimulatorServer&) = delete;

    // Creates the pseudo-terminal and starts the serving thread.
    void start();
    void stop();
    // The device the host opens (a stable symbolic link or the pty's slave path).
    std::string devicePath() const;

    // Runs fn with the module locked against the serving thread: the way to
    // configure the tag, the input level, faults, the calibration set...
    void withModule(const std::function<void(SimulatedModule&)>& fn);
    // Every frame the module received so far (whole frames, checksum included).
    std::vector<std::vector<uint8_t>> receivedFrames();
    void clearReceivedFrames();
    // Power cycle: like a Reset it hears, puts a pending baud rate into effect.
    void powerCycle();

    // Bytes the host sent at another rate than the module's (heard as noise),
    // and bytes the module sent while the host listened at another rate.
    uint64_t ignoredInputBytes() const;
    uint64_t droppedOutputBytes() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
