#!/usr/bin/env bash
# Builds and runs every test twice: a normal build, then a clang build with AddressSanitizer,
# UndefinedBehaviorSanitizer and the libFuzzer targets, whose short runs are its fuzz tests
# (benchmarks off). Installs what a fresh machine lacks first (see setup.sh). Stops at the first
# failure.
#
#   tools/run_tests.sh [ctest options...]      e.g. -L unit, or -L scenario
#
# Environment: BUILD_DIR (default build), ASAN_BUILD_DIR (default build-asan), JOBS (default 2),
# SKIP_SANITIZE=1 to run the normal build only.
set -euo pipefail

cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
ASAN_BUILD_DIR=${ASAN_BUILD_DIR:-build-asan}
JOBS=${JOBS:-2}
CTEST_ARGS=("$@")

# build_and_test DIR [cmake options...]
build_and_test() {
  local dir=$1
  shift
  local t0=$SECONDS
  echo "== $dir: configure and build"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$dir" -j "$JOBS"
  echo "== $dir: tests"
  (cd "$dir" && ctest --output-on-failure -j "$JOBS" "${CTEST_ARGS[@]}")
  echo "== $dir: done in $((SECONDS - t0)) s"
}

start=$SECONDS
tools/setup.sh --packages-only
build_and_test "$BUILD_DIR" -DCHECK_LINUX_DECLARATIONS=ON
if [ "${SKIP_SANITIZE:-0}" != 1 ]; then
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
  # Font look-ups for HUD pictures keep process-lifetime caches that LeakSanitizer reports.
  mkdir -p "$ASAN_BUILD_DIR"
  printf 'leak:libfontconfig.so\n' >"$ASAN_BUILD_DIR/lsan.supp"
  export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$(cd "$ASAN_BUILD_DIR" && pwd)/lsan.supp}
  # Line tables only (-g1): sanitizer reports keep their file:line, the build is a good deal faster.
  build_and_test "$ASAN_BUILD_DIR" -DCMAKE_CXX_COMPILER=clang++ -DSANITIZE=ON -DFUZZ=ON -DBUILD_BENCH=OFF \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
fi
echo "== all tests passed in $((SECONDS - start)) s"
