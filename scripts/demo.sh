#!/usr/bin/env bash
# Shows Vantle at work on a simulated phone: installs what is missing, builds, makes a fresh device, starts a
# private session bus and the shell, and sends the phone alerts of every kind.
#
# On a desktop (DISPLAY or WAYLAND_DISPLAY set, and a window opens there) the phone and its Settings
# application open in windows to be used with the mouse; the demo ends when the phone's window is closed.
# Otherwise, or with --pictures, it opens the panel by date and by application and writes pictures of each
# screen to FOLDER. Either way it stops everything it started.
# Usage: scripts/demo.sh [--pictures] [FOLDER]      (FOLDER: default ./vantle-pictures)
set -euo pipefail
cd "$(dirname "$0")/.."
want_windows=true
if [ "${1:-}" = "--pictures" ]; then
  want_windows=false
  shift
fi
out=$(realpath -m "${1:-vantle-pictures}")
mkdir -p "$out"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  want_windows=false
fi

scripts/install-deps.sh
cmake --preset default > /dev/null
cmake --build --preset default -j "$(nproc)" --target springboard preferences sbctl vantle-device Vantle
bin=build/default

work=$(mktemp -d)
root=$work/device
shell_pid=
settings_pid=
bus_pid=
stop_shell() {
  if [ -n "$shell_pid" ]; then
    kill -TERM "$shell_pid" 2> /dev/null || true
    wait "$shell_pid" || { echo "demo: the shell did not stop cleanly; its log:" >&2; cat "$work/shell.err" >&2; }
    shell_pid=
  fi
}
stop_settings() {
  if [ -n "$settings_pid" ]; then
    kill -TERM "$settings_pid" 2> /dev/null || true
    wait "$settings_pid" || true # its window may have been closed by hand already
    settings_pid=
  fi
}
cleanup() {
  stop_settings
  stop_shell
  [ -z "$bus_pid" ] || kill "$bus_pid" 2> /dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$bin/tools/vantle-device/vantle-device" install --root "$root" > /dev/null
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<< "$bus")
bus_pid=$(sed -n 2p <<< "$bus")

