#!/usr/bin/env bash
# Installs, from Debian's packages only, what building and testing tq310-test needs; with
# --ship also what building and proving its package and the Windows check need; with --fuzz also
# clang and its runtime, which scripts/fuzz.sh needs; with --coverage also gcovr, which
# scripts/coverage.sh needs.
# Packages already present are left alone, so a second run costs a few seconds.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-svg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-dejavu-core
  qt6-translations-l10n              # Qt's own dialogs in Italian (qtbase_it.qm)
)
if [ "${1:-}" = "--ship" ]; then
  packages+=(
    dpkg-dev file                      # cpack -G DEB and its dpkg-shlibdeps
    desktop-file-utils appstream       # validators of the desktop entry and the AppStream file
    groff-base gzip                    # the manual pages' check
    g++-mingw-w64-x86-64-posix         # the Windows check
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
