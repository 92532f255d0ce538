#!/bin/sh
# Calculator files through vk2280-cli: --import and --export on every
# command, the list command, and key sequences through the MEMORY
# application's backup and import screens on the real calculator.
# usage: memory_cli_e2e.sh PATH/TO/vk2280-cli PATH/TO/whole.g1m
set -u
CLI="$1"
WHOLE="$2"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export TMPDIR="$WORK"
cd "$WORK" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
has() { grep -q "$(printf "$1")" "$2"; }

cp "$WHOLE" whole.g1m
"$CLI" list --import whole.g1m > list || fail "list --import failed"
has 'PROGRAM\tsystem\tHELLO\t16' list || fail "list does not show the program"
has 'ALPHA MEM\t$GLOBAL\tALPHAMEM\t696' list || fail "list does not show the alpha variables"
"$CLI" list > empty || fail "list of a fresh memory failed"
[ "$(wc -l < empty)" -eq 2 ] || fail "a fresh memory holds the alpha variables and the set-up only"

# eval loads, works and saves in one run.
"$CLI" eval --import whole.g1m --export PROGRAM=p.g1m --export "LIST 1=l.g1m" '1+1' > out ||
  fail "eval with files failed"
[ "$(cat out)" = "2" ] || fail "eval printed $(cat out)"
"$CLI" list --import p.g1m --import l.g1m > back || fail "the exported files do not load"
has 'PROGRAM\tsystem\tHELLO\t16' back || fail "the program did not come back"
has 'LISTFILE\tmain\t1LIST1' back || fail "list file 1 did not come back"
has '2LIST3' back && fail "LIST 1 must hold list file 1 alone"

# A program stored from text, written to a file, read back by another run and
# run there with Prog.
printf '0->S\nFor 1->K To 10\nS+K->S\nNext\nS\n' > sum.txt
"$CLI" eval --program SUMTEN=sum.txt --export PROGRAM=sum.g1m 'Prog "SUMTEN"' > first ||
  fail "storing and running the program failed"
[ "$(tail -n 1 first)" = "55" ] || fail "the stored program printed $(cat first)"
"$CLI" eval --import sum.g1m 'Prog "SUMTEN"' > second || fail "the imported program did not run"
[ "$(tail -n 1 second)" = "55" ] || fail "the imported program printed $(cat second)"

# Refusals: one line on stderr, exit 1 for work that failed, 2 for bad input.
printf 'not a calculator file' > junk.g1m
"$CLI" list --import junk.g1m 2> err
[ $? -eq 1 ] || fail "a damaged file must exit 1"
grep -q "junk.g1m" err || fail "the message must name the file"
"$CLI" eval --export NOSUCH=x.g1m 1 > /dev/null 2> err
[ $? -eq 1 ] || fail "an unknown group must exit 1"
"$CLI" keys --export MATRIX EXE 2> /dev/null
[ $? -eq 2 ] || fail "--export without FILE must exit 2"
"$CLI" eval --export MATRIX=m.g1m 1 > /dev/null 2>&1
[ $? -eq 1 ] || fail "an empty group must exit 1"
[ -e m.g1m ] && fail "an empty group must write no file"
# A group whose name holds "=", a link written through to its target, and a
# pipe that is refused and left in place.
"$CLI" keys --export "Y=DATA=y.g1m" MENU 5 XtT EXE 2> err ||
  fail "Y=DATA=FILE must export: $(cat err)"
"$CLI" list --import y.g1m | grep -q '^Y=DATA' || fail "the Y=DATA file holds no graph functions"
echo old > target.g1m
ln -s target.g1m link.g1m
"$CLI" eval --import whole.g1m --export PROGRAM=link.g1m 1 > /dev/null || fail "export through a link"
[ -L link.g1m ] || fail "the link must stay a link"
"$CLI" list --import target.g1m | grep -q HELLO || fail "the link's target must get the file"
mkfifo pipe.g1m
"$CLI" eval --import whole.g1m --export PROGRAM=pipe.g1m 1 > /dev/null 2> err
[ $? -eq 1 ] || fail "an export onto a pipe must fail"
[ -p pipe.g1m ] || fail "the pipe must stay in place"
grep -q "not a regular file" err || fail "the message must say why: $(cat err)"

# The MEMORY application (MENU leaves the boot message; E is its key in the
# main menu): F3 Backup, F1 save. A second run on the same flash image
# starts with an empty main memory and loads the backup with F2.
"$CLI" keys --flash flash.img --import whole.g1m MENU type:E F3 F1 ESC ESC ||
  fail "saving the backup failed"
"$CLI" keys --flash flash.img --export PROGRAM=none.g1m MENU 2> /dev/null
[ -e none.g1m ] && fail "the second run must start with an empty main memory"
"$CLI" keys --flash flash.img --export PROGRAM=restored.g1m MENU type:E F3 F2 ESC ESC ||
  fail "loading the backup failed"
"$CLI" list --import restored.g1m | grep -q HELLO || fail "the backup did not bring the program back"

# F4 imports the files the open dialog chooses.
"$CLI" keys --open whole.g1m --export MATRIX=matrix.g1m MENU type:E F4 ESC ||
  fail "the import screen failed"
"$CLI" list --import matrix.g1m | grep -q MAT_B || fail "the import screen did not load the matrix"
echo "memory cli e2e: ok"