preferences() { # KEY TYPE VALUE ... as the settings' property list; TYPE true or false takes an empty VALUE
  local body=
  while [ $# -gt 0 ]; do
    if [ -z "$3" ]; then body+="<key>$1</key><$2/>"; else body+="<key>$1</key><$2>$3</$2>"; fi
    shift 3
  done
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict>%s</dict></plist>\n' "$body" \
    > "$root/var/mobile/Library/Preferences/net.torvask.VantlePro.plist"
}
# A host in the background, waited for until it says it is ready: HOST NAME ARGUMENT...; its pid in
# started_pid. Fails (with the host's log on stderr) when the host does not get there.
start_host() {
  local host=$1 name=$2
  shift 2
  "$bin/hosts/$host/$host" --root "$root" "$@" > "$work/$name.out" 2> "$work/$name.err" &
  started_pid=$!
  for _ in $(seq 100); do
    grep -q "$host: ready" "$work/$name.out" && return 0
    kill -0 "$started_pid" 2> /dev/null || break
    sleep 0.1
  done
  kill -TERM "$started_pid" 2> /dev/null || true
  wait "$started_pid" || true
  echo "demo: $host did not start; its log:" >&2
  cat "$work/$name.err" >&2
  return 1
}
start_shell() {
  start_host springboard shell --scale 2 || exit 1
  shell_pid=$started_pid
}
sb() { "$bin/tools/sbctl/sbctl" "$@"; sb_idle; }
sb_idle() { "$bin/tools/sbctl/sbctl" idle; }
picture() { "$bin/tools/sbctl/sbctl" screenshot "$out/$1"; echo "  $out/$1  ($2)"; }
dismiss_pop_ups() {
  while ! "$bin/tools/sbctl/sbctl" state | grep -q '"alerts": \[\]'; do sb tap 160 275; done
}
open_panel() { sb drag 160 5 160 320 --steps 8; }
close_panel() { sb tap 160 440; }           # a tap on the bottom cap
toggle_actions() { sb tap 301 419; }       # the menu button at the panel's lower right

# The phone and its Settings application in windows, alerts of a few kinds already on it; the demo ends when the
# phone's window is closed (or on Ctrl-C).
show_windows() {
  preferences "Hide Read" false "" "Group By" string Date
  start_host springboard shell --scale 1 --window || return 1
  shell_pid=$started_pid
  sb missed-call --caller "Mom"
  sb unlock
  sb sms --sender "Anna" --text "Are we still on for lunch?"; dismiss_pop_ups
  sb calendar --title "Dentist" --location "Main St 12"; dismiss_pop_ups
  sb push --app com.apple.mobiletimer --body "Alarm" --local; dismiss_pop_ups
  sb battery --level 20; dismiss_pop_ups
  if start_host preferences settings --scale 1 --window; then
    settings_pid=$started_pid
  fi
  cat << 'END'
The phone is open in a window, and its Settings application beside it. The mouse is your finger:
  drag down from the status bar   the notification panel (a tap on its bottom bar closes it)
  H or Escape                     the home button       L   the lock button (on the lock screen it unlocks)
  arrow keys or R                 turn the phone        S   the app switcher
In Settings, Vantle's page changes how the panel lists notifications; Escape goes back.
END
  echo "Send the phone a text message from another terminal:"
  echo "  DBUS_SESSION_BUS_ADDRESS='$DBUS_SESSION_BUS_ADDRESS' $PWD/$bin/tools/sbctl/sbctl sms --sender Ada --text 'Dinner at 8?'"
  echo "Close the phone's window to end the demo."
  if ! wait "$shell_pid"; then
    echo "demo: the shell did not stop cleanly; its log:" >&2
    cat "$work/shell.err" >&2
  fi
  shell_pid=
}

if $want_windows; then
  show_windows && exit 0
  echo "demo: no window could be opened here; writing pictures instead"
fi

echo "Pictures:"
preferences "Hide Read" false "" "Group By" string Date
start_shell
sb missed-call --caller "Mom"
picture lock-screen.png "the lock screen; the missed call is in the log"

sb unlock
sb sms --sender "Anna" --text "Are we still on for lunch?"
picture home-screen-pop-up.png "a text message's pop-up on the home screen"
dismiss_pop_ups
sb calendar --title "Dentist" --location "Main St 12"; dismiss_pop_ups
sb push --app com.apple.mobiletimer --body "Alarm" --local; dismiss_pop_ups
sb battery --level 20; dismiss_pop_ups
sb disk-space; dismiss_pop_ups
sb voicemail; dismiss_pop_ups
sb now-playing --app com.apple.mobileipod --title "Clair de Lune" --artist "Debussy"

open_panel
close_panel                                 # everything shown now counts as read
sb sms --sender "Ben" --text "Running 10 minutes late, sorry!"; dismiss_pop_ups
sb push --app com.apple.mobilecal --body "Team meeting moved to 3 pm"; dismiss_pop_ups
open_panel
picture panel-by-date.png "the panel by date: new entries (blue dates) above read ones"
toggle_actions
picture panel-actions.png "the actions bar uncovered by the page curl"
toggle_actions
close_panel

sb rotate 3
sb activator libactivator.statusbar.swipe.down > /dev/null
picture panel-landscape.png "the panel in landscape"
sb activator libactivator.statusbar.swipe.down > /dev/null
sb rotate 1

stop_shell
preferences "Hide Read" false "" "Group By" string Application
start_shell
sb unlock
sb sms --sender "Anna" --text "See you at 1"; dismiss_pop_ups
open_panel
picture panel-by-application.png "the panel grouped by application"
toggle_actions
sb tap 160 244                              # Clear: the log is emptied and the panel closes
open_panel
picture panel-empty.png "the empty panel"
close_panel
stop_shell
echo "Done: $(ls "$out" | wc -l) pictures in $out"
