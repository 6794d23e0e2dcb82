#!/usr/bin/env bash
# Starts `talvor --simulator` again and again as on a desktop with assistive
# tools on (virtual display, a session bus that starts at-spi2-core's
# accessibility bus, Qt's bridge forced on), optionally with the machine kept
# busy, and counts how each start ended. A start lets the program run its
# start-up and quit by itself (TALVOR_QUIT_AFTER_MS); anything but a clean
# exit is a finding, kept with its output in the work folder.
# Usage: bench/startup-repeat.sh [build folder] [starts] [busy loops]
# Needs: ./scripts/install-deps.sh --with-bench
set -euo pipefail
build="${1:-build}"
starts="${2:-200}"
busy="${3:-0}"
work=$(mktemp -d "${TMPDIR:-/tmp}/talvor-startup.XXXXXX")
program=$(realpath "$build/talvor")

loops=()
cleanup() { for pid in "${loops[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT
for ((i = 0; i < busy; i++)); do
  (while :; do :; done) &
  loops+=($!)
done

# A sanitizer build reports as make hardening has it (ignored by other builds).
here=$(cd "$(dirname "$0")/.." && pwd)
export ASAN_OPTIONS="${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$here/scripts/sanitizers/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb NO_AT_BRIDGE=0
export TALVOR_QUIT_AFTER_MS="${TALVOR_QUIT_AFTER_MS:-1500}"
dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  program=$1 starts=$2 work=$3
  clean=0 failed=0
  # As an assistive tool would: start the accessibility bus before the program
  # (Qt joins a bus that is there; it does not start one).
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    >/dev/null || { echo "no accessibility bus (install at-spi2-core)"; exit 2; }
  for ((n = 1; n <= starts; n++)); do
    status=0
    timeout -s KILL 120 "$program" --simulator >"$work/out" 2>&1 || status=$?
    if [ $status -eq 0 ] && ! grep -qE "crashed:|ERROR: |runtime error:" "$work/out"; then
      clean=$((clean + 1))
    else
      failed=$((failed + 1))
      mv "$work/out" "$work/start-$n-status-$status.txt"
      echo "start $n: status $status (output in $work/start-$n-status-$status.txt)"
    fi
  done
  echo "starts: $starts, clean: $clean, failed: $failed"
' _ "$program" "$starts" "$work"
echo "work folder: $work"
