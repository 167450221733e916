#!/usr/bin/env bash
# CI, after scripts/test.sh: the Debian package built, listed, installed
# on this machine with apt-get, its programs run from where the package put them (the tool
# started as its desktop entry starts it, on Qt's offscreen platform, reading the simulated
# controller), and its desktop files validated. The package is removed again at the end.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
"$here/scripts/setup.sh" --ship
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
started=$SECONDS
step() { echo "== $* ($((SECONDS - started)) s)"; }
fail() { echo "ci-ship: $*" >&2; exit 1; }

step "package"
cmake -S "$here" -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target tq310-test tq310-sim
rm -f "$build"/tq310-test_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/tq310-test_*_*.deb)
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"
dpkg-deb --field "$deb" Package Version Architecture Depends
listing=$(dpkg -c "$deb")
echo "$listing"
files=$(echo "$listing" | awk '$1 !~ /^d/ { print $6 }')
# Nothing a user does not need: every program has its manual page, and nothing else is there.
while read -r program; do
  grep -qx "./usr/share/man/man1/$program.1.gz" <<<"$files" || fail "$program has no manual page in the package"
done < <(echo "$files" | sed -n 's|^\./usr/bin/||p')
stray=$(echo "$files" | grep -vE '^\./usr/(bin/[^/]+|share/(man/man1/[^/]+\.1\.gz|applications/[^/]+\.desktop|icons/hicolor/scalable/apps/[^/]+\.svg|metainfo/[^/]+\.metainfo\.xml|tq310-test/manuale/([^/]+\.md|img/[^/]+\.png)))$' || true)
[ -z "$stray" ] || fail "files a user does not need in the package: $stray"
# The user manual with all its pictures, where the help window looks for it.
while read -r page; do
  grep -qx "./usr/share/tq310-test/manuale/$page" <<<"$files" || fail "the manual's $page is not in the package"
done < <(cd "$here/docs/manuale" && find . -type f | sed 's|^\./||')

step "install"
trap '$sudo apt-get purge -y -qq tq310-test >/dev/null 2>&1 || true' EXIT
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq -o DPkg::Lock::Timeout=300 "$deb" >/dev/null

step "installed programs"
version=$(sed -n 's/^project(tq310-test VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/tq310-test --version)" = "tq310-test $version" ] \
  || fail "tq310-test --version does not say $version"
# Read in full before it is looked at: a reader that stops early would end the program with SIGPIPE.
sim_help=$(/usr/bin/tq310-sim --help)
echo "${sim_help%%$'\n'*}"
grep -q -- '--eeprom <file>' <<<"$sim_help" || fail "tq310-sim --help lists no options"
# The command of the desktop entry, with the installation check's test hook: it reads the
# parameters of the simulated controller inside the tool and ends.
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/com.kelvora.tq310test.desktop)
crc=$(cd /tmp && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
  $exec_line -platform offscreen --port sim --quit-after-read 2>/dev/null) \
  || fail "the installed tool did not read the simulated controller (status $?)"
echo "installed tq310-test, started as \"$exec_line\", read the simulated controller: CRC $crc"

step "desktop entry, AppStream file, manual pages"
desktop-file-validate /usr/share/applications/com.kelvora.tq310test.desktop
appstreamcli validate --no-net /usr/share/metainfo/com.kelvora.tq310test.metainfo.xml
for page in /usr/share/man/man1/tq310-*.1.gz; do
  warnings=$(zcat "$page" | groff -man -ww -z -Tutf8 2>&1)
  [ -z "$warnings" ] || fail "$page: $warnings"
done

step "done"
