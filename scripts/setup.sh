#!/usr/bin/env bash
# Installs, from Debian's packages only, what building and testing tq310-test needs; with
# --ship also what building and proving its package need; with --windows what cross-building it for
# Windows and testing that build under Wine need (scripts/windows.sh); with --fuzz also clang and
# its runtime, which scripts/fuzz.sh needs; with --coverage also gcovr, which scripts/coverage.sh
# needs.
# Packages already present are left alone, so a second run costs a few seconds.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-svg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-dejavu-core
  qt6-translations-l10n              # Qt's own dialogs in Italian (qtbase_it.qm)
  time                               # bench/series.sh: the peak memory of tq310-cli
)
if [ "${1:-}" = "--ship" ]; then
  packages+=(
    dpkg-dev file                      # cpack -G DEB and its dpkg-shlibdeps
    desktop-file-utils appstream       # validators of the desktop entry and the AppStream file
    groff-base gzip                    # the manual pages' check
  )
elif [ "${1:-}" = "--windows" ]; then
  packages+=(
    g++-mingw-w64-x86-64-posix ninja-build   # the cross compiler (Qt for Windows: ../shared/windows)
    googletest                               # GoogleTest's sources, built for Windows
    wine64                                   # runs the Windows programs and tests
    nsis                                     # the setup program (cpack -G NSIS)
    librsvg2-bin icoutils                    # the program's icon, drawn from its SVG
    qt6-translations-l10n                    # Qt's own Italian texts, installed beside the program
    socat xz-utils                           # a serial line to Wine's COM port; unpacking the SDK
  )
elif [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang libclang-rt-14-dev)   # libFuzzer and clang's sanitizer runtime
elif [ "${1:-}" = "--coverage" ]; then
  packages+=(gcovr)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
