// A pseudo-terminal pair for link tests: the component opens the slave path as
// its serial device, the test plays the far end on the master.
#pragma once

#include <chrono>
#include <ctime>
#include <string>

class PtyPair {
public:
    PtyPair();  // throws std::runtime_error when no pair can be made
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    // What the host wrote, until `count` bytes came or the deadline passed.
    std::string readFromHost(size_t count,
                             std::chrono::milliseconds deadline = std::chrono::seconds(5));
    void writeToHost(const std::string& bytes);

    // Line speed of the slave side in bit/s, read through the master.
    int slaveSpeed() const;

private:
    int master_ = -1;
    std::string slavePath_;
};

// Waits until pred() holds or the deadline passes; returns pred()'s last value.
template <typename Pred>
bool WaitUntil(Pred pred, std::chrono::milliseconds deadline = std::chrono::seconds(5)) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= end) return pred();
        struct timespec pause = {0, 1000000};
        nanosleep(&pause, nullptr);
    }
    return true;
}
