#include "crash/CrashReport.h"

#include <cxxabi.h>
#include <dirent.h>
#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "settings/SettingsLocation.h"

namespace {

// Everything the handler needs is prepared at installation, in static storage.
constexpr size_t kPathMax = 4096;
constexpr int kMaxFrames = 64;
char g_program[64];
char g_folder[kPathMax];  // with its trailing '/'
char g_path[kPathMax];    // the crash file, named at the crash
char g_folderPart[kPathMax];
void* g_frames[kMaxFrames];
char g_frameFile[kMaxFrames][256];
uintptr_t g_frameOffset[kMaxFrames];
char g_mapsChunk[4096];
char g_mapsLine[1024];
alignas(16) char g_altStack[1 << 16];
volatile sig_atomic_t g_reporting = 0;

const int kSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE};

// Async-signal-safe output: fixed buffers, write(2) only.
class Out {
public:
    explicit Out(int fd) : fd_(fd) {}
    Out& operator<<(const char* s) {
        if (s) put(s, std::strlen(s));
        return *this;
    }
    Out& dec(uintmax_t v, int width = 0) {
        char buf[24];
        int n = 0;
        do buf[n++] = static_cast<char>('0' + v % 10), v /= 10;
        while (v);
        while (n < width) buf[n++] = '0';
        for (int i = n - 1; i >= 0; --i) put(&buf[i], 1);
        return *this;
    }
    Out& hex(uintmax_t v) {
        char buf[20];
        int n = 0;
        do buf[n++] = "0123456789abcdef"[v & 15], v >>= 4;
        while (v);
        put("0x", 2);
        for (int i = n - 1; i >= 0; --i) put(&buf[i], 1);
        return *this;
    }

private:
    void put(const char* s, size_t n) {
        while (n > 0) {
            const ssize_t w = ::write(fd_, s, n);
            if (w <= 0) return;
            s += w;
            n -= static_cast<size_t>(w);
        }
    }
    int fd_;
};

