#!/usr/bin/env bash
# Starts TALVOR against its simulated ZQ361 module.
set -euo pipefail
build=${1:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found (DISPLAY and WAYLAND_DISPLAY are empty)." >&2
  echo "TALVOR is a desktop program: run it from a graphical session," >&2
  echo "or start a virtual one with: xvfb-run -a make run (package xvfb)" >&2
  exit 1
fi
exec "$build/talvor" --simulator
