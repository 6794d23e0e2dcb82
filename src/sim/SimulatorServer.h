// Serves a SimulatedModule on a pseudo-terminal pair from its own thread.
// The host opens devicePath(), a symbolic link to the pseudo-terminal in a
// temporary folder of its own, like any serial device. Unplugging hangs the
// pseudo-terminal up and removes the link, as pulling a USB adapter removes its
// device; plugging in serves a new pseudo-terminal under the same link.
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

    // Creates the folder, the pseudo-terminal and the link, and starts serving.
    void start();
    // Unplugs, then removes the folder.
    void stop();
    // The device the host opens; the same path for the whole run.
    std::string devicePath() const;

    // The module keeps its state while unplugged; what it would have sent
    // meanwhile is lost.
    void unplug();
    void plugIn();
    bool pluggedIn() const;

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
    // Bytes the terminal would not take because its buffer was full: the
    // host read too late, and they are lost as on a real line.
    uint64_t refusedOutputBytes() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
