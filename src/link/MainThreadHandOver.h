// How the link layer reaches the user-interface thread without knowing the
// toolkit: the application installs an executor that runs a function on that
// thread, later, in order. The link layer builds its "wait until taken"
// hand-over on top of it.
#pragma once

#include <functional>

class MainThreadExecutor {
public:
    virtual ~MainThreadExecutor() = default;
    // Queue fn to run on the main thread; returns at once, from any thread.
    virtual void post(std::function<void()> fn) = 0;
};

// The process-wide executor (none until the application installs one).
void SetMainThreadExecutor(MainThreadExecutor* executor);
MainThreadExecutor* GetMainThreadExecutor();
