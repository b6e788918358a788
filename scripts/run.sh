#!/usr/bin/env bash
# Builds Brightfold.scr and runs it full screen (/s) under Wine. With a display it runs there
# until a key or click ends it; without one it runs under Xvfb for a few seconds and saves its
# log and screenshots into a folder (printed at the end). Extra arguments replace "/s".
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
# The native zen draws the pictures the Windows build carries.
cmake --preset native >/dev/null
cmake --build --preset native --target zen
cmake --preset windows -DZEN_HOST_ZEN="$PWD/build/native/tools/zen" >/dev/null
cmake --build --preset windows

switches=("$@")
[[ ${#switches[@]} -gt 0 ]] || switches=(/s)

if [[ -n "${DISPLAY:-}" && -z "${BRIGHTFOLD_HEADLESS:-}" ]]; then
  exec python3 scripts/run_headless.py --build build/windows --display "$DISPLAY" -- "${switches[@]}"
fi

exec python3 scripts/run_headless.py --build build/windows --seconds "${BRIGHTFOLD_SECONDS:-8}" -- "${switches[@]}"
