#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs them.
#   scripts/fuzz.sh --corpus-only      every target over its seed corpus once (a regression run)
#   scripts/fuzz.sh [SECONDS] [NAME]   fuzz each target (or just NAME) for SECONDS (default 600)
#   scripts/fuzz.sh --write-scene-seeds  rewrites the object-record seeds of ReadObjectFuzz,
#                                        STRSceneCodecFuzz and ParticleSystemFuzz from the unit
#                                        tests' sample scenes, and a default record of every
#                                        registered class (after a change to what classes store)
# New inputs go to build/fuzz/found/<target>/; crashes are written to the current folder.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset fuzz >/dev/null
if [[ "${1:-}" == "--write-scene-seeds" ]]; then
  cmake --build --preset fuzz --target WriteSceneSeeds
  exec build/fuzz/tests/fuzz/WriteSceneSeeds tests/fuzz/corpus
fi
cmake --build --preset fuzz --target fuzzers

corpus_only=0
seconds=600
only=""
for arg in "$@"; do
  case "$arg" in
    --corpus-only) corpus_only=1 ;;
    [0-9]*) seconds="$arg" ;;
    *) only="$arg" ;;
  esac
done

shopt -s nullglob
targets=(build/fuzz/tests/fuzz/*Fuzz)
if ((${#targets[@]} == 0)); then
  echo "fuzz: no targets built" >&2
  exit 1
fi
for target in "${targets[@]}"; do
  name=$(basename "$target")
  [[ -z "$only" || "$only" == "$name" ]] || continue
  corpus="tests/fuzz/corpus/$name"
  mkdir -p "$corpus"
  if ((corpus_only)); then
    echo "fuzz: $name over $(find "$corpus" -type f | wc -l) seed inputs"
    if ! output=$("$target" -runs=0 "$corpus" 2>&1); then
      printf '%s\n' "$output" | tail -40
      echo "fuzz: $name failed on its seed corpus" >&2
      exit 1
    fi
  else
    found="build/fuzz/found/$name"
    mkdir -p "$found"
    echo "fuzz: $name for ${seconds}s"
    "$target" -max_total_time="$seconds" -print_final_stats=1 "$found" "$corpus"
  fi
done
