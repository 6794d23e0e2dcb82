#include "link/MainThreadHandOver.h"

#include <atomic>

namespace {
// Read by event threads while start-up or a test installs it.
std::atomic<MainThreadExecutor*> g_executor{nullptr};
}  // namespace

void SetMainThreadExecutor(MainThreadExecutor* executor) { g_executor.store(executor); }

MainThreadExecutor* GetMainThreadExecutor() { return g_executor.load(); }
