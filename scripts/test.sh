#!/usr/bin/env bash
# Builds and runs every test: native unit tests, the same under sanitizers, the Windows build,
# then the Wine stage (the real Brightfold.scr under Wine and Xvfb). Installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

stage() { printf '\n== %s ==\n' "$*"; }

./scripts/setup.sh

stage "Native build and unit tests"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

stage "Native unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

stage "Fuzz targets over their seed corpora (regression run, no new inputs)"
./scripts/fuzz.sh --corpus-only

stage "Windows build"
# The pictures of the program's resources are drawn by the native zen just built.
cmake --preset windows -DZEN_HOST_ZEN="$PWD/build/native/tools/zen" >/dev/null
cmake --build --preset windows

stage "Wine stage: Brightfold.scr under Wine and Xvfb"
BRIGHTFOLD_WINDOWS_BUILD="$PWD/build/windows" python3 -m unittest discover -s tests/wine -p 'test_*.py' -v
