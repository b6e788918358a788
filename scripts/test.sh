#!/usr/bin/env bash
# Builds and runs every test: native unit tests, the same under sanitizers, the Windows build,
# then the Wine stage (the real Brightfold.scr under Wine and Xvfb). Installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

# Each stage's time is printed at the end (also when a stage fails), so a slow stage shows.
stage_names=()
stage_seconds=()
stage_started=$SECONDS
stage_close() {
  if ((${#stage_names[@]} > 0)); then
    stage_seconds+=($((SECONDS - stage_started)))
  fi
}
stage() {
  stage_close
  stage_names+=("$*")
  stage_started=$SECONDS
  printf '\n== %s ==\n' "$*"
}
stage_report() {
  local status=$?
  stage_close
  printf '\n== Stage times ==\n'
  local i
  for i in "${!stage_names[@]}"; do
    printf '%6ds  %s\n' "${stage_seconds[$i]}" "${stage_names[$i]}"
  done
  printf '%6ds  total\n' "$SECONDS"
  return $status
}
trap stage_report EXIT

stage "Packages"
./scripts/setup.sh

stage "Native build and unit tests"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

stage "Native unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset asan >/dev/null
# Only what the tests run: the unit tests and the zen tool they drive (no content, no programs).
cmake --build --preset asan --target zen_tests
ctest --preset asan

stage "Fuzz targets over their seed corpora (regression run, no new inputs)"
./scripts/fuzz.sh --corpus-only

stage "Windows build"
# The pictures of the program's resources are drawn by the native zen just built.
cmake --preset windows -DZEN_HOST_ZEN="$PWD/build/native/tools/zen" >/dev/null
cmake --build --preset windows

stage "Wine stage: Brightfold.scr under Wine and Xvfb"
BRIGHTFOLD_WINDOWS_BUILD="$PWD/build/windows" python3 -m unittest discover -s tests/wine -p 'test_*.py' -v
