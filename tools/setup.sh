#!/usr/bin/env bash
# Set-up on a fresh Debian machine, then the main job: installs what is missing with apt-get,
# configures and builds simhost and the three vessel modules, and flies the bundled default
# scenario. Safe to run again: installed packages are skipped and the build is incremental.
#
#   tools/setup.sh [simhost run options...]
#   tools/setup.sh --packages-only             only install what is missing
#
# Environment: BUILD_DIR (default build), JOBS (default 2), OUT_DIR (default BUILD_DIR/out) for
# the run's report, flight log, HUD and saved scenario.
set -euo pipefail

cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
JOBS=${JOBS:-2}
OUT_DIR=${OUT_DIR:-$BUILD_DIR/out}

PACKAGES=(cmake g++ clang libclang-rt-14-dev clang-format clang-tidy make libgtest-dev libbenchmark-dev
  libcli11-dev libfmt-dev nlohmann-json3-dev libcairo2-dev pkg-config gnuplot python3 nodejs npm chromium)

# A machine may carry Node.js from another repository, with npm bundled in it; Debian's npm
# conflicts with that nodejs, so working node and npm commands count as both packages installed.
have_node_and_npm() { command -v node >/dev/null && command -v npm >/dev/null; }

missing=()
for p in "${PACKAGES[@]}"; do
  if [[ $p == nodejs || $p == npm ]] && have_node_and_npm; then continue; fi
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  SUDO=()
  if [ "$(id -u)" -ne 0 ]; then SUDO=(sudo); fi
  "${SUDO[@]}" apt-get update
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
if [ "${1:-}" = --packages-only ]; then exit 0; fi

cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD_DIR" -j "$JOBS" --target simhost larkon orlis pelo_ring

mkdir -p "$OUT_DIR"
"$BUILD_DIR/bin/simhost" run --report "$OUT_DIR/report.json" --log "$OUT_DIR/flight_log.csv" \
  --save "$OUT_DIR/final.scn" --hud "$OUT_DIR/hud.txt" "$@"
echo "setup: report, flight log, HUD and final scenario in $OUT_DIR/"
