#!/bin/sh
# vk2280-cli tui in a real terminal (tmux): keys typed there reach the
# calculator, the pane shows the very dots `keys --text` gives for the same
# keys, resizing switches between half blocks and braille, and every way out
# (Ctrl+Q, Ctrl+C, SIGTERM, SIGHUP, a crash) gives the terminal back as it was.
# usage: tui_e2e.sh PATH/TO/vk2280-cli
set -u
CLI="$1"
WORK=$(mktemp -d)
SOCK="$WORK/tmux.sock"
export TMPDIR="$WORK" LC_ALL=C.UTF-8
unset TMUX
T() { tmux -u -S "$SOCK" "$@"; }
trap 'T kill-server 2>/dev/null; rm -rf "$WORK"' EXIT
show() { T capture-pane -p -t vk 2>/dev/null | sed 's/^/  | /'; }
fail() { echo "FAIL: $*"; show; exit 1; }
# wait_for SECONDS COMMAND...: until COMMAND succeeds, checking every 0.1 s.
wait_for() {
  tries=$(($1 * 10)); shift
  while ! "$@" 2>/dev/null; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.1
  done
}
pane_has() { T capture-pane -p -t vk | grep -q "$1"; }
pane_flags() { T display -p -t vk '#{alternate_on} #{cursor_flag}'; }
flags_are() { [ "$(pane_flags)" = "$1" ]; }
# The pane decodes to the expected dots, drawn the given way.
pane_shows() {
  T capture-pane -p -t vk > "$WORK/pane" &&
    python3 "$WORK/decode.py" "$WORK/pane" > "$WORK/decoded" &&
    [ "$(head -n 1 "$WORK/decoded")" = "$1" ] &&
    tail -n +2 "$WORK/decoded" | cmp -s - "$WORK/expected"
}

# mismatch MESSAGE: shows how the pane's dots differ from the expected ones.
mismatch() {
  tail -n +2 "$WORK/decoded" > "$WORK/got" 2> /dev/null
  diff "$WORK/expected" "$WORK/got" | head -40
  fail "$1"
}

command -v tmux > /dev/null || fail "tmux is not installed"

# Reads the display back from a capture: the drawing found ("half" or
# "braille"), then 64 rows of 128 dots as `keys --text` writes them.
cat > "$WORK/decode.py" << 'EOF'
import sys

HALF = {" ": (0, 0), "\u2580": (1, 0), "\u2584": (0, 1), "\u2588": (1, 1)}
# Braille dot bits by (dx, dy): dots 1-3 and 7 down the left, 4-6 and 8 down the right.
BRAILLE_BITS = {(0, 0): 0x01, (0, 1): 0x02, (0, 2): 0x04, (0, 3): 0x40,
                (1, 0): 0x08, (1, 1): 0x10, (1, 2): 0x20, (1, 3): 0x80}


def main():
    lines = open(sys.argv[1], encoding="utf-8").read().split("\n")
    try:
        top = next(i for i, line in enumerate(lines) if "\u250c" in line)
    except StopIteration:
        print("no frame on the screen", file=sys.stderr)
        return 1
    x0 = lines[top].index("\u250c")
    width = lines[top].index("\u2510") - x0 - 1
    bottom = next(i for i in range(top + 1, len(lines)) if "\u2514" in lines[i])
    rows = [line[x0 + 1:x0 + 1 + width] for line in lines[top + 1:bottom]]
    dots = [["."] * 128 for _ in range(64)]
    if width == 128 and len(rows) == 32:
        kind = "half"
        for cy, row in enumerate(rows):
            for cx, ch in enumerate(row):
                if ch not in HALF:
                    print("not a half block: %r" % ch, file=sys.stderr)
                    return 1
                upper, lower = HALF[ch]
                dots[2 * cy][cx] = "#" if upper else "."
                dots[2 * cy + 1][cx] = "#" if lower else "."
    elif width == 64 and len(rows) == 16:
        kind = "braille"
        for cy, row in enumerate(rows):
            for cx, ch in enumerate(row):
                bits = ord(ch) - 0x2800
                if not 0 <= bits <= 0xFF:
                    print("not a braille cell: %r" % ch, file=sys.stderr)
                    return 1
                for (dx, dy), bit in BRAILLE_BITS.items():
                    dots[4 * cy + dy][2 * cx + dx] = "#" if bits & bit else "."
    else:
        print("a frame of %d x %d cells is no display" % (width, len(rows)), file=sys.stderr)
        return 1
    print(kind)
    for row in dots:
        print("".join(row))
    return 0


if __name__ == "__main__":
    sys.exit(main())
EOF

# What scripts and users see without a terminal.
"$CLI" tui --help | grep -q -- "--flash" || fail "tui --help does not document --flash"
"$CLI" --help | grep -q "tui" || fail "--help does not list tui"
"$CLI" tui < /dev/null > /dev/null 2> "$WORK/err"
[ $? -eq 1 ] || fail "tui without a terminal must exit 1"
[ "$(wc -l < "$WORK/err")" -eq 1 ] || fail "the message must be one line"
"$CLI" tui --nosuch 2> /dev/null
[ $? -eq 2 ] || fail "an unknown option must exit 2"

