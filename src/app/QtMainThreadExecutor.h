// Runs the link layer's hand-overs on the Qt user-interface thread, in order.
#pragma once

#include "link/MainThreadHandOver.h"

class QtMainThreadExecutor : public MainThreadExecutor {
public:
    void post(std::function<void()> fn) override;
};
