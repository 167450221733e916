#!/usr/bin/env bash
# CI, after the Linux steps: the Windows programs from a clean tree. Cross-builds tq310-test.exe,
# tq310-cli.exe and the tests for Windows x86-64 against Qt for Windows (the SDK in
# ../shared/windows, unpacked into the build folder), runs the tests under Wine, has both programs
# read, write and commit over a network line from the Linux tq310-sim (built into BUILD_DIR,
# build/), shows what the port chooser lists under Wine, makes the setup program and the zip,
# installs the setup program silently under Wine, runs the installed program and uninstalls it.
# Usage: scripts/windows.sh [ctest arguments]   (WIN_BUILD_DIR: the build folder, build-win/;
# TQ_WINDOWS_SDK: the SDK's tarball)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh" --windows
build="${WIN_BUILD_DIR:-$here/build-win}"
sdk="${TQ_WINDOWS_SDK:-$here/../shared/windows/qt-6.4.2-mingw64.tar.xz}"
version=$(sed -n 's/^project(tq310-test VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
started=$SECONDS
step() { echo "== $* ($((SECONDS - started)) s)"; }
fail() { echo "windows: $*" >&2; exit 1; }

step "Qt for Windows"
qt="$build/qt6-mingw"
if [ ! -f "$qt/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
  [ -f "$sdk" ] || fail "the Qt SDK for Windows is not at $sdk (TQ_WINDOWS_SDK names it)"
  mkdir -p "$build"
  unpack_start=$(date +%s%N)
  tar -xJf "$sdk" -C "$build"
  echo "unpacked $(basename "$sdk") ($(du -sm "$sdk" | cut -f1) MB) into $(du -sm "$qt" | cut -f1) MB" \
    "in $(( ($(date +%s%N) - unpack_start) / 1000000 )) ms"
fi

step "build"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >/dev/null
cmake --build "$build" -j"$(nproc)"

# One X display and one Wine server for every Windows program of the run.
step "Wine"
run="$build/run"
rm -rf "$run" && mkdir -p "$run"
mkfifo "$run/display"
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$run/display" 2>/dev/null &
xvfb=$!
socat_pid="" sim_pids=""
export WINEPREFIX="$build/wine-prefix" WINEDEBUG=-all
wine="$build/wine-run"
wineserver=/usr/lib/wine/wineserver
cleanup() {
  $wineserver -k 2>/dev/null || true
  kill "$xvfb" $socat_pid $sim_pids 2>/dev/null || true
}
trap cleanup EXIT
read -r display <"$run/display"
export DISPLAY=":$display"
"$wine" "$build/cli/tq310-cli.exe" --version

step "tests under Wine"
# A test that fails runs once more: Wine's list of drives now and then leaves out a letter for one
# poll ("Read access denied for device Z:"), and the drive-letter case then sees no new drive.
(cd "$build" && ctest --output-on-failure --repeat until-pass:2 -j"$(nproc)" "$@")

step "Linux tq310-sim and tq310-cli"
linux="${BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$linux" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$linux" -j"$(nproc)" --target tq310-sim tq310-cli >/dev/null

step "network line under Wine"
# Under Wine 8 Qt's serial backend cannot read a COM port (tests/README.md); the Windows engine is
# proven on a network line instead, through Wine's sockets, against the Linux tq310-sim on loopback.
net="$run/network"
mkdir -p "$net"
export TQ310_PORT_ALIASES="$net/aliases" TQ310_BACKUPS="$net/backups"
simulate() {  # simulate NAME [tq310-sim option...]: a simulator on a loopback port, its line in $url
  local name=$1 log="$net/$1.log"
  shift
  : >"$log"
  "$linux/sim/tq310-sim" --listen 0 --alias "$name" "$@" </dev/null >"$log" 2>&1 &
  local pid=$!
  sim_pids+=" $pid"
  until url=$(sed -n 's/^Simulated TQ310 on //p' "$log") && [ -n "$url" ]; do
    kill -0 "$pid" 2>/dev/null || fail "tq310-sim $* did not start: $(cat "$log")"
    sleep 0.1
  done
}
# Both programs are given file names relative to $net, as a user types them.
linux_read() {  # linux_read FILE: the Linux tq310-cli reads $url into FILE; the CRC it names in $crc
  crc=$(cd "$net" && "$linux/cli/tq310-cli" read --port "$url" "$1" | sed -n 's/^device CRC \([0-9-]*\) .*/\1/p') \
    && [ -n "$crc" ] || fail "the Linux tq310-cli read over $url failed"
}
windows_cli() { (cd "$net" && "$wine" "$build/cli/tq310-cli.exe" "$@" --port "$url") >"$net/cli.log" 2>&1; }
tool_says() {  # tool_says CRC: the tool, on Qt's Windows platform, reads $url and prints "CRC Chip "
  local said
  said=$(env -u QT_QPA_PLATFORM "$wine" "$build/app/tq310-test.exe" --port "$url" --quit-after-read | tr -d '\r') \
    && [ "$said" = "$1 Chip " ] || fail "tq310-test.exe --port $url said \"$said\", not \"$1 Chip \""
  echo "tq310-test.exe --port $url --quit-after-read: $said"
}
same() { cmp "$net/$1" "$net/$2" || fail "$3: $1 and $2 differ"; }

simulate raw --eeprom "$net/eeprom.bin"
linux_read linux.ini
windows_cli read windows.ini || fail "tq310-cli.exe read over $url: $(cat "$net/cli.log")"
same linux.ini windows.ini "tq310-cli.exe read over $url"
echo "tq310-cli.exe read over $url: the parameter file byte for byte the Linux one (CRC $crc)"
tool_says "$crc"

# Parameter 9 and the second menu text changed, the text with a Latin-1 letter.
sed -e $'10s/.*/7\r/' -e $'57s/.*/VOCE \xe8 UNO\r/' "$net/linux.ini" >"$net/changed.ini"
windows_cli write changed.ini --commit || fail "tq310-cli.exe write --commit over $url: $(cat "$net/cli.log")"
# The commit is in the EEPROM when a new simulator, started from its file, gives the file back.
simulate telnet --rfc2217 --eeprom "$net/eeprom.bin"
linux_read committed-linux.ini
windows_cli read committed.ini || fail "tq310-cli.exe read over $url: $(cat "$net/cli.log")"
same changed.ini committed.ini "tq310-cli.exe write --commit, then read over $url"
same committed-linux.ini committed.ini "tq310-cli.exe read over $url"
echo "tq310-cli.exe write --commit: committed; read back over $url as written, byte for byte the Linux read (CRC $crc)"
tool_says "$crc"

simulate silent --fault silent
status=0
windows_cli read silent.ini || status=$?
[ "$status" = 4 ] && [ ! -e "$net/silent.ini" ] \
  || fail "tq310-cli.exe read from a silent controller over $url: status $status, not 4: $(cat "$net/cli.log")"
echo "tq310-cli.exe read from a silent controller over $url: status 4, no file"

# Series work: one run of tq310-cli.exe commits on four controllers at once.
simulate series --controllers 4
for _ in $(seq 50); do [ "$(grep -c '^Simulated TQ310 on ' "$net/series.log")" = 4 ] && break; sleep 0.1; done
sed -n 's/^Simulated TQ310 on //p' "$net/series.log" >"$net/series.txt"
(cd "$net" && "$wine" "$build/cli/tq310-cli.exe" write changed.ini --commit --ports-from series.txt) >"$net/cli.log" 2>&1 \
  && grep -q '^4 ports: 4 committed' "$net/cli.log" \
  || fail "tq310-cli.exe write --commit on four ports: $(cat "$net/cli.log")"
echo "tq310-cli.exe write --commit --ports-from: $(grep '^4 ports' "$net/cli.log" | tr -d '\r')"
kill $sim_pids
sim_pids=""

step "port chooser under Wine"
# Wine registers a COM port at the start of its server from HKLM\Software\Wine\Ports (and from
# /dev/ttyS*, ttyUSB*, ttyACM*); the chooser lists what Windows programs are told.
: >"$run/socat.log"
socat -d -d pty,raw,echo=0 pty,raw,echo=0 2>"$run/socat.log" &
socat_pid=$!
until grep -q "PTY is" "$run/socat.log"; do sleep 0.1; done
pty=$(sed -n 's/.*PTY is //p' "$run/socat.log" | head -n 1)
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$pty" /f >/dev/null
$wineserver -k; $wineserver -w
ports=$("$wine" "$build/cli/tq310-cli.exe" ports)
echo "$ports"
echo "$ports" | grep -q $'^5\tPorta seriale (COM5)\t' || fail "the chooser does not list COM5 ($pty)"

step "setup program and zip"
rm -f "$build"/tq310-test-*-win64.{exe,zip}
(cd "$build" && cpack -G NSIS >/dev/null && cpack -G ZIP >/dev/null)
setup="$build/tq310-test-$version-win64.exe"
zip="$build/tq310-test-$version-win64.zip"
[ -f "$setup" ] && [ -f "$zip" ] || fail "cpack made no tq310-test-$version-win64.exe and .zip"
echo "$(basename "$setup"): $(stat -c %s "$setup") bytes; $(basename "$zip"): $(stat -c %s "$zip") bytes"
files=$(cmake -E tar tf "$zip" | sed -n 's|^[^/]*/||p' | grep -v '/$' | sort)
echo "$files" | tr '\n' ' '; echo
for needed in tq310-test.exe tq310-cli.exe Qt6Core.dll Qt6Widgets.dll Qt6Network.dll Qt6SerialPort.dll libstdc++-6.dll \
    platforms/qwindows.dll styles/qwindowsvistastyle.dll translations/qtbase_it.qm; do
  echo "$files" | grep -qx "$needed" || fail "the zip lacks $needed"
done
stray=$(echo "$files" | grep -iE 'test_|fuzz_|gtest|gmock|qoffscreen|\.a$' || true)
[ -z "$stray" ] || fail "files a user does not need in the zip: $stray"

step "setup program under Wine"
installed="$WINEPREFIX/drive_c/Program Files/tq310-test"
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
entry() { find "$start_menu" -name "Test per TQ310.lnk"; }
"$wine" "$setup" /S
$wineserver -w
[ -f "$installed/tq310-test.exe" ] || fail "the setup program installed nothing into Program Files\\tq310-test"
[ -n "$(entry)" ] || fail "no Start-menu entry \"Test per TQ310\""
[ "$(cd "$installed" && find . -type f ! -name Uninstall.exe | sed 's|^\./||' | sort)" = "$files" ] \
  || fail "the setup program installed other files than the zip holds"
said=$("$wine" "$installed/tq310-test.exe" --version | tr -d '\r')
[ "$said" = "tq310-test $version" ] || fail "the installed tq310-test.exe --version says \"$said\""
# On the Windows platform of Qt, with Wine's window system: the installed tool reads the simulated
# controller and ends.
crc=$(env -u QT_QPA_PLATFORM "$wine" "$installed/tq310-test.exe" --port sim --quit-after-read | tr -d '\r') \
  || fail "the installed tool did not read the simulated controller"
echo "installed tq310-test.exe $version read the simulated controller: CRC $crc"
"$wine" "$installed/Uninstall.exe" /S
$wineserver -w
[ ! -e "$installed" ] && [ -z "$(entry)" ] || fail "the uninstaller left the program or its Start-menu entry"
echo "uninstalled"

step "done"