# The same keys as typed below, through the command scripts use.
"$CLI" keys --text MENU type:1 type:1+2 EXE > "$WORK/expected" || fail "keys failed"

# The pane is an interactive shell with job control, as a user has. Each
# run notes the terminal settings before and after and how it ended.
cat > "$WORK/run.sh" << EOF
run=\$1
stty -g > "$WORK/before.\$run"
sh -c 'echo \$\$ > "\$0"; exec "\$1" tui' "$WORK/pid.\$run" "$CLI"
echo \$? > "$WORK/status.\$run"
stty -g > "$WORK/after.\$run"
EOF
T new-session -d -s vk -x 140 -y 40 "bash --norc --noprofile -i" || fail "tmux did not start"
T send-keys -t vk "ulimit -c 0; PS1='$ '" Enter

# start RUN: starts run RUN and waits until it shows its frame.
start() {
  T send-keys -t vk "sh $WORK/run.sh $1" Enter
  wait_for 30 test -s "$WORK/pid.$1" || fail "run $1 did not start"
  wait_for 30 pane_has "vk2280 emulator" || fail "run $1 shows no display"
}
# ended RUN STATUS: run RUN ended with STATUS and the terminal is as before.
ended() {
  wait_for 30 test -s "$WORK/after.$1" || fail "run $1 did not end"
  [ "$(cat "$WORK/status.$1")" = "$2" ] || fail "run $1 ended with $(cat "$WORK/status.$1"), not $2"
  cmp -s "$WORK/before.$1" "$WORK/after.$1" || fail "run $1 left the terminal settings changed"
  [ "$(pane_flags)" = "0 1" ] || fail "run $1 left the alternate screen on or the cursor hidden"
}

# Run 1: MENU (Page Down), 1 for RUN-MAT, 1+2, EXE (Enter), as a user types them.
start 1
[ "$(pane_flags)" = "1 0" ] || fail "the front end must use the alternate screen, cursor hidden"
T send-keys -t vk NPage; sleep 1
T send-keys -t vk 1; sleep 1
T send-keys -t vk -l '1+2'; sleep 1
T send-keys -t vk Enter
wait_for 60 pane_shows half || mismatch "the half blocks do not show the calculator's screen"
pane_has "key: EXE" || fail "the status line does not show the key sent last"

# An 80 x 24 terminal gets braille, a large one half blocks again.
T resize-window -t vk -x 80 -y 24
wait_for 60 pane_shows braille || mismatch "at 80 x 24 the display must be braille"
T capture-pane -p -t vk | grep -q "MENU" || fail "the help line at 80 x 24 lacks MENU"
T resize-window -t vk -x 140 -y 40
wait_for 60 pane_shows half || fail "at 140 x 40 the display must be half blocks again"
T resize-window -t vk -x 50 -y 12
wait_for 60 pane_has "Terminal too small" || fail "a tiny terminal must say it is too small"
T resize-window -t vk -x 140 -y 40
wait_for 60 pane_shows half || fail "growing again must bring the display back"

T send-keys -t vk C-q
ended 1 0

# Run 2: a paste longer than the calculator's key queue (20 keys) arrives
# whole, as if typed one key at a time.
PASTE=12345678901234567890123456789
set -- MENU type:1
for digit in $(echo "$PASTE" | fold -w 1); do set -- "$@" "type:$digit"; done
"$CLI" keys --text "$@" > "$WORK/expected" || fail "keys failed"
start 2
T send-keys -t vk NPage; sleep 1
T send-keys -t vk 1; sleep 1
T send-keys -t vk -l "$PASTE"
wait_for 60 pane_shows half || mismatch "a long paste lost keys"
# Ctrl+Z stops it with the terminal given back; fg, and it draws again.
T send-keys -t vk C-z
wait_for 10 flags_are "0 1" || fail "Ctrl+Z must leave the alternate screen and show the cursor"
wait_for 10 pane_has "Stopped" || fail "Ctrl+Z must stop it as a shell job"
T send-keys -t vk "fg" Enter
wait_for 10 flags_are "1 0" || fail "after fg it must take the screen again"
wait_for 60 pane_shows half || mismatch "after fg it must draw the display again"
T send-keys -t vk C-c
ended 2 0

start 3
kill -TERM "$(cat "$WORK/pid.3")"
ended 3 143

start 4
kill -HUP "$(cat "$WORK/pid.4")"
ended 4 129

# A crash still gives the terminal back (the exit status depends on the
# sanitizers in the build, so it is only checked to be a failure).
start 5
kill -SEGV "$(cat "$WORK/pid.5")"
wait_for 30 test -s "$WORK/after.5" || fail "run 5 did not end"
[ "$(cat "$WORK/status.5")" != 0 ] || fail "a crash must not exit 0"
cmp -s "$WORK/before.5" "$WORK/after.5" || fail "a crash left the terminal settings changed"
[ "$(pane_flags)" = "0 1" ] || fail "a crash left the alternate screen on or the cursor hidden"

# Every run worked on the user's own flash image, which stays for the next.
[ -s "$WORK/vk2280-$(id -u)/qm417.fls" ] || fail "tui must keep the user's flash image"

echo "tui e2e: ok"
