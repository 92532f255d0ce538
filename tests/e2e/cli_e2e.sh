#!/bin/sh
# vk2280-cli as scripts use it: exit statuses, help, and the screen outputs.
# usage: cli_e2e.sh PATH/TO/vk2280-cli
set -u
CLI="$1"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export TMPDIR="$WORK"
fail() { echo "FAIL: $*"; exit 1; }

"$CLI" --help > "$WORK/help" || fail "--help failed"
grep -q "keys" "$WORK/help" || fail "--help does not list keys"
"$CLI" keys --help | grep -q "type:TEXT" || fail "keys --help does not document type:TEXT"
"$CLI" help keys | grep -q -- "--bmp" || fail "help keys does not document --bmp"

"$CLI" keys NOSUCHKEY 2> "$WORK/err"
[ $? -eq 2 ] || fail "an unknown key must exit 2"
grep -q "NOSUCHKEY" "$WORK/err" || fail "the message must name the key"
[ "$(wc -l < "$WORK/err")" -eq 1 ] || fail "the message must be one line"
"$CLI" nosuchcommand 2>/dev/null
[ $? -eq 2 ] || fail "an unknown command must exit 2"
"$CLI" keys --bmp 2>/dev/null
[ $? -eq 2 ] || fail "a missing option value must exit 2"
# --timeout: a positive number of seconds (a huge one is a long wait, not an
# overflow); anything else is bad input.
for t in inf nan 0 -1 abc ""; do
  "$CLI" keys --timeout "$t" MENU 2>/dev/null
  [ $? -eq 2 ] || fail "--timeout '$t' must exit 2"
done
"$CLI" keys --timeout 1e9 MENU || fail "--timeout 1e9 must wait, not fail at once"
TMPDIR="$WORK/nonexistent" "$CLI" keys MENU 2> "$WORK/err"
[ $? -eq 1 ] || fail "a missing temporary folder must exit 1"
grep -q "nonexistent: no such folder" "$WORK/err" || fail "the message must name the folder: $(cat "$WORK/err")"

"$CLI" keys EXE type:1+2 --text --bmp "$WORK/s.bmp" --png "$WORK/s.png" > "$WORK/screen" ||
  fail "keys failed"
[ "$(wc -l < "$WORK/screen")" -eq 64 ] || fail "--text must print 64 lines"
[ "$(tr -d '#.\n' < "$WORK/screen" | wc -c)" -eq 0 ] || fail "--text uses only # and ."
[ "$(awk '{ if (length($0) != 128) bad = 1 } END { print bad + 0 }' "$WORK/screen")" -eq 0 ] ||
  fail "--text lines must be 128 characters"
[ "$(wc -c < "$WORK/s.bmp")" -eq 1086 ] || fail "the bitmap must be 1086 bytes"
identify "$WORK/s.png" | grep -q "128x64" || fail "the PNG is not a 128x64 picture"
"$CLI" keys EXE --bmp /nonexistent/dir/x.bmp 2>/dev/null
[ $? -eq 1 ] || fail "an unwritable output must exit 1"
echo "cli e2e: ok"
