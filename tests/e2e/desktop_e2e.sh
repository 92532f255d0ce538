#!/bin/sh
# The real desktop binary under a virtual X server: a click on the face
# reaches the calculator and changes its display; a second copy brings the
# first to the front and exits while the first keeps running.
# usage: desktop_e2e.sh PATH/TO/vk2280     (run under xvfb-run)
set -u
BIN="$1"
WORK=$(mktemp -d)
trap 'kill $PID 2>/dev/null; rm -rf "$WORK"' EXIT
# The test suite runs with the offscreen platform; this one needs the X server.
unset QT_QPA_PLATFORM
export TMPDIR="$WORK" XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
DUMP="$WORK/lcd.txt"

fail() { echo "FAIL: $*"; exit 1; }

wait_for() {  # wait_for SECONDS COMMAND...
  t=$1; shift
  i=0
  while [ $i -lt $((t * 10)) ]; do "$@" && return 0; sleep 0.1; i=$((i + 1)); done
  return 1
}

# Without any display: help still prints, and a start says what is missing
# instead of aborting.
env -u DISPLAY -u WAYLAND_DISPLAY "$BIN" --help > "$WORK/help" 2>&1 || fail "--help needs no display"
grep -q -- "--flash" "$WORK/help" || fail "--help must list the options"
env -u DISPLAY -u WAYLAND_DISPLAY "$BIN" > /dev/null 2> "$WORK/err"
[ $? -eq 1 ] || fail "a start without a display must exit 1"
grep -q "no display" "$WORK/err" || fail "it must say there is no display: $(cat "$WORK/err")"
# Bad command lines end at once with a message, before any window.
QT_QPA_PLATFORM=offscreen "$BIN" --lcd-dump "$WORK/missing/dir/lcd.txt" > /dev/null 2> "$WORK/err"
[ $? -eq 2 ] || fail "an unwritable --lcd-dump must exit 2"
grep -q "cannot write" "$WORK/err" || fail "it must say which file: $(cat "$WORK/err")"
QT_QPA_PLATFORM=offscreen "$BIN" stray > /dev/null 2> "$WORK/err"
[ $? -eq 2 ] || fail "a stray argument must exit 2"

"$BIN" --lcd-dump "$DUMP" &
PID=$!
wait_for 20 test -s "$DUMP" || fail "the display was never drawn"
find_window() { WID=$(xdotool search --onlyvisible --name "vk2280 emulator" | head -1); [ -n "$WID" ]; }
if ! wait_for 30 find_window; then
  echo "windows on the display:"
  for w in $(xdotool search --name "" 2>/dev/null); do echo "  $w: $(xdotool getwindowname "$w")"; done
  fail "no window titled vk2280 emulator"
fi
cp "$DUMP" "$WORK/before.txt"

# The MENU key (176..215, 332..355) in window coordinates: the boot message
# gives way to the main menu.
xdotool mousemove --window "$WID" 195 340 click 1
wait_for 10 sh -c "! cmp -s '$DUMP' '$WORK/before.txt'" || fail "a click did not change the display"
DARK=$(tr -cd '#' < "$DUMP" | wc -c)
[ "$DARK" -gt 0 ] || fail "the display is blank"

# A second copy exits at once, without a window of its own.
timeout 10 "$BIN" --lcd-dump "$WORK/second.txt"
[ $? -eq 0 ] || fail "the second copy did not exit cleanly"
[ ! -e "$WORK/second.txt" ] || fail "the second copy drew a display"
kill -0 $PID 2>/dev/null || fail "the first copy ended"
COUNT=$(xdotool search --onlyvisible --name "vk2280 emulator" | wc -l)
[ "$COUNT" -eq 1 ] || fail "expected one window, found $COUNT"
echo "desktop e2e: ok ($DARK dark dots after the click)"
