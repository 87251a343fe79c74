#!/usr/bin/env bash
# The house style on what a change touches: clang-format (.clang-format) on the changed lines and
# clang-tidy (.clang-tidy) on the changed C++ sources, against the build's compile database.
#
#   tools/lint_changed.sh [BASE]     BASE: default the merge base with origin/main, or the parent
#                                    of HEAD when HEAD is origin/main or there is no origin/main
#                                    (a clean clone in CI)
#
# A shallow clone that lacks HEAD's parent fetches it from origin (best effort); with no earlier
# commit at all there is nothing to compare with, and the check passes.
#
# Environment: BUILD_DIR (default build; configured with CMAKE_EXPORT_COMPILE_COMMANDS=ON).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}

has_parent() { git rev-parse -q --verify 'HEAD~1^{commit}' >/dev/null; }

base=${1:-}
if [ -z "$base" ]; then
  upstream=$(git merge-base HEAD origin/main 2>/dev/null || true)
  if [ -n "$upstream" ] && [ "$upstream" != "$(git rev-parse HEAD)" ]; then
    base=$upstream
  else
    if ! has_parent && [ "$(git rev-parse --is-shallow-repository)" = true ] &&
      git remote get-url origin >/dev/null 2>&1; then
      GIT_TERMINAL_PROMPT=0 timeout 120 git fetch --quiet --deepen=1 origin >/dev/null 2>&1 || true
    fi
    if has_parent; then
      base=HEAD~1
    else
      echo "lint: no earlier commit to compare with; nothing to check"
      exit 0
    fi
  fi
fi
for tool in git-clang-format clang-tidy; do
  command -v "$tool" >/dev/null || { echo "lint: $tool is not installed (tools/setup.sh installs it)" >&2; exit 2; }
done

status=0
echo "== lint: clang-format on the lines changed since $(git rev-parse --short "$base")"
format=$(git clang-format --quiet --diff --extensions cpp,h "$base" -- host booster satellite dispenser common sdk \
  tests bench examples 2>&1 || true)
if [ -n "$format" ] && ! grep -q -E "^no modified files|did not modify any files" <<<"$format"; then
  echo "$format"
  echo "lint: changed lines are not formatted; run: git clang-format $base" >&2
  status=1
fi

mapfile -t sources < <(git diff --name-only --diff-filter=AM "$base" -- '*.cpp' | grep -v -E '^tests/fuzz/corpus/' || true)
if ((${#sources[@]})); then
  [ -f "$BUILD_DIR/compile_commands.json" ] || {
    echo "lint: $BUILD_DIR/compile_commands.json is missing (configure with -DCMAKE_EXPORT_COMPILE_COMMANDS=ON)" >&2
    exit 2
  }
  echo "== lint: clang-tidy on ${#sources[@]} changed source files"
  for f in "${sources[@]}"; do
    grep -q "\"file\": \".*/$f\"" "$BUILD_DIR/compile_commands.json" || continue  # not built here
    clang-tidy --quiet -p "$BUILD_DIR" "$f" 2>/dev/null || { echo "lint: clang-tidy: $f" >&2; status=1; }
  done
fi
((status == 0)) && echo "== lint: clean"
exit "$status"
