#include "sim/SimulatedModule.h"

#include <algorithm>

namespace {

// The host builds commands in a 65-byte buffer, so a longer length byte
// cannot start a real command frame.
constexpr uint8_t kMaxCommandLength = 61;

bool isSetCommand(uint8_t cmd) {
    switch (cmd) {
        case 0x40:
        case 0x41:
        case 0x52:
        case 0x53:
        case 0x55:
        case 0x81:
        case 0x87:
        case 0x88:
        case 0x90:
            return true;
        default:
            return false;
    }
}

uint32_t bigEndian(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

}  // namespace

SimulatedModule::SimulatedModule()
    : m_config(factoryConfig()), m_readable(defaultReadableSettings()) {}

std::array<uint8_t, SimulatedModule::kConfigSize> SimulatedModule::factoryConfig() {
    std::array<uint8_t, kConfigSize> c{};
    // Q5 programming timing.
    c[0] = 100;
    c[1] = 200;
    c[2] = 170;
    c[3] = 50;
    c[4] = 96;
    c[5] = 96;  // RADF: 125 kHz
    c[7] = 0x1C;
    c[8] = 0x1C;
    c[9] = 2;
    c[10] = 3;
    c[11] = 3;
    c[12] = 3;
    c[13] = 3;
    c[24] = 3;  // EM4100 decoded
    c[25] = 2;
    c[26] = 0x80;  // UART on, ASCII
    c[28] = 0;
    c[29] = 1;
    c[30] = 2;
    c[32] = 4;
    c[33] = 0x52;
    c[34] = 0x58;
    c[35] = 0x8B;
    c[36] = 0x45;
    c[38] = 0x41;
    return c;
}

std::vector<CalibrationSetting> SimulatedModule::defaultReadableSettings() {
    return {{96, 2, 3, 3, 0x1C, 0x1C}, {95, 2, 3, 3, 0x18, 0x1C}, {94, 3, 2, 3, 0x08, 0x0C}};
}

std::vector<uint8_t> SimulatedModule::makeFrame(uint8_t code, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> f{0xFF, 0x01, static_cast<uint8_t>(data.size() + 1), code};
    f.insert(f.end(), data.begin(), data.end());
    uint8_t sum = 0;
    for (size_t i = 1; i < f.size(); ++i) sum = static_cast<uint8_t>(sum + f[i]);
    f.push_back(sum);
    return f;
}

uint32_t SimulatedModule::baudForCode(uint8_t code) {
    static const uint32_t rates[] = {9600, 19200, 38400, 57600, 115200};
    return code < 5 ? rates[code] : 0;
}

uint32_t SimulatedModule::baudRate() const { return baudForCode(m_baudCode); }

uint32_t SimulatedModule::pendingBaudRate() const {
    return m_pendingBaudCode < 0 ? 0 : baudForCode(static_cast<uint8_t>(m_pendingBaudCode));
}

bool SimulatedModule::setBaudRate(uint32_t baud) {
    for (uint8_t code = 0; code < 5; ++code) {
        if (baudForCode(code) == baud) {
            m_baudCode = code;
            return true;
        }
    }
    return false;
}

CalibrationSetting SimulatedModule::calibration() const {
    return {m_config[5], m_config[9], m_config[10], m_config[11], m_config[7], m_config[8]};
}

void SimulatedModule::setReadableSettings(const std::vector<CalibrationSetting>& settings) {
    m_readable = settings;
    m_everySettingReads = false;
}

void SimulatedModule::setEverySettingReadable() { m_everySettingReads = true; }

bool SimulatedModule::readsUnder(const CalibrationSetting& setting) const {
    return m_everySettingReads ||
           std::find(m_readable.begin(), m_readable.end(), setting) != m_readable.end();
}

void SimulatedModule::selectTag(TagChoice choice) {
    const bool inField = m_tagInField;
    setTagInField(false);
    m_placed = static_cast<size_t>(choice);
    setTagInField(inField);
}

void SimulatedModule::swapInBlankTag() {
    m_tags[static_cast<size_t>(TagChoice::T5557)] = VirtualTag::blankT5557();
    selectTag(TagChoice::T5557);
}

void SimulatedModule::setTagInField(bool inField) {
    // A continuous read reports a tag again as soon as it comes back.
    if (!inField && m_read.continuous) m_read.nextEmitMs = m_lastNowMs;
    m_tagInField = inField;
}

void SimulatedModule::setFaults(const Faults& faults) {
    // Scheduled from the next clock reading: setters get no time of their own.
    if (faults.unsolicitedTagEveryMs <= 0)
        m_nextUnsolicitedMs = -1;
    else if (faults.unsolicitedTagEveryMs != m_faults.unsolicitedTagEveryMs)
        m_unsolicitedToSchedule = true;
    m_faults = faults;
}

// --- wire -------------------------------------------------------------------

void SimulatedModule::receive(const uint8_t* data, size_t n, int64_t nowMs) {
    if (n == 0) return;
    runTimers(nowMs);
    m_asleep = false;
    if (!m_rx.empty() && nowMs - m_lastRxMs > kStaleFrameMs) m_rx.clear();
    m_lastRxMs = nowMs;
    m_rx.insert(m_rx.end(), data, data + n);
    scanInput(nowMs);
}

void SimulatedModule::scanInput(int64_t nowMs) {
    for (;;) {
        auto start = std::find(m_rx.begin(), m_rx.end(), 0xFF);
        m_rx.erase(m_rx.begin(), start);
        if (m_rx.size() < 3) return;
        const uint8_t len = m_rx[2];
        if (len == 0 || len > kMaxCommandLength) {
            m_rx.erase(m_rx.begin());
            continue;
        }
        const size_t total = 3u + len + 1u;
        if (m_rx.size() < total) return;
        uint8_t sum = 0;
        for (size_t i = 1; i < total - 1; ++i) sum = static_cast<uint8_t>(sum + m_rx[i]);
        if (sum != m_rx[total - 1]) {
            // Resume right after this header: a real frame may start inside it.
            m_rx.erase(m_rx.begin());
            continue;
        }
        std::vector<uint8_t> frame(m_rx.begin(), m_rx.begin() + static_cast<long>(total));
        m_rx.erase(m_rx.begin(), m_rx.begin() + static_cast<long>(total));
        m_received.push_back(frame);
        execute(frame, nowMs);
    }
}

std::vector<uint8_t> SimulatedModule::takeOutput(int64_t nowMs) {
    std::vector<uint8_t> out;
    for (auto& t : takeTransmissions(nowMs)) out.insert(out.end(), t.bytes.begin(), t.bytes.end());
    return out;
}

std::vector<SimulatedModule::Transmission> SimulatedModule::takeTransmissions(int64_t nowMs) {
    runTimers(nowMs);
    std::vector<Transmission> out;
    while (!m_out.empty() && m_out.front().dueMs <= nowMs) {
        Pending& p = m_out.front();
        if (out.empty() || out.back().baud != p.baud) out.push_back({p.baud, {}});
        out.back().bytes.insert(out.back().bytes.end(), p.bytes.begin(), p.bytes.end());
        m_out.pop_front();
    }
    return out;
}

int64_t SimulatedModule::nextDueMs() const {
    int64_t due = -1;
    auto consider = [&due](int64_t t) {
        if (t >= 0 && (due < 0 || t < due)) due = t;
    };
    if (!m_out.empty()) consider(m_out.front().dueMs);
    if (m_read.active && !m_asleep && readable(m_read)) consider(m_read.nextEmitMs);
    consider(m_nextUnsolicitedMs);
    if (m_unsolicitedToSchedule) consider(m_lastNowMs);
    return due;
}

void SimulatedModule::runTimers(int64_t nowMs) {
    m_lastNowMs = std::max(m_lastNowMs, nowMs);
    if (m_unsolicitedToSchedule) {
        m_unsolicitedToSchedule = false;
        m_nextUnsolicitedMs = nowMs + m_faults.unsolicitedTagEveryMs;
    }
    if (m_read.active && !m_asleep && nowMs >= m_read.nextEmitMs && readable(m_read)) {
        if (m_read.continuous && m_autoRepeatUs > 0) {
            queueBurst(nowMs);
        } else {
            queue(nowMs, nextTagFrame(m_read));
            if (m_read.continuous)
                m_read.nextEmitMs = nowMs + m_autoRepeatMs;
            else
                m_read.active = false;
        }
    }
    if (m_nextUnsolicitedMs >= 0 && nowMs >= m_nextUnsolicitedMs) {
        queue(nowMs, nextTagFrame(requestFrom(m_config[24], m_config[25])));
        m_nextUnsolicitedMs = nowMs + m_faults.unsolicitedTagEveryMs;
    }
}

void SimulatedModule::queue(int64_t dueMs, std::vector<uint8_t> bytes) {
    if (!m_out.empty()) dueMs = std::max(dueMs, m_out.back().dueMs);
    m_out.push_back({dueMs, baudRate(), std::move(bytes)});
}

void SimulatedModule::emitAnswer(std::vector<uint8_t> answer,
                                 const std::vector<uint8_t>& followUp, int64_t nowMs) {
    if (!m_faults.asciiInstead.empty()) {
        answer.assign(m_faults.asciiInstead.begin(), m_faults.asciiInstead.end());
    } else if (m_faults.oversizeLength && answer.size() >= 5) {
        std::vector<uint8_t> data(answer.begin() + 4, answer.end() - 1);
        data.resize(0x50 - 1, 0);
        answer = makeFrame(answer[3], data);
    }
    if (m_faults.badChecksum && !m_faults.asciiInstead.size() && !answer.empty()) ++answer.back();

    std::vector<uint8_t> all;
    for (int i = 0; i < m_faults.tagFramesBeforeAnswer && !answer.empty(); ++i) {
        const std::vector<uint8_t> tag = nextTagFrame(requestFrom(m_config[24], m_config[25]));
        all.insert(all.end(), tag.begin(), tag.end());
    }
    all.insert(all.end(), answer.begin(), answer.end());
    all.insert(all.end(), followUp.begin(), followUp.end());
    int64_t due = nowMs + std::max(0, m_faults.answerDelayMs);
    if (m_faults.chunkSize == 0) {
        queue(due, std::move(all));
    } else {
        for (size_t i = 0; i < all.size(); i += m_faults.chunkSize) {
            const size_t end = std::min(all.size(), i + m_faults.chunkSize);
            queue(due, std::vector<uint8_t>(all.begin() + static_cast<long>(i),
                                            all.begin() + static_cast<long>(end)));
            due += std::max(0, m_faults.chunkPauseMs);
        }
    }
    if (m_faults.nextAnswerOnly) {
        Faults kept;
        kept.unsolicitedTagEveryMs = m_faults.unsolicitedTagEveryMs;
        m_faults = kept;
    }
}

// --- power --------------------------------------------------------------------

void SimulatedModule::powerCycle(int64_t nowMs) {
    m_lastNowMs = std::max(m_lastNowMs, nowMs);
    m_out.clear();
    m_rx.clear();
    restartAfterPowerUp(nowMs);
}

void SimulatedModule::restartAfterPowerUp(int64_t nowMs) {
    if (m_pendingBaudCode >= 0) m_baudCode = static_cast<uint8_t>(m_pendingBaudCode);
    m_pendingBaudCode = -1;
    m_read = ReadRequest{};
    m_asleep = false;
    m_outputs = 0;
    if (m_config[23] != 0) startAutoReading(nowMs);
}

// --- reading ------------------------------------------------------------------

SimulatedModule::ReadRequest SimulatedModule::requestFrom(uint8_t type, uint8_t blocks) const {
    ReadRequest r;
    r.readType = type;
    r.blocks = static_cast<uint8_t>(std::clamp<int>(blocks, 1, 7));
    return r;
}

void SimulatedModule::startAutoReading(int64_t nowMs) {
    m_read = requestFrom(m_config[24], m_config[25]);
    m_read.withPassword = m_config[18] != 0;
    std::copy(m_config.begin() + 19, m_config.begin() + 23, m_read.password.begin());
    m_read.active = true;
    m_read.continuous = true;
    m_read.nextEmitMs = nowMs;
}

bool SimulatedModule::readable(const ReadRequest& r) const {
    if (!m_tagInField || r.readType < 1 || r.readType > 4) return false;
    if (!readsUnder(calibration())) return false;
    const Block0Info b0 = decodeBlock0(tag().blocks[0]);
    if (b0.passwordProtected &&
        (!r.withPassword || bigEndian(r.password.data()) != tag().blocks[7]))
        return false;
    if (r.readType == 1) return b0.modulation == TagModulation::RF64 && matchesByteTrack();
    if (r.readType == 4) return b0.modulation == TagModulation::RF32 && matchesByteTrack();
    if (!tag().programmable) return true;
    if (!emulatesEm4100()) return false;
    if (r.readType == 2) return em4100HeaderInCycle(tag().blocks[1], tag().blocks[2]);
    std::array<uint8_t, 5> id;
    return em4100IdOfCycle(tag().blocks[1], tag().blocks[2], id);
}

bool SimulatedModule::matchesByteTrack() const {
    const size_t count = std::min<size_t>(m_config[32], 4);
    for (size_t i = 0; i < count; ++i)
        if (m_config[33 + i] != static_cast<uint8_t>(tag().blocks[1] >> (24 - 8 * i))) return false;
    return true;
}

bool SimulatedModule::emulatesEm4100() const {
    const Block0Info b0 = decodeBlock0(tag().blocks[0]);
    return b0.modulation == TagModulation::RF64 && b0.maxBlock == 2;
}

void SimulatedModule::setAutoRepeatMicros(int us) {
    m_autoRepeatUs = us > 0 ? us : 0;
    m_autoRepeatMs = std::max(1, us / 1000);
}

void SimulatedModule::queueBurst(int64_t nowMs) {
    int64_t dueUs = m_read.nextEmitMs * 1000;
    // The part of a millisecond left over from the last burst carries on.
    if (m_burstNextUs <= dueUs && dueUs - m_burstNextUs < 1000) dueUs = m_burstNextUs;
    dueUs = std::max(dueUs, (nowMs - kBurstCatchUpMs) * 1000);
    for (; dueUs <= nowMs * 1000; dueUs += m_autoRepeatUs) queue(nowMs, nextTagFrame(m_read));
    m_burstNextUs = dueUs;
    // The first whole millisecond at which that frame is due: rounding down
    // would make the rest of this millisecond a wait of no time, spun through.
    m_read.nextEmitMs = (dueUs + 999) / 1000;
}

std::vector<uint8_t> SimulatedModule::nextTagFrame(const ReadRequest& r) {
    std::vector<uint8_t> frame = tagFrame(r);
    ++m_tagFramesSent;
    if (m_countTagIds)
        for (int i = 4; i >= 0 && ++tag().emId[static_cast<size_t>(i)] == 0; --i) {
        }
    return frame;
}

std::vector<uint8_t> SimulatedModule::tagFrame(const ReadRequest& r) const {
    std::vector<uint8_t> data;
    auto pushWord = [&data](uint32_t w) {
        for (int shift = 24; shift >= 0; shift -= 8)
            data.push_back(static_cast<uint8_t>(w >> shift));
    };
    if (tag().programmable && (r.readType == 2 || r.readType == 3)) {
        std::array<uint8_t, 5> id{};
        if (r.readType == 2) {
            pushWord(tag().blocks[1]);
            pushWord(tag().blocks[2]);
        } else if (em4100IdOfCycle(tag().blocks[1], tag().blocks[2], id)) {
            data.assign(id.begin(), id.end());
        }
    } else if (r.readType == 2) {
        const auto s = em4100Stream(tag().emId);
        data.assign(s.begin(), s.end());
    } else if (r.readType == 1 || r.readType == 4) {
        for (int b = 1; b <= r.blocks; ++b) pushWord(tag().blocks[static_cast<size_t>(b)]);
    } else {
        data.assign(tag().emId.begin(), tag().emId.end());
    }
    return makeFrame(kTagFrame, data);
}

// --- commands -----------------------------------------------------------------

std::vector<uint8_t> SimulatedModule::answerSet(const std::vector<uint8_t>& data, size_t first,
                                                size_t count, size_t need) {
    if (data.size() < need) return makeFrame(kNak);
    for (size_t i = 0; i < count && i < data.size(); ++i) m_config[first + i] = data[i];
    return makeFrame(kAck);
}

void SimulatedModule::execute(const std::vector<uint8_t>& frame, int64_t nowMs) {
    if (m_hostile) {
        for (HostileAnswers::Piece& piece : m_hostile->answer())
            queue(nowMs + piece.delayMs, std::move(piece.bytes));
        return;
    }
    if (m_faults.silent) {
        if (m_faults.nextAnswerOnly) {
            Faults kept;
            kept.unsolicitedTagEveryMs = m_faults.unsolicitedTagEveryMs;
            m_faults = kept;
        }
        return;
    }
    const uint8_t cmd = frame[3];
    const std::vector<uint8_t> data(frame.begin() + 4, frame.end() - 1);
    m_read.active = false;
    std::vector<uint8_t> followUp;
    std::vector<uint8_t> answer;

    if (isSetCommand(cmd) && (m_faults.flashError || m_faults.flashErrorFor == cmd)) {
        emitAnswer(makeFrame(kNak), {}, nowMs);
        return;
    }

    switch (cmd) {
        case 0x10:
        case 0x13:
        case 0x11: {
            const size_t need = cmd == 0x13 ? 6 : 2;
            if (data.size() < need || data[0] < 1 || data[0] > 4) {
                answer = makeFrame(kNak);
                break;
            }
            ReadRequest r = requestFrom(data[0], data[1]);
            if (cmd == 0x13) {
                r.withPassword = true;
                std::copy(data.begin() + 2, data.begin() + 6, r.password.begin());
            }
            answer = makeFrame(kAck);
            if (readable(r)) followUp = nextTagFrame(r);
            if (cmd != 0x11) {
                r.active = true;
                r.continuous = m_config[23] != 0;
                // Answered at once: a single read is done, a continuous one waits a round.
                if (!followUp.empty() && !r.continuous) r.active = false;
                r.nextEmitMs = followUp.empty() ? nowMs : nowMs + m_autoRepeatMs;
                m_read = r;
            }
            break;
        }
        case 0x12:
            answer = makeFrame(kAck);
            break;
        case 0x20:
        case 0x23: {
            const size_t need = cmd == 0x23 ? 9 : 5;
            bool ok = data.size() >= need && data[0] <= 7 && m_tagInField;
            if (ok) {
                const bool prot = decodeBlock0(tag().blocks[0]).passwordProtected;
                ok = cmd == 0x23 ? bigEndian(&data[5]) == tag().blocks[7] : !prot;
            }
            if (ok && m_loseNextWrite)
                m_loseNextWrite = false;
            else if (ok)
                tag().blocks[data[0]] = bigEndian(&data[1]);
            answer = makeFrame(ok ? kAck : kNak);
            break;
        }
        case 0x40:
            answer = answerSet(data, 0, 5, 5);
            break;
        case 0x41:
            answer = answerSet(data, 5, 1, 1);
            break;
        case 0x50:
            answer = makeFrame(kFirmwareReply,
                               std::vector<uint8_t>(m_firmware.begin(), m_firmware.end()));
            break;
        case 0x51:
            emitAnswer(makeFrame(kAck), {}, nowMs);
            m_rx.clear();
            restartAfterPowerUp(nowMs);
            return;
        case 0x52:
            if (data.empty() || baudForCode(data[0]) == 0) {
                answer = makeFrame(kNak);
            } else {
                m_pendingBaudCode = data[0];
                answer = makeFrame(kAck);
            }
            break;
        case 0x53:
            answer = answerSet(data, 7, 2, 2);
            break;
        case 0x55:
            answer = answerSet(data, 32, 5, 5);
            break;
        case 0x60:
            answer = makeFrame(kAck);
            m_asleep = true;
            break;
        case 0x62:
            if (data.empty()) {
                answer = makeFrame(kNak);
            } else {
                m_outputs = data[0] & 3;
                answer = makeFrame(kAck);
            }
            break;
        case 0x63:
            answer = makeFrame(m_input0 ? kAck : kNak);
            break;
        case 0x70:
            answer = makeFrame(kAck, std::vector<uint8_t>(m_config.begin(), m_config.end()));
            break;
        case 0x81:
            answer = answerSet(data, 9, 5, 3);
            break;
        case 0x87:
            if (data.size() < 8) {
                answer = makeFrame(kNak);
                break;
            }
            m_config[23] = data[0];
            m_config[24] = data[1];
            m_config[25] = data[2];
            m_config[18] = data[3];
            std::copy(data.begin() + 4, data.begin() + 8, m_config.begin() + 19);
            answer = makeFrame(kAck);
            if (m_config[23] != 0) {
                startAutoReading(nowMs);
                if (readable(m_read)) {
                    followUp = nextTagFrame(m_read);
                    m_read.nextEmitMs = nowMs + m_autoRepeatMs;
                }
            }
            break;
        case 0x88:
            answer = answerSet(data, 26, 6, 6);
            break;
        case 0x90:
            answer = answerSet(data, 37, 2, 2);
            break;
        default:
            answer = makeFrame(kNak);
            break;
    }
    emitAnswer(std::move(answer), followUp, nowMs);
}
