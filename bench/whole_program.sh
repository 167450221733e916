#!/usr/bin/env bash
# The whole-program benchmark: tq310-test as a user runs it, under Xvfb, connected through a port
# alias to one end of a socat pseudo-terminal pair, while a feeder writes controller-like text
# into the other end. With --peer the same run measures Debian's cutecom, a common Qt serial
# terminal, on the same kind of line with the same feed, and prints the ratios tool/peer.
# Figures for the README, not a test: on a shared machine they move with the load.
#
#   bench/whole_program.sh [--peer] [--build DIR] [--rest S] [--paced S] [--flood S]
#
# Needs, besides the build (whose bench/ holds xprobe when libxtst-dev was there at configure):
#   apt-get install xvfb socat libxtst-dev        and for --peer:  apt-get install cutecom
#
# What it measures, per program:
#   start-up     from exec to the first window mapped (the chooser; the peer's main window), wall
#                time and the CPU the process used by then
#   resident     VmRSS when that window is mapped, and connected at rest a few seconds later
#   wake-ups     the main thread's voluntary context switches per second, connected, at rest
#   paced        CPU of the whole process while 960 B/s of text lines arrive (9600 baud, full)
#   flood        text as fast as the line takes it: CPU, bytes taken, resident growth (measured
#                2 s after the flood), and the window's response: round trips of a
#                window-manager ping through the program's event loop every 100 ms (p50, p95)
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build"
peer=0
rest=10
paced=60
flood=30
while [ $# -gt 0 ]; do
  case "$1" in
    --peer) peer=1 ;;
    --build) build="$2"; shift ;;
    --rest) rest="$2"; shift ;;
    --paced) paced="$2"; shift ;;
    --flood) flood="$2"; shift ;;
    -h|--help) sed -n '2,24p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

probe="$build/bench/xprobe"
shim="$build/bench/modem_lines_shim.so"
tool="$build/app/tq310-test"
missing=()
for c in Xvfb socat; do command -v "$c" >/dev/null || missing+=("$c"); done
[ -x "$probe" ] || missing+=("$probe (configure with libxtst-dev installed, then build the xprobe target)")
[ -x "$tool" ] || missing+=("$tool (build the project)")
if [ "$peer" = 1 ]; then
  command -v cutecom >/dev/null || missing+=(cutecom)
  [ -f "$shim" ] || missing+=("$shim (build the modem_lines_shim target)")
