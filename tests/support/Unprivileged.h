// Runs code where the permission bits count. Root may write everywhere, so
// under root (as in CI) the code runs in a forked child that has become the
// unprivileged user 65534 ("nobody"); otherwise in a forked child as the same
// user. The child must not touch the test framework: it returns a text, which
// comes back to the caller. Call it while no other thread runs.
#pragma once

#include <functional>
#include <string>

struct ChildOutcome {
    enum Status { kRan, kNoUnprivilegedUser, kFailed } status = kFailed;
    std::string text;  // what the code returned, or why it did not run
};

ChildOutcome RunUnprivileged(const std::function<std::string()>& code);
