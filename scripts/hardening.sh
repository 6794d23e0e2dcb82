#!/usr/bin/env bash
# `make hardening`: the whole test suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, then each fuzz target for a while, all built with
# clang in build-asan; and the Qt-free tests (link, simulator, settings) under
# ThreadSanitizer in build-tsan. Debian's Qt is not instrumented and its locks
# would give false reports, so ThreadSanitizer leaves the windows alone.
#   FUZZ_SECONDS  time per fuzz target (30 s; 0 skips fuzzing)
#   JOBS          parallel build and test jobs (2)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
fuzz_seconds=${FUZZ_SECONDS:-30}
here=$PWD

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# -O1 keeps the checks quick; line tables are enough for symbolised reports;
# the library's own assertions check every container access.
common="-O1 -gline-tables-only -fno-omit-frame-pointer -D_GLIBCXX_ASSERTIONS"

configure() {  # folder, sanitizers, extra cmake arguments...
  local folder=$1 sanitize=$2
  shift 2
  CC=clang CXX=clang++ cmake -S . -B "$folder" -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" \
    -DCMAKE_CXX_FLAGS="$common -fsanitize=$sanitize -fno-sanitize-recover=all" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=$sanitize" "$@" >/dev/null
}

# Stop at the first report; leaks are reported at exit, except the ones listed
# (with their reasons) in the suppression file.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$here/scripts/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"

echo "hardening: AddressSanitizer + UndefinedBehaviorSanitizer (build-asan)"
# Benchmarks are not run here, so they are not built.
configure build-asan address,undefined -DTALVOR_BUILD_UI=ON -DTALVOR_BUILD_FUZZ=ON \
  -DTALVOR_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest --output-on-failure -j "$jobs" --timeout 600)

echo "hardening: ThreadSanitizer, Qt-free tests (build-tsan)"
configure build-tsan thread -DTALVOR_BUILD_UI=OFF -DTALVOR_BUILD_BENCH=OFF
cmake --build build-tsan -j "$jobs"
(cd build-tsan && ctest --output-on-failure -j "$jobs" --timeout 600)

if [ "$fuzz_seconds" -gt 0 ]; then
  echo "hardening: fuzz targets, ${fuzz_seconds}s each"
  ./scripts/fuzz.sh -b build-asan -t "$fuzz_seconds"
fi
echo "hardening: passed"