const char* signalName(int sig) {
    switch (sig) {
        case SIGSEGV: return "SIGSEGV (invalid memory access)";
        case SIGABRT: return "SIGABRT (abort)";
        case SIGBUS: return "SIGBUS (bus error)";
        case SIGFPE: return "SIGFPE (arithmetic error)";
        default: return "unexpected signal";
    }
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilDate(long days, long& y, unsigned& m, unsigned& d) {
    days += 719468;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<long>(yoe) + era * 400 + (m <= 2);
}

// Appends to a fixed buffer, cutting at its end.
void append(char* to, size_t size, const char* s) {
    size_t n = std::strlen(to);
    while (*s && n + 1 < size) to[n++] = *s++;
    to[n] = 0;
}
void appendDec(char* to, size_t size, uintmax_t v, int width) {
    char buf[24];
    int n = 0;
    do buf[n++] = static_cast<char>('0' + v % 10), v /= 10;
    while (v);
    while (n < width) buf[n++] = '0';
    char text[24];
    for (int i = 0; i < n; ++i) text[i] = buf[n - 1 - i];
    text[n] = 0;
    append(to, size, text);
}
void appendHex(char* to, size_t size, uintptr_t v) {
    char buf[20];
    int n = 0;
    do buf[n++] = "0123456789abcdef"[v & 15], v >>= 4;
    while (v);
    char text[24] = "0x";
    for (int i = 0; i < n; ++i) text[2 + i] = buf[n - 1 - i];
    text[2 + n] = 0;
    append(to, size, text);
}

// "<folder><program>-crash-YYYYMMDD-HHMMSS-<pid>.txt"; the time is UTC.
void nameCrashFile(time_t now) {
    long y;
    unsigned mo, d;
    civilDate(static_cast<long>(now / 86400), y, mo, d);
    const long secs = static_cast<long>(now % 86400);
    g_path[0] = 0;
    append(g_path, kPathMax, g_folder);
    append(g_path, kPathMax, g_program);
    append(g_path, kPathMax, "-crash-");
    appendDec(g_path, kPathMax, static_cast<uintmax_t>(y), 4);
    appendDec(g_path, kPathMax, mo, 2);
    appendDec(g_path, kPathMax, d, 2);
    append(g_path, kPathMax, "-");
    appendDec(g_path, kPathMax, static_cast<uintmax_t>(secs / 3600), 2);
    appendDec(g_path, kPathMax, static_cast<uintmax_t>(secs / 60 % 60), 2);
    appendDec(g_path, kPathMax, static_cast<uintmax_t>(secs % 60), 2);
    append(g_path, kPathMax, "-");
    appendDec(g_path, kPathMax, static_cast<uintmax_t>(getpid()), 0);
    append(g_path, kPathMax, ".txt");
}

// The settings folder may not exist yet: it appears with the first write.
int openCrashFile() {
    std::strcpy(g_folderPart, g_folder);
    for (char* p = g_folderPart + 1; *p; ++p) {
        if (*p != '/') continue;
        *p = 0;
        mkdir(g_folderPart, 0700);
        *p = '/';
    }
    return open(g_path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
}

uintptr_t parseHex(const char*& s) {
    uintptr_t v = 0;
    for (;; ++s) {
        const char c = *s;
        if (c >= '0' && c <= '9') v = v << 4 | static_cast<uintptr_t>(c - '0');
        else if (c >= 'a' && c <= 'f') v = v << 4 | static_cast<uintptr_t>(c - 'a' + 10);
        else return v;
    }
}

// A line of /proc/self/maps: "start-end perms offset dev inode path".
void matchMapsLine(const char* line, int frames) {
    const char* s = line;
    const uintptr_t start = parseHex(s);
    if (*s++ != '-') return;
    const uintptr_t end = parseHex(s);
    if (*s++ != ' ') return;
    s += 5;  // "r-xp "
    const uintptr_t offset = parseHex(s);
    for (int field = 0; field < 2 && *s; ++field) {  // device, inode
        while (*s == ' ') ++s;
        while (*s && *s != ' ') ++s;
    }
    while (*s == ' ') ++s;
    if (*s != '/') return;
    for (int i = 0; i < frames; ++i) {
        const auto a = reinterpret_cast<uintptr_t>(g_frames[i]);
        if (a < start || a >= end || g_frameFile[i][0]) continue;
        g_frameFile[i][0] = 0;
        append(g_frameFile[i], sizeof g_frameFile[i], s);
        g_frameOffset[i] = a - start + offset;
    }
}

void locateFrames(int frames) {
    for (int i = 0; i < frames; ++i) g_frameFile[i][0] = 0;
    const int fd = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    size_t used = 0;
    ssize_t got;
    while ((got = read(fd, g_mapsChunk, sizeof g_mapsChunk)) > 0) {
        for (ssize_t k = 0; k < got; ++k) {
            const char c = g_mapsChunk[k];
            if (c != '\n') {
                if (used + 1 < sizeof g_mapsLine) g_mapsLine[used++] = c;
                continue;
            }
            g_mapsLine[used] = 0;
            matchMapsLine(g_mapsLine, frames);
            used = 0;
        }
    }
    close(fd);
}

void writeThread(Out& out) {
    const long tid = syscall(SYS_gettid);
    out << "thread: ";
    out.dec(static_cast<uintmax_t>(tid));
    char name[32] = {0};
    const int fd = open("/proc/thread-self/comm", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        const ssize_t n = read(fd, name, sizeof name - 1);
        close(fd);
        if (n > 0 && name[n - 1] == '\n') name[n - 1] = 0;
    }
    out << " \"" << name << "\"" << (tid == getpid() ? " (main thread)" : " (not the main thread)")
        << "\n";
}

void writeReport(int fd, const char* what, int frames, time_t now) {
    Out out(fd);
    out << g_program << " crashed: " << what << "\n";
    writeThread(out);
    long y;
    unsigned mo, d;
    civilDate(static_cast<long>(now / 86400), y, mo, d);
    const long secs = static_cast<long>(now % 86400);
    out << "time: ";
    out.dec(static_cast<uintmax_t>(y), 4) << "-";
    out.dec(mo, 2) << "-";
    out.dec(d, 2) << " ";
    out.dec(static_cast<uintmax_t>(secs / 3600), 2) << ":";
    out.dec(static_cast<uintmax_t>(secs / 60 % 60), 2) << ":";
    out.dec(static_cast<uintmax_t>(secs % 60), 2) << " UTC\n";
    out << "backtrace:\n";
    backtrace_symbols_fd(g_frames, frames, fd);
    out << "frames as file and offset (addr2line -Cfie <file> <offset> gives the source line):\n";
    for (int i = 0; i < frames; ++i) {
        out << "#";
        out.dec(static_cast<uintmax_t>(i)) << " ";
        if (g_frameFile[i][0]) {
            out << g_frameFile[i] << " ";
            out.hex(g_frameOffset[i]);
        } else {
            out.hex(reinterpret_cast<uintptr_t>(g_frames[i]));
        }
        out << "\n";
    }
}

// Both ways of crashing end here. Async-signal-safe from start to end.
void report(const char* what) {
    const int frames = backtrace(g_frames, kMaxFrames);
    locateFrames(frames);
    const time_t now = time(nullptr);
    nameCrashFile(now);
    writeReport(STDERR_FILENO, what, frames, now);
    const int fd = openCrashFile();
    if (fd >= 0) {
        writeReport(fd, what, frames, now);
        close(fd);
        Out(STDERR_FILENO) << "crash file: " << g_path << "\n";
    } else {
        Out(STDERR_FILENO) << "crash file could not be written: " << g_path << "\n";
    }
}

void onSignal(int sig, siginfo_t* info, void*) {
    // A second crash while reporting (another thread, or the report itself)
    // ends the program at once.
    if (g_reporting) {
        signal(sig, SIG_DFL);
        raise(sig);
        return;
    }
    g_reporting = 1;
    char what[96] = "signal ";
    append(what, sizeof what, signalName(sig));
    if (sig != SIGABRT && info) {
        append(what, sizeof what, " at ");
        appendHex(what, sizeof what, reinterpret_cast<uintptr_t>(info->si_addr));
    }
    report(what);
    // SA_RESETHAND restored the default action: raised again once this returns.
    raise(sig);
}

void onTerminate() {
    std::string what = "std::terminate without an exception";
    if (const std::exception_ptr current = std::current_exception()) {
        std::string type = "unknown type";
        if (const std::type_info* t = abi::__cxa_current_exception_type()) {
            int status = 0;
            char* name = abi::__cxa_demangle(t->name(), nullptr, nullptr, &status);
            type = status == 0 && name ? name : t->name();
            std::free(name);
        }
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& e) {
            what = "uncaught exception " + type + ": " + e.what();
        } catch (...) {
            what = "uncaught exception " + type;
        }
    }
    g_reporting = 1;
    report(what.c_str());
    signal(SIGABRT, SIG_DFL);
    std::abort();
}

void keepNewestCrashFiles(const std::string& folder, const std::string& prefix, size_t keep) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) == 0 && name.size() > 4 &&
            name.compare(name.size() - 4, 4, ".txt") == 0)
            names.push_back(name);
    }
    closedir(dir);
    // The time in the name sorts them from oldest to newest.
    std::sort(names.begin(), names.end());
    for (size_t i = 0; i + keep < names.size(); ++i) unlink((folder + names[i]).c_str());
}

}  // namespace

