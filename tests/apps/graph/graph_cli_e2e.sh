#!/bin/sh
# Graph screens through the command line as a person gets them: keys
# pressed in GRAPH, and program text run with vk2280-cli run, each screen
# compared with its golden text art. VK_UPDATE_GOLDEN=1 rewrites them.
# usage: graph_cli_e2e.sh PATH/TO/vk2280-cli
set -u
CLI="$1"
HERE=$(cd "$(dirname "$0")" && pwd)
GOLDEN="$HERE/golden"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export TMPDIR="$WORK"
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_stack_use_after_return=0"
failed=0

check() {
  name="$1"
  shift
  if [ "${VK_UPDATE_GOLDEN:-0}" = 1 ]; then
    cp "$WORK/screen" "$GOLDEN/$name.txt"
  elif ! cmp -s "$WORK/screen" "$GOLDEN/$name.txt"; then
    echo "FAIL: $name differs from its golden"
    diff "$GOLDEN/$name.txt" "$WORK/screen" | head -20
    failed=1
  fi
}

keys() {
  name="$1"
  shift
  "$CLI" keys MENU 5 "$@" --text > "$WORK/screen" 2> "$WORK/err" ||
    { echo "FAIL: $name: keys failed"; cat "$WORK/err"; failed=1; return; }
  check "$name"
}

program() {
  name="$1"
  printf '%s\n' "$2" > "$WORK/$name.txt"
  "$CLI" run --text "$WORK/$name.txt" > "$WORK/screen" 2> "$WORK/err" ||
    { echo "FAIL: $name: run failed"; cat "$WORK/err"; failed=1; return; }
  check "$name"
}

keys cli_parabola_init XtT ^2 EXE F6
keys cli_sine_trig_rad SHIFT F3 F2 ESC sin XtT EXE F6
# The angle unit is the last item of the graph setup: Rad, LEFT makes it Deg.
keys cli_sine_trig_deg SHIFT MENU DOWN DOWN DOWN DOWN DOWN DOWN DOWN LEFT ESC \
  SHIFT F3 F2 ESC sin XtT EXE F6
keys cli_reciprocal_init 1 / XtT EXE F6
keys cli_circle_param F3 F3 2 cos XtT EXE 2 sin XtT EXE F6
keys cli_trace_parabola XtT ^2 EXE F6 F1 RIGHT RIGHT RIGHT RIGHT RIGHT
keys cli_ylist XtT ^2 EXE sin XtT EXE UP F1
keys cli_vwindow SHIFT F3 DOWN DOWN 2 EXE
program cli_program_shapes 'ViewWindow -6.3,6.3,1,-3.1,3.1,1
Cls
F-Line -5,-2,5,2
Circle 1,0.5,2
Text 2,3,"LINE AND CIRCLE"'
program cli_program_graph 'ViewWindow -3.15,3.15,1,-1.55,1.55,0.5
AxesOff
Graph Y=X^3-X
Horizontal 1
PxlOn 32,64'

# Invalid input keeps the old value: Xmax 1E99 is refused with the box.
"$CLI" keys MENU 5 SHIFT F3 DOWN 1 EXP 9 9 EXE ESC DOWN --text > "$WORK/screen" 2>/dev/null
check cli_vwindow_range_error

[ "$failed" = 0 ] && echo "graph cli e2e: ok"
exit "$failed"
