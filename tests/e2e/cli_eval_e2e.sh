#!/bin/sh
# vk2280-cli eval as scripts use it: one output line per LINE, state carried
# from line to line, exit statuses.
# usage: cli_eval_e2e.sh PATH/TO/vk2280-cli
set -u
CLI="$1"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export TMPDIR="$WORK"
fail() { echo "FAIL: $*"; exit 1; }

# expect STATUS EXPECTED-OUTPUT -- ARGS...: runs eval and compares stdout.
expect() {
  want_status="$1"; want="$2"; shift 3
  "$CLI" eval "$@" > "$WORK/out" 2> "$WORK/err"
  status=$?
  [ "$status" -eq "$want_status" ] || fail "eval $* exited $status, not $want_status"
  printf '%s\n' "$want" | cmp -s - "$WORK/out" ||
    fail "eval $*: got '$(cat "$WORK/out")', want '$want'"
}

"$CLI" --help | grep -q "eval" || fail "--help does not list eval"
"$CLI" eval --help | grep -q -- "--canonical" || fail "eval --help does not document --canonical"

expect 0 "14" -- "2+3×4"
expect 0 "14" -- "2+3*4"
expect 0 "64" -- "2^3^2"
expect 0 "-4" -- "-2^2"
expect 0 "3
4
Done
0.5
8" -- "3->A" "A+1" "Deg" "sin 30" "Ans+A+4.5"
expect 0 "1E-05" -- "1E-5"
expect 0 "5⌟6" -- "1⌟2+1⌟3"
expect 0 "Done
0.67" -- "Fix 2" "2÷3"
expect 0 "Done
2i" -- "a+bi" "sqrt(-4)"
expect 1 "Error 17: Non-Real ERROR" -- "√(-4)"
expect 0 "{2,4,6}
{3,5,7}" -- "{1,2,3}×2" "Ans+1"
expect 0 "Done
Done
0000001F" -- "Dec" "Hex" "h1E+1"
# A complex result too long for one screen line still prints as one line.
expect 0 "0.3333333333+0.6666666667i" -- "1÷3+2i÷3"
expect 0 "Done
1.414213562∠0.7853981634" -- "r<theta" "1+i"

expect 0 "+3.33333333333333E-001" -- --canonical "1÷3"
expect 0 "+1.00000000000000E+000 +2.00000000000000E+000" -- --canonical "1+2i"

# Errors: every line still prints, the status says one failed.
expect 1 "1
Error 2: Syntax ERROR
2" -- "1" "3+" "2"
expect 1 "Error 7: Stack ERROR" -- "((((((((((((((((((((((((((((1"
expect 1 "Error 2: Syntax ERROR" -- "1☃"
grep -q "column 2" "$WORK/err" || fail "unknown text must name its column"
expect 0 "-1" -- -- "-1"

"$CLI" eval 2>/dev/null
[ $? -eq 2 ] || fail "eval without a LINE must exit 2"
"$CLI" eval --nosuch 1 2> "$WORK/err"
[ $? -eq 2 ] || fail "an unknown option must exit 2"
[ "$(wc -l < "$WORK/err")" -eq 1 ] || fail "the usage message must be one line"
echo "cli eval e2e: ok"
