#include "console/LogRecorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "console/LogText.h"

LogRecorder::~LogRecorder() { stop(); }

std::string LogRecorder::start(const std::string& path, FailureHandler onFailure) {
    stop();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return std::strerror(errno);
    fd_ = fd;
    path_ = path;
    onFailure_ = std::move(onFailure);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.clear();
        stopping_ = false;
        failed_ = false;
    }
    thread_ = std::thread([this] { run(); });
    return {};
}

void LogRecorder::stop() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
    ::close(fd_);
    fd_ = -1;
}

void LogRecorder::record(int64_t msecsSinceEpoch, const std::string& line) {
    bool wasEmpty;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failed_ || stopping_ || !thread_.joinable()) return;
        wasEmpty = queue_.empty();
        queue_.push_back(Line{msecsSinceEpoch, line});
    }
    // The writer sleeps while nothing waits; one wake-up per batch is enough.
    if (wasEmpty) wake_.notify_one();
}

void LogRecorder::run() {
    std::vector<Line> batch;
    std::string bytes;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        // Let a batch gather, but never hold a line longer than the interval.
        wake_.wait_for(lock, std::chrono::milliseconds(kWriteIntervalMs),
                       [this] { return stopping_; });
        batch.swap(queue_);
        const bool last = stopping_;
        lock.unlock();

        bytes.clear();
        for (const Line& line : batch) {
            bytes += IsoStamp(line.msecsSinceEpoch);
            bytes += ' ';
            bytes += FileLineText(line.text);
            bytes += kLogFileLineEnd;
        }
        batch.clear();
        int error = 0;
        const bool written = writeAll(bytes, error);

        lock.lock();
        if (!written) {
            failed_ = true;
            queue_.clear();
            lock.unlock();
            if (onFailure_) onFailure_(std::strerror(error));
            return;
        }
        if (last && queue_.empty()) return;
    }
}

bool LogRecorder::writeAll(const std::string& bytes, int& error) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            error = n < 0 ? errno : ENOSPC;
            return false;
        }
    }
    return true;
}
