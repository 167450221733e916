#!/usr/bin/env bash
# Series programming measured: tq310-cli write --commit (the backup read, the write, the read-back,
# the commit) on N = 1, 8 and 32 simulated controllers at once, on pseudo-terminals and on TCP on
# the loopback address (one tq310-sim --controllers N [--listen 0] each time), every run R times.
# For each kind of line and N it prints the medians of: the wall time and its ratio to one
# controller, the CPU (user + system) of the tq310-cli process per controller, its peak resident
# memory and what each controller beyond the first adds to it; and whether every controller
# received byte for byte what the run on one controller (one --port) sent (tq310-sim
# --record-host). Figures for bench/README.md, not a test: on a shared machine they move with
# the load.
#
#   bench/series.sh [--build DIR] [--repeat R]
#
# Needs /usr/bin/time (Debian: time, which scripts/setup.sh installs).
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build"
repeat=3
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build="$2"; shift ;;
    --repeat) repeat="$2"; shift ;;
    -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
cli="$build/cli/tq310-cli"
sim="$build/sim/tq310-sim"
for program in "$cli" "$sim" /usr/bin/time; do
  [ -x "$program" ] || { echo "missing: $program" >&2; exit 1; }
done

work="$(mktemp -d)"
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export TQ310_PORT_ALIASES="$work/aliases" TQ310_BACKUPS="$work/backups"
"$cli" read --port sim --no-backup "$work/set.ini" >/dev/null

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# One run on n controllers: prints "wall user system peak-KiB same" (same: how many controllers
# heard exactly the reference's bytes; the first run on one controller makes the reference).
run() {
  local kind="$1" n="$2" listen=() ports=() k
  [ "$kind" = tcp ] && listen=(--listen 0)
  rm -rf "$work/heard" && mkdir "$work/heard"
  coproc SIM { exec "$sim" --controllers "$n" "${listen[@]}" --record-host "$work/heard"; }
  sim_pid=$SIM_PID
  while [ ${#ports[@]} -lt "$n" ] && read -r line <&"${SIM[0]}"; do
    case "$line" in "Simulated TQ310 on "*) ports+=("${line#Simulated TQ310 on }") ;; esac
  done
  if [ "$n" = 1 ]; then
    where=(--port "${ports[0]}")
  else
    printf '%s\n' "${ports[@]}" >"$work/ports"
    where=(--ports-from "$work/ports")
  fi
  # Bash's clock for the times (to the millisecond; they include GNU time's own, about 1 ms of
  # CPU), GNU time for the peak resident memory.
  local TIMEFORMAT='%3R %3U %3S'
  { time /usr/bin/time -f '%M' -o "$work/peak" "$cli" write "${where[@]}" "$work/set.ini" --commit >"$work/out" \
      || { echo "tq310-cli write failed on $kind x $n:" >&2; cat "$work/out" >&2; exit 1; }; } 2>"$work/time"
  kill "$sim_pid"; wait "$sim_pid" 2>/dev/null || true; sim_pid=""
  [ -f "$work/reference" ] || cp "$work/heard/host-1.bin" "$work/reference"
  local same=0
  for k in $(seq 1 "$n"); do
    cmp -s "$work/reference" "$work/heard/host-$k.bin" && same=$((same + 1))
  done
  echo "$(cat "$work/time") $(cat "$work/peak") $same"
}

echo "series, $(date -u +%Y-%m-%d) on $(nproc) cores ($(uname -m)), load $(cut -d' ' -f1-3 /proc/loadavg)," \
  "commit $(git -C "$here" rev-parse --short HEAD 2>/dev/null || echo unknown), $repeat runs each"
printf '%-4s %11s %8s %6s %15s %13s %16s %s\n' line controllers "wall s" ratio "CPU ms/contr." "peak RSS MiB" \
  "KiB/more contr." "same bytes"
for kind in pty tcp; do
  for n in 1 8 32; do
    : >"$work/runs"
    for _ in $(seq 1 "$repeat"); do run "$kind" "$n" >>"$work/runs"; done
    wall=$(cut -d' ' -f1 "$work/runs" | median)
    cpu=$(awk '{ print ($2 + $3) * 1000 }' "$work/runs" | median)
    peak=$(cut -d' ' -f4 "$work/runs" | median)
    same=$(cut -d' ' -f5 "$work/runs" | sort -g | head -1)
    if [ "$n" = 1 ]; then
      one_wall=$wall; one_peak=$peak; more="-"
    else
      more=$(awk -v p="$peak" -v o="$one_peak" -v n="$n" 'BEGIN { printf "%.0f", (p - o) / (n - 1) }')
    fi
    printf '%-4s %11s %8.2f %6.2f %15.1f %13.1f %16s %s\n' "$kind" "$n" "$wall" \
      "$(awk -v w="$wall" -v o="$one_wall" 'BEGIN { print w / o }')" \
      "$(awk -v c="$cpu" -v n="$n" 'BEGIN { print c / n }')" "$(awk -v p="$peak" 'BEGIN { print p / 1024 }')" \
      "$more" "$same of $n"
  done
done
