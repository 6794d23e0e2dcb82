// Exceptions never cross the toolkit's event loop: every handler connected to
// an operator's action runs inside this guard, the application's top-level
// error display. Handlers that click other handlers call them directly, so an
// exception ends the whole chain.
#pragma once

#include <exception>
#include <string>
#include <utility>

#include "console/MessageBoxes.h"

// What the error box says: the message, and after a port that failed to
// open, one line of hint where the cause is known.
std::string ErrorBoxText(const std::exception& e);

template <typename Fn>
void Guarded(Fn&& fn) {
    try {
        std::forward<Fn>(fn)();
    } catch (const std::exception& e) {
        Messages().error(ErrorBoxText(e));
    }
}

// Wraps a handler for a connect(): the slot runs it inside the guard.
template <typename Fn>
auto GuardedSlot(Fn fn) {
    return [fn](auto&&...) { Guarded(fn); };
}
