#!/bin/sh
# RUN-MAT on the whole calculator, driven through vk2280-cli keys: each case
# presses its keys from the main menu on and compares the screen with its
# golden picture (64 lines of '#' and '.'). UPDATE=1 writes the goldens.
# usage: runmat_e2e.sh PATH/TO/vk2280-cli GOLDEN_DIR
set -u
CLI="$1"
GOLDEN="$2"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export TMPDIR="$WORK"
fail() { echo "FAIL: $*"; exit 1; }

# screen NAME KEY...: RUN-MAT opened with MENU 1, then the keys.
screen() {
  name="$1"; shift
  "$CLI" keys --text MENU 1 "$@" > "$WORK/$name.txt" 2> "$WORK/err" ||
    fail "$name: keys failed: $(cat "$WORK/err")"
  if [ "${UPDATE:-0}" = 1 ]; then
    cp "$WORK/$name.txt" "$GOLDEN/runmat_$name.txt"
  elif ! cmp -s "$WORK/$name.txt" "$GOLDEN/runmat_$name.txt"; then
    fail "$name: the screen differs from $GOLDEN/runmat_$name.txt (see $WORK/$name.txt)"
  fi
}

# 1+2 shows 3 at the right; an operator after it works on Ans.
screen sum type:1+2 EXE
screen ans_times_two type:1+2 EXE type:*2 EXE
# A setting command alone, typed from SETUP (SHIFT then F1 on the Angle item).
screen deg_done SHIFT MENU DOWN DOWN DOWN SHIFT F1 EXE
# The error box, then the line back with the cursor on the failing ×: a 3
# typed there makes 1+3×2.
screen error_box type:1+*2 EXE
screen error_corrected type:1+*2 EXE ESC 3 EXE
# 75 lines of three digits are 300 bytes; REPLAY keeps the newest 64, so 64
# steps up reach 111 and a 65th stays there.
lines=""
for i in $(seq 100 174); do lines="$lines type:$i EXE"; done
ups=""
for i in $(seq 1 65); do ups="$ups UP"; done
screen replay_oldest $lines $ups
# EXE on an empty line right after a result runs the previous line again.
screen exe_repeats type:0 -\> type:A EXE type:A+1 -\> type:A EXE EXE EXE
# The SETUP screen and a changed setting.
screen setup SHIFT MENU
screen setup_display_fix SHIFT MENU UP F1 3 ESC type:1/3 EXE
# A line with a display stop (◢ from the PRGM menu) waiting for EXE, and
# after EXE its end.
screen display_stop 'type:"A":1' SHIFT VARS F5 ESC type:2 EXE
screen display_stop_done 'type:"A":1' SHIFT VARS F5 ESC type:2 EXE EXE
echo "runmat e2e: ok"
