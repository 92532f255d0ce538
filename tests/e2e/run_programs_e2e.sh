#!/bin/sh
# Programs with answers known from elsewhere, run from their text files by
# vk2280-cli run, and the interpreter's edges through eval and run: nesting,
# open blocks, input from standard input, programs stored with --program.
# usage: run_programs_e2e.sh PATH/TO/vk2280-cli PROGRAM_DIR
set -u
CLI="$1"
PROGRAMS="$2"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export TMPDIR="$WORK"
fail() { echo "FAIL: $*"; exit 1; }

# answer FILE TEXT: the program's screen ends with TEXT right-aligned.
answer() {
  "$CLI" run "$PROGRAMS/$1" > "$WORK/out" 2> "$WORK/err" || fail "$1: $(cat "$WORK/err")"
  [ "$(tail -n 1 "$WORK/out" | sed 's/^ *//')" = "$2" ] ||
    fail "$1: got '$(tail -n 1 "$WORK/out")', want $2"
  [ "$(tail -n 1 "$WORK/out" | wc -c)" -eq 22 ] || fail "$1: the answer is not right-aligned"
}
answer primes.txt 168
answer fibonacci.txt 832040
answer euclid.txt 21
answer collatz_small.txt 871
answer newton_sqrt2.txt 1.414213562
# Newton's square root to all 15 digits: 1.41421356237310, whose last four
# digits show after the first eleven are taken away.
printf 'Prog "N"\nX-1.41421356237\n' > "$WORK/digits.txt"
"$CLI" run --program "N=$PROGRAMS/newton_sqrt2.txt" "$WORK/digits.txt" | tail -n 1 |
  grep -q " 3.1E-12$" || fail "the square root of 2 to 15 digits"

# A program calling itself fails at the 11th level; stderr names it.
printf 'Isz N\nProg "SELF"\n' > "$WORK/self.txt"
"$CLI" run --name SELF "$WORK/self.txt" 2> "$WORK/err"
[ $? -eq 1 ] || fail "the nesting error must exit 1"
grep -q "Error 6: Nesting ERROR in SELF" "$WORK/err" || fail "nesting: $(cat "$WORK/err")"
# The same from a line: the line is the first level.
[ "$("$CLI" eval --program "SELF=$WORK/self.txt" '0->N:Prog "SELF"' N)" = "Error 6: Nesting ERROR
9" ] || fail "nesting from a line"

# A block left open at the end.
printf 'For 1->A To 3\n' > "$WORK/open.txt"
"$CLI" run "$WORK/open.txt" 2> "$WORK/err" && fail "an open block must fail"
grep -q "Error 2: Syntax ERROR" "$WORK/err" || fail "open block: $(cat "$WORK/err")"

# Input from standard input; its end is AC.
printf '"N="?->N\nN^2\n' > "$WORK/square.txt"
[ "$(echo 12 | "$CLI" run "$WORK/square.txt")" = "N=
12
                  144" ] || fail "input: $(echo 12 | "$CLI" run "$WORK/square.txt")"
"$CLI" run "$WORK/square.txt" < /dev/null > /dev/null 2> "$WORK/err" && fail "no input must break"
grep -q "Error 1: Break" "$WORK/err" || fail "no input: $(cat "$WORK/err")"

# Strings, display stops and Locate on the 21-column screen.
printf '"HELLO"\n1+1◢\nLocate 18,5,"END"\n' > "$WORK/screen.txt"
[ "$("$CLI" run "$WORK/screen.txt")" = "HELLO
                    2
                 Done

                 END" ] || fail "screen: $("$CLI" run "$WORK/screen.txt")"

# eval: statements, display stops, Prog.
[ "$("$CLI" eval 'For 1->A To 3:Next:A' 'If 0:Then 1:Else 2:IfEnd◢' '"HI":5')" = "3
2
HI
5" ] || fail "eval lines"

# Bad input on the command line.
"$CLI" run 2>/dev/null
[ $? -eq 2 ] || fail "run without FILE must exit 2"
for bad in NOEQUALS =x.txt N=; do
  "$CLI" run --program "$bad" "$WORK/open.txt" 2>/dev/null
  [ $? -eq 2 ] || fail "--program $bad is a usage error"
  "$CLI" eval --program "$bad" 1 2>/dev/null
  [ $? -eq 2 ] || fail "eval --program $bad is a usage error"
done
"$CLI" run "$WORK" 2> "$WORK/err"
[ $? -eq 1 ] || fail "a directory is not a program file"
grep -q "cannot read" "$WORK/err" || fail "a directory must say it cannot be read: $(cat "$WORK/err")"
printf 'For 1->A To 3\n1☃\n' > "$WORK/bad.txt"
"$CLI" run "$WORK/bad.txt" 2> "$WORK/err"
[ $? -eq 1 ] || fail "a file with no tokens must exit 1"
grep -q "bad.txt:2:2" "$WORK/err" || fail "the message must name line and column: $(cat "$WORK/err")"
echo "run programs e2e: ok"
