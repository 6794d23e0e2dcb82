#include "support/ScriptedLine.h"

#include <algorithm>
#include <cstring>

class ScriptedBackend : public PortBackend {
public:
    explicit ScriptedBackend(ScriptedLine& line) : line_(line) {}

    int open(const std::string&, const PortLineSettings&) override {
        open_ = true;
        return 0;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    int applyBuffers(int32_t, int32_t) override { return 0; }
    int applyLine(const PortLineSettings&) override { return 0; }
    int applyTimeouts(const PortTimeouts&) override { return 0; }

    int read(void* buffer, int32_t count, int32_t& done) override {
        line_.Arrive();
        const size_t n = std::min(line_.Waiting(), static_cast<size_t>(std::max(count, 0)));
        std::memcpy(buffer, line_.queue_.data() + line_.head_, n);
        line_.consumed_.append(line_.queue_, line_.head_, n);
        line_.head_ += n;
        done = static_cast<int32_t>(n);
        return 0;
    }
    int write(const void* buffer, int32_t count, int32_t& done) override {
        line_.written_.append(static_cast<const char*>(buffer), static_cast<size_t>(count));
        done = count;
        return 0;
    }
    int inputCount(int32_t& count) override {
        line_.Arrive();
        count = static_cast<int32_t>(line_.Waiting());
        return 0;
    }
    int purge(bool input, bool) override {
        if (input) {
            line_.Arrive();
            line_.Discard();
        }
        return 0;
    }
    int abortPending() override { return 0; }
    int modem(uint32_t& bits) override {
        bits = 0;
        return 0;
    }
    int errors(uint32_t& bits) override {
        bits = 0;
        return 0;
    }
    // Advances the clock to the next arrival, or by the whole wait when none comes in time.
    int waitInput(int32_t microseconds, bool& ready) override {
        line_.Arrive();
        if (line_.Waiting() == 0) {
            auto until = line_.now_ + std::chrono::microseconds(std::max(microseconds, 0));
            if (!line_.script_.empty()) until = std::min(until, line_.script_.front().at);
            line_.now_ = std::max(line_.now_, until);
            line_.Arrive();
        }
        ready = line_.Waiting() > 0;
        return 0;
    }
    bool deviceGone(int) const override { return false; }
    void eventsBegin(uint32_t, int32_t) override {}
    EventWait waitEvents(uint32_t&) override { return EventWait::Stopped; }
    void wakeEvents() override {}
    void eventsEnd() override {}

private:
    ScriptedLine& line_;
    bool open_ = false;
};

void ScriptedLine::Add(std::chrono::microseconds gap, const std::string& bytes) {
    lastArrival_ += gap;
    script_.push_back({lastArrival_, bytes});
}

std::unique_ptr<PortBackend> ScriptedLine::Backend() {
    return std::make_unique<ScriptedBackend>(*this);
}

void ScriptedLine::SleepFor(std::chrono::microseconds duration) {
    if (duration.count() > 0) now_ += duration;
}

void ScriptedLine::AwaitInput() {
    Arrive();
    if (Waiting() == 0 && !script_.empty()) {
        now_ = std::max(now_, script_.front().at);
        Arrive();
    }
}

void ScriptedLine::Discard() {
    purged_ += Waiting();
    queue_.clear();
    head_ = 0;
}

void ScriptedLine::Arrive() {
    if (head_ == queue_.size()) queue_.clear(), head_ = 0;
    while (!script_.empty() && script_.front().at <= now_) {
        queue_ += script_.front().bytes;
        delivered_ += script_.front().bytes.size();
        script_.pop_front();
    }
}
