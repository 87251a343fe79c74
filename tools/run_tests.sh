#!/usr/bin/env bash
# Builds and runs every test twice, with warnings as errors: a normal build, then a clang build
# with AddressSanitizer, UndefinedBehaviorSanitizer and the libFuzzer targets, whose short runs
# are its fuzz tests (benchmarks off). Between the normal build and its tests, the house style is
# checked on what the change touches (lint_changed.sh, against the normal build's compile
# database). Then builds the program and the modules once as a user or a packager does (a plain
# Release build, warnings not errors) and flies a short smoke run. Installs what a fresh machine
# lacks first (see setup.sh). Stops at the first failure; a ctest selection that matches no test
# (-L nosuchlabel) is a failure.
#
#   tools/run_tests.sh [ctest options...]      e.g. -L unit, or -L scenario
#
# Environment: BUILD_DIR (default build), ASAN_BUILD_DIR (default build-asan), RELEASE_BUILD_DIR
# (default build-release), JOBS (default 2), SKIP_SANITIZE=1 to skip the sanitizer build,
# SKIP_RELEASE=1 to skip the plain Release build, LINT_BASE the commit the style check compares
# with (default: as lint_changed.sh chooses), SKIP_LINT=1 to skip the style check.
set -euo pipefail

cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
ASAN_BUILD_DIR=${ASAN_BUILD_DIR:-build-asan}
RELEASE_BUILD_DIR=${RELEASE_BUILD_DIR:-build-release}
JOBS=${JOBS:-2}
CTEST_ARGS=("$@")

# build DIR [cmake options...]
build() {
  local dir=$1
  shift
  echo "== $dir: configure and build"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWERROR=ON "$@"
  cmake --build "$dir" -j "$JOBS"
}

# run_tests DIR
run_tests() {
  echo "== $1: tests"
  (cd "$1" && ctest --output-on-failure --no-tests=error -j "$JOBS" "${CTEST_ARGS[@]}")
}

# build_and_test DIR [cmake options...]
build_and_test() {
  local t0=$SECONDS
  build "$@"
  run_tests "$1"
  echo "== $1: done in $((SECONDS - t0)) s"
}

start=$SECONDS
tools/setup.sh --packages-only
t0=$SECONDS
build "$BUILD_DIR" -DCHECK_LINUX_DECLARATIONS=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
if [ "${SKIP_LINT:-0}" != 1 ]; then
  # Before the tests: a style finding fails the run at once.
  BUILD_DIR=$BUILD_DIR tools/lint_changed.sh ${LINT_BASE:+"$LINT_BASE"}
fi
run_tests "$BUILD_DIR"
echo "== $BUILD_DIR: done in $((SECONDS - t0)) s"
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
if [ "${SKIP_RELEASE:-0}" != 1 ]; then
  # The build a user or a packager makes: the default options, every warning just a warning.
  t0=$SECONDS
  echo "== $RELEASE_BUILD_DIR: plain Release build of the program and the modules"
  cmake -S . -B "$RELEASE_BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DBUILD_BENCH=OFF
  cmake --build "$RELEASE_BUILD_DIR" -j "$JOBS" --target simhost larkon orlis pelo_ring
  "$RELEASE_BUILD_DIR/bin/simhost" --version
  "$RELEASE_BUILD_DIR/bin/simhost" run --until 5 >/dev/null
  echo "== $RELEASE_BUILD_DIR: done in $((SECONDS - t0)) s"
fi
echo "== all tests passed in $((SECONDS - start)) s"
