// A crash is never silent: on SIGSEGV, SIGABRT, SIGBUS, SIGFPE or an uncaught
// exception the program writes what happened, the thread and a backtrace to
// standard error and to a crash file in the settings folder, then ends as it
// would have (the signal's default action, so a core dump still follows).
//
// The signal handler uses only async-signal-safe calls: the file name, the
// folder and the program path are prepared when the reporter is installed,
// backtrace() is called once then (its first call loads libgcc, which is not
// safe inside a handler), and frames are written with backtrace_symbols_fd.
// Each frame is also given as file+offset from /proc/self/maps, ready for
// offline symbolisation: addr2line -Cfie <file> <offset>.
#pragma once

// Installs the handlers and the terminate handler for the calling program
// ("talvor", "talvor-cli", "zq361-sim"). Start-up keeps the newest kCrashFilesKept crash
// files of the settings folder and removes older ones.
void InstallCrashReporter(const char* programName);

constexpr int kCrashFilesKept = 5;

// The hidden switch the crash test uses: TALVOR_CRASH_TEST=segv|abort|fpe|
// exception|thread-segv makes the program crash that way when it is called.
void CrashIfTestAsks();
