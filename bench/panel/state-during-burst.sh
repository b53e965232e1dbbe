#!/bin/bash
# The shell's answer time to `sbctl state` during a burst of plug-in records, with the panel closed and open:
# starts a fresh device, a private bus and the shell, posts BURST records with log_burst_client while sbctl
# asks for the state one call after another, and prints the burst's time, the answer times (median, p99,
# max) and the shell's peak memory.
#     bench/panel/state-during-burst.sh [BUILD_DIR] [BURST]   (BUILD_DIR: build/default)
set -u
build=${1:-build/default}
burst=${2:-10000}
work=$(mktemp -d)
bus_pid=
shell_pid=
cleanup() {
  [ -z "$shell_pid" ] || kill -TERM "$shell_pid" 2> /dev/null
  [ -z "$shell_pid" ] || wait "$shell_pid" 2> /dev/null
  [ -z "$bus_pid" ] || kill "$bus_pid" 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT
sbctl="$build/tools/sbctl/sbctl"

run_case() { # open|closed
  local panel=$1
  local root="$work/root-$panel"
  "$build/tools/vantle-device/vantle-device" install --root "$root" > /dev/null || exit 1
  local bus
  bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
  export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<< "$bus")
  bus_pid=$(sed -n 2p <<< "$bus")
  "$build/hosts/springboard/springboard" --root "$root" > "$work/shell.out" 2> "$work/shell.err" &
  shell_pid=$!
  for _ in $(seq 200); do grep -q "springboard: ready" "$work/shell.out" && break; sleep 0.05; done
  "$sbctl" unlock > /dev/null && "$sbctl" idle
  if [ "$panel" = open ]; then
    "$sbctl" activator libactivator.statusbar.swipe.down > /dev/null && "$sbctl" idle
  fi
  local start end peak=0 times="$work/times-$panel"
  : > "$times"
  start=$(date +%s.%N)
  "$build/bench/log_burst_client" "$burst" > "$work/client.out" &
  local client=$!
  while kill -0 "$client" 2> /dev/null; do
    local t0 t1 rss
    t0=$(date +%s%N)
    timeout 30 "$sbctl" state > /dev/null || echo "state failed" >&2
    t1=$(date +%s%N)
    echo $(( (t1 - t0) / 1000000 )) >> "$times"
    rss=$(awk '/VmHWM/ {print $2}' "/proc/$shell_pid/status" 2> /dev/null)
    [ -n "$rss" ] && [ "$rss" -gt "$peak" ] && peak=$rss
  done
  wait "$client"
  end=$(date +%s.%N)
  sort -n "$times" -o "$times"
  local n
  n=$(wc -l < "$times")
  printf '%-6s burst %.2f s, %s; state: %d calls, median %d ms, p99 %d ms, max %d ms; shell peak %d MB\n' "$panel" \
    "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')" "$(tail -n +2 "$work/client.out" | head -1)" "$n" \
    "$(sed -n "$(( (n + 1) / 2 ))p" "$times")" "$(sed -n "$(( (n * 99 + 99) / 100 ))p" "$times")" \
    "$(tail -1 "$times")" "$(( peak / 1024 ))"
  kill -TERM "$shell_pid"; wait "$shell_pid" 2> /dev/null; shell_pid=
  kill "$bus_pid"; bus_pid=
}
run_case closed
run_case open