fi
if [ ${#missing[@]} -gt 0 ]; then
  printf 'missing: %s\n' "${missing[@]}" >&2
  exit 1
fi

work="$(mktemp -d)"
xvfb_pid=""
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

field() { sed -n "s/.*\b$1=\([^ ]*\).*/\1/p" <<<"$2"; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
# utime + stime of every thread, dead ones included, in ms (clock ticks of 10 ms).
cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{print ($14 + $15) * 1000 / hz}' "/proc/$1/stat"; }
wakeups() { awk '/^voluntary_ctxt_switches:/ {print $2}' "/proc/$1/task/$1/status"; }
holds_line() { ls -l "/proc/$1/fd" 2>/dev/null | grep -q -- "-> $2\$"; }

declare -A figure

# Runs one program through the whole sequence; $1 is tool or peer.
measure() {
  local who="$1"
  rm -f "$work/line" "$work/feed"
  socat pty,raw,echo=0,link="$work/line" pty,raw,echo=0,link="$work/feed" 2>"$work/socat.log" &
  local socat_pid=$!
  pids+=("$socat_pid")
  for _ in $(seq 100); do [ -e "$work/line" ] && [ -e "$work/feed" ] && break; sleep 0.05; done
  local pty
  pty="$(readlink "$work/line")"

  local out pid win main
  if [ "$who" = tool ]; then
    mkdir -p "$work/aliases" "$work/home-tool"
    ln -sfn "$pty" "$work/aliases/banco"
    out="$(HOME="$work/home-tool" TQ310_PORT_ALIASES="$work/aliases" \
      "$probe" start "CONNESSIONE" "$work/tool.log" "$tool")"
    pid="$(field pid "$out")"; win="$(field window "$out")"
    pids+=("$pid")
    figure[$who,rss_start]="$(rss_kb "$pid")"
    # The alias is the last entry but one: focus the list on its empty part, highlight the
    # alias from the keyboard, then click it as a user would.
    "$probe" click "$win" 210 240
    for key in Down End Up; do "$probe" keys "$win" "$key"; sleep 0.2; done
    "$probe" click-selected "$win" 390
    main="$("$probe" wait "Test per TQ310" 20)"
  else
    mkdir -p "$work/home-peer/.config/CuteCom"
    cat >"$work/home-peer/.config/CuteCom/CuteCom5.conf" <<EOF
[sessions]
1\\BaudRate=9600
1\\DataBits=8
1\\Device=$pty
1\\FlowControl=0
1\\OpenMode=3
1\\Parity=0
1\\StopBits=1
1\\autoReconnect=false
1\\name=Default
1\\showCtrlCharacters=false
1\\showTimestamp=false
size=1
EOF
    out="$(HOME="$work/home-peer" QT_XCB_GL_INTEGRATION=none LD_PRELOAD="$shim" \
      "$probe" start "CuteCom" "$work/peer.log" cutecom)"
    pid="$(field pid "$out")"; win="$(field window "$out")"; main="$win"
    pids+=("$pid")
    figure[$who,rss_start]="$(rss_kb "$pid")"
    "$probe" keys "$win" "Alt_L+o"
  fi
  figure[$who,map_ms]="$(field map_ms "$out")"
  figure[$who,start_cpu_ms]="$(field cpu_ms "$out")"
  for _ in $(seq 100); do holds_line "$pid" "$pty" && break; sleep 0.1; done
  holds_line "$pid" "$pty" || { echo "$who did not open $pty" >&2; exit 1; }

  sleep 3
  figure[$who,rss_idle]="$(rss_kb "$pid")"
  local w0 w1
  w0="$(wakeups "$pid")"; sleep "$rest"; w1="$(wakeups "$pid")"
  figure[$who,wakeups]="$(awk -v a="$w0" -v b="$w1" -v s="$rest" 'BEGIN {printf "%.1f", (b - a) / s}')"

  local c0 c1
  c0="$(cpu_ms "$pid")"
  out="$("$probe" feed "$work/feed" 960 "$paced")"
  c1="$(cpu_ms "$pid")"
  figure[$who,paced_cpu_ms]="$(awk -v a="$c0" -v b="$c1" 'BEGIN {print b - a}')"
  figure[$who,paced_bytes]="$(field bytes "$out")"
  sleep 2

  local r0 r1
  r0="$(rss_kb "$pid")"; c0="$(cpu_ms "$pid")"
  "$probe" ping "$main" "$flood" 100 >"$work/ping.out" &
  local ping_pid=$!
  out="$("$probe" flood "$work/feed" "$flood")"
  c1="$(cpu_ms "$pid")"
  wait "$ping_pid"
  sleep 2
  r1="$(rss_kb "$pid")"
  figure[$who,flood_cpu_ms]="$(awk -v a="$c0" -v b="$c1" 'BEGIN {print b - a}')"
  figure[$who,flood_bytes]="$(field bytes "$out")"
  figure[$who,flood_growth_kb]="$((r1 - r0))"
  figure[$who,p50_ms]="$(field p50_ms "$(cat "$work/ping.out")")"
  figure[$who,p95_ms]="$(field p95_ms "$(cat "$work/ping.out")")"
  figure[$who,lost]="$(field lost "$(cat "$work/ping.out")")"

  kill "$pid" "$socat_pid" 2>/dev/null || true
  sleep 1
}

measure tool
[ "$peer" = 1 ] && measure peer

row() {  # label key scale unit
  local label="$1" key="$2" scale="$3"
  local t="${figure[tool,$key]}" p="${figure[peer,$key]:-}"
  if [ -n "$p" ]; then
    awk -v l="$label" -v t="$t" -v p="$p" -v s="$scale" 'BEGIN {
      r = (p == 0) ? (t == 0 ? "0/0" : "inf") : sprintf("%.2f", t / p)
      printf "| %-40s | %12.1f | %12.1f | %9s |\n", l, t / s, p / s, r }'
  else
    awk -v l="$label" -v t="$t" -v s="$scale" 'BEGIN { printf "| %-40s | %12.1f |\n", l, t / s }'
  fi
}
mb_per_s() { awk -v b="${figure[$1,flood_bytes]}" -v s="$flood" 'BEGIN {print b / s}'; }
for who in tool peer; do
  [ -n "${figure[$who,flood_bytes]:-}" ] || continue
  figure[$who,cpu_per_mb]="$(awk -v c="${figure[$who,flood_cpu_ms]}" -v b="${figure[$who,flood_bytes]}" \
    'BEGIN {print (b > 0) ? c / (b / 1e6) : 0}')"
  figure[$who,flood_rate]="$(mb_per_s "$who")"
done

echo "whole program, $(date -u +%Y-%m-%d) on $(nproc) cores, Xvfb, rest ${rest} s, paced ${paced} s at 960 B/s, flood ${flood} s"
if [ "$peer" = 1 ]; then
  echo "| figure                                   |         tool |         peer | tool/peer |"
  echo "|------------------------------------------|--------------|--------------|-----------|"
else
  echo "| figure                                   |         tool |"
  echo "|------------------------------------------|--------------|"
fi
row "start-up to first window, wall (ms)" map_ms 1
row "start-up to first window, CPU (ms)" start_cpu_ms 1
row "resident at start (MB)" rss_start 1024
row "resident connected at rest (MB)" rss_idle 1024
row "main-thread wake-ups at rest (/s)" wakeups 1
row "paced: CPU (ms)" paced_cpu_ms 1
row "flood: CPU (ms)" flood_cpu_ms 1
row "flood: bytes taken (kB/s)" flood_rate 1000
row "flood: CPU per MB taken (ms)" cpu_per_mb 1
row "flood: resident growth (MB)" flood_growth_kb 1024
row "flood: window response p50 (ms)" p50_ms 1
row "flood: window response p95 (ms)" p95_ms 1
row "flood: pings unanswered in 10 s" lost 1
