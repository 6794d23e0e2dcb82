#!/usr/bin/env bash
# Runs bench_log_flood as on a desktop with assistive tools on: a virtual
# display, a session bus of its own (which starts at-spi2-core's accessibility
# bus on demand) and Qt's bridge to it forced on.
# Usage: bench/log-flood.sh [build folder] [seconds] [frames per second]
# Needs: ./scripts/install-deps.sh --with-bench
set -euo pipefail
build="${1:-build}"
shift || true
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb NO_AT_BRIDGE=0
exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/bench/bench_log_flood" "$build/talvor" "$@"
