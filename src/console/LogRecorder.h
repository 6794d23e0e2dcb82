// Records log lines to a file from a background thread, so a slow disk never
// stalls the window: each line goes out as "<ISO 8601 time> <line>" (see
// LogText.h). What is queued is written at least every kWriteIntervalMs and
// at stop. A write the system refuses ends the recording: the failure is
// reported once, on the writer thread, and later lines are dropped.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LogRecorder {
public:
    static constexpr int kWriteIntervalMs = 200;
    // Called once, on the writer thread, with the system's reason.
    using FailureHandler = std::function<void(const std::string& reason)>;

    LogRecorder() = default;
    ~LogRecorder();  // stops, writing what is queued
    LogRecorder(const LogRecorder&) = delete;
    LogRecorder& operator=(const LogRecorder&) = delete;

    // Opens path for appending (created when missing) and starts the writer.
    // Returns "" on success, else the system's reason (nothing started).
    std::string start(const std::string& path, FailureHandler onFailure);
    // Writes what is queued, closes the file and ends the writer.
    void stop();
    bool active() const { return thread_.joinable(); }
    const std::string& path() const { return path_; }

    void record(int64_t msecsSinceEpoch, const std::string& line);

private:
    struct Line {
        int64_t msecsSinceEpoch;
        std::string text;
    };
    void run();
    bool writeAll(const std::string& bytes, int& error);

    std::string path_;
    int fd_ = -1;
    FailureHandler onFailure_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<Line> queue_;  // under mutex_
    bool stopping_ = false;    // under mutex_
    bool failed_ = false;      // under mutex_
    std::thread thread_;
};