void InstallCrashReporter(const char* programName) {
    g_program[0] = 0;
    append(g_program, sizeof g_program, programName);
    g_folder[0] = 0;
    const std::string folder = SettingsFolder();
    append(g_folder, sizeof g_folder, folder.c_str());
    keepNewestCrashFiles(folder, std::string(programName) + "-crash-", kCrashFilesKept);

    // Loads the unwinder now, outside any handler.
    void* warm[2];
    backtrace(warm, 2);

    // A stack overflow leaves no stack for the handler: it runs on its own.
    stack_t alt{};
    alt.ss_sp = g_altStack;
    alt.ss_size = sizeof g_altStack;
    sigaltstack(&alt, nullptr);

    struct sigaction action {};
    action.sa_sigaction = onSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int sig : kSignals) sigaddset(&action.sa_mask, sig);
    for (int sig : kSignals) sigaction(sig, &action, nullptr);
    std::set_terminate(onTerminate);
}

void CrashIfTestAsks() {
    const char* kind = std::getenv("TALVOR_CRASH_TEST");
    if (!kind) return;
    const std::string k = kind;
    // A wild address, not null: the undefined-behaviour checker would catch a
    // null pointer before the hardware does.
    static int* volatile wild = reinterpret_cast<int*>(uintptr_t{8});
    if (k == "segv") *wild = 1;
    if (k == "abort") std::abort();
    if (k == "exception") throw std::runtime_error("crash test");
    if (k == "thread") {
        std::thread crashing([] {
            pthread_setname_np(pthread_self(), "crash-test");
            *wild = 1;
        });
        crashing.join();
    }
}
