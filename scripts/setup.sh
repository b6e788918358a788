#!/usr/bin/env bash
# Installs every Debian package the build and the tests need, only when missing; quiet when
# nothing is missing. Uses sudo when not run as root. Safe to run again.
set -euo pipefail

packages=(
  # Native build, tests, benchmarks, fuzzing
  cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg62-turbo-dev libstb-dev python3 pkg-config ccache
  # Encoders: the scene's synthesised sounds (the content tool) and the decoder tests' files
  libvorbis-dev lame
  # The messages' texture font is rasterised from DejaVu Sans
  fonts-dejavu-core
  # Windows build
  mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 dpkg-dev
  # Running and looking at the Windows build
  wine wine64 xvfb xauth x11-utils xdotool imagemagick
  # An independent RAR reader to check the archives we write
  unar
)

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"

# Source packages: the Windows build compiles libjpeg-turbo from Debian's source package
# (cmake/DebianJpeg.cmake), so apt needs deb-src twins of the system's binary entries.
if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  echo "setup: enabling deb-src entries for apt"
  if [[ -f /etc/apt/sources.list.d/debian.sources ]]; then
    sed -E 's/^Types:.*$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      $sudo tee /etc/apt/sources.list.d/brightfold-deb-src.sources >/dev/null
  else
    sed -nE 's/^deb (.*)$/deb-src \1/p' /etc/apt/sources.list |
      $sudo tee /etc/apt/sources.list.d/brightfold-deb-src.list >/dev/null
  fi
  $sudo apt-get update -qq
fi

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if ((${#missing[@]} > 0)); then
  echo "setup: installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
