// zq361-sim: serves a simulated ZQ361 module on a pseudo-terminal until
// interrupted. Prints the device path first, then (with -v) every frame heard.
#include <pthread.h>
#include <signal.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "crash/CrashReport.h"
#include "sim/SimulatorServer.h"

namespace {

void usage(FILE* to) {
    std::fputs(
        "usage: zq361-sim [options]\n"
        "  --tag             start with the tag in the field\n"
        "  --id HEX10        EM4100 ID of the tag (ten hex digits)\n"
        "  --baud RATE       the module's rate: 9600 19200 38400 57600 115200\n"
        "  --any-calibration the tag reads under every calibration setting\n"
        "  --auto-repeat MS  repeat interval of continuous reading\n"
        "  --burst US        burst mode: repeat interval in microseconds (200: 5000 frames/s)\n"
        "  --count-ids       each tag frame carries the next ID\n"
        "  --hostile         answer every command with random frames, broken lengths,\n"
        "                    noise and silence (the seed used is printed)\n"
        "  --seed N          the hostile module's seed, to replay a run\n"
        "  -v, --verbose     print every frame received\n"
        "  -h, --help        this text\n",
        to);
}

bool parseId(const char* text, std::array<uint8_t, 5>& id) {
    if (std::strlen(text) != 10) return false;
    for (size_t i = 0; i < 5; ++i) {
        char pair[3] = {text[2 * i], text[2 * i + 1], 0};
        char* end = nullptr;
        const long v = std::strtol(pair, &end, 16);
        if (*end != 0) return false;
        id[i] = static_cast<uint8_t>(v);
    }
    return true;
}

std::string hex(const std::vector<uint8_t>& bytes) {
    std::string s;
    char b[4];
    for (uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%02X ", v);
        s += b;
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    InstallCrashReporter("zq361-sim");
    bool tag = false, anyCalibration = false, verbose = false;
    std::array<uint8_t, 5> id{};
    bool haveId = false;
    uint32_t baud = 19200;
    int repeatMs = -1;
    int burstUs = 0;
    bool countIds = false;
    bool hostile = false;
    uint32_t seed = HostileAnswers::FreshSeed();
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--tag") {
            tag = true;
        } else if (a == "--id" && hasValue) {
            if (!parseId(argv[++i], id)) {
                std::fprintf(stderr, "zq361-sim: --id needs ten hex digits\n");
                return 2;
            }
            haveId = true;
        } else if (a == "--baud" && hasValue) {
            baud = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (a == "--any-calibration") {
            anyCalibration = true;
        } else if (a == "--auto-repeat" && hasValue) {
            repeatMs = std::atoi(argv[++i]);
        } else if (a == "--burst" && hasValue) {
            burstUs = std::atoi(argv[++i]);
        } else if (a == "--count-ids") {
            countIds = true;
        } else if (a == "--hostile") {
            hostile = true;
        } else if (a == "--seed" && hasValue) {
            seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (a == "-v" || a == "--verbose") {
            verbose = true;
        } else if (a == "-h" || a == "--help") {
            usage(stdout);
            return 0;
        } else {
            usage(stderr);
            return 2;
        }
    }

    // Taken as synchronous signals below, so no handler runs inside the server.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    SimulatorServer server;
    bool baudOk = true;
    server.withModule([&](SimulatedModule& m) {
        baudOk = m.setBaudRate(baud);
        m.setTagInField(tag);
        if (haveId) m.tag().emId = id;
        if (anyCalibration) m.setEverySettingReadable();
        if (repeatMs > 0) m.setAutoRepeatMs(repeatMs);
        if (burstUs > 0) m.setAutoRepeatMicros(burstUs);
        m.setCountTagIds(countIds);
        if (hostile) m.setHostile(seed);
    });
    if (hostile) std::fprintf(stderr, "zq361-sim: hostile module, seed %u\n", seed);
    if (!baudOk) {
        std::fprintf(stderr, "zq361-sim: unknown rate %u\n", baud);
        return 2;
    }
    try {
        server.start();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zq361-sim: %s\n", e.what());
        return 1;
    }
    std::printf("%s\n", server.devicePath().c_str());
    std::fflush(stdout);
    CrashIfTestAsks();

    size_t shown = 0;
    for (;;) {
        int sig = -1;
        if (verbose) {
            const timespec wait{0, 200 * 1000 * 1000};
            sig = sigtimedwait(&stopSignals, nullptr, &wait);
        } else if (sigwait(&stopSignals, &sig) != 0) {
            continue;
        }
        if (sig == SIGINT || sig == SIGTERM) break;
        if (!verbose) continue;
        const auto frames = server.receivedFrames();
        for (; shown < frames.size(); ++shown) std::printf("RX %s\n", hex(frames[shown]).c_str());
        std::fflush(stdout);
    }
    server.stop();
    return 0;
}
