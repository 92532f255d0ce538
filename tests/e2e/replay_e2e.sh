#!/bin/sh
# The key-log scenarios replayed by vk2280-cli replay, the checkpoint
# outcomes of damaged recordings, recording from the command line, and the
# screen bitmaps read back by ImageMagick.
# usage: replay_e2e.sh PATH/TO/vk2280-cli
set -u
CLI="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
SCENARIOS="$(dirname "$0")/scenarios"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export TMPDIR="$WORK"
fail() { echo "FAIL: $*"; exit 1; }
cp "$SCENARIOS"/*.log "$SCENARIOS"/*.ans "$SCENARIOS"/*.bmp "$SCENARIOS"/*.lst "$WORK" ||
  fail "cannot copy the scenarios"
cd "$WORK" || exit 1

# Every scenario passes on a fresh calculator, and the list in one.
for log in main_menu runmat_arith setup memory; do
  "$CLI" replay "$log.log" > "$log.out" 2> "$log.err" || fail "$log: $(cat "$log.err")"
  marks=$(grep -c '^\[Cap\.' "$log.log")
  [ "$(grep -c '	OK$' "$log.out")" -eq "$marks" ] || fail "$log: not every checkpoint is OK"
  cmp -s "$log.out" "${log}_logReplay.txt" || fail "$log: the printed result is not the result file"
  head -n 1 "${log}_logReplay.txt" | grep -qx "$log.log" || fail "$log: the first line names the log"
  grep -q '^再生開始日時：' "${log}_logReplay.txt" || fail "$log: no start line"
  grep -q '^再生終了日時：' "${log}_logReplay.txt" || fail "$log: no end line"
done
cmp -s runmat_arith.ans runmat_arith_replay.ans || fail "the replayed answers differ from the recorded"
"$CLI" replay all.lst > list.out 2>&1 || fail "the list: $(cat list.out)"
[ "$(grep -c '	OK$' list.out)" -eq 9 ] || fail "the list must check 9 checkpoints"

# Damaged recordings: a deleted bitmap, a changed one, a changed answer.
rm runmat_arith_0001.bmp
printf '\377' | dd of=memory_0002.bmp bs=1 seek=600 conv=notrunc 2> /dev/null
sed -i 's/^Ans0003\t.*/Ans0003\tR\t+7.00000000000000E+000\t+0.00000000000000E+000/' runmat_arith.ans
"$CLI" replay runmat_arith.log > bad.out 2> bad.err
[ $? -eq 1 ] || fail "a failed checkpoint must exit 1"
grep -q '^Capture0001	ERROR(No File)$' bad.out || fail "a deleted bitmap must be ERROR(No File)"
grep -q '^Ans0003	ERROR$' bad.out || fail "a changed answer must be ERROR"
grep -q '^Ans0004	OK$' bad.out || fail "the replay goes on after a failure"
grep -q 'checkpoints failed' bad.err || fail "the failure is not reported"
"$CLI" replay memory.log > bad2.out 2>&1
grep -q '^Capture0002	ERROR$' bad2.out || fail "a changed bitmap must be ERROR"
identify -format '%w %h %z\n' memory_error_0002.bmp | grep -qx '128 64 4' ||
  fail "the difference picture must be a 4-bit 128 x 64 bitmap"
"$CLI" replay missing.log 2> /dev/null
[ $? -eq 1 ] || fail "a missing log must exit 1"
"$CLI" replay 2> /dev/null
[ $? -eq 2 ] || fail "replay without a log must exit 2"
# Nothing compared is no pass: an empty log, a folder, a log the key table
# cannot read (another encoding).
: > empty.log
mkdir folder.log
iconv -f UTF-8 -t UTF-16 runmat_arith.log > utf16.log
mkdir -p ro && cp runmat_arith.log runmat_arith.ans runmat_arith_000?.bmp ro/ && mkdir ro/runmat_arith_logReplay.txt
"$CLI" replay ro/runmat_arith.log > /dev/null 2> err
[ $? -eq 1 ] || fail "a result file that cannot be written must fail the replay"
grep -q "cannot write the result file" err || fail "the message must name the result file: $(cat err)"
for log in empty.log folder.log utf16.log; do
  "$CLI" replay "$log" > /dev/null 2> err
  [ $? -eq 1 ] || fail "$log checked nothing and must exit 1"
  [ -s err ] || fail "$log must say why it failed"
done

# The screen bitmap read back pixel for pixel: ImageMagick against --text.
"$CLI" keys MENU --text --bmp menu.bmp > menu.txt || fail "keys --bmp failed"
[ "$(wc -c < menu.bmp)" -eq 1086 ] || fail "the bitmap must be 1086 bytes"
identify -format '%w %h %z\n' menu.bmp | grep -qx '128 64 1' || fail "not a 1-bit 128 x 64 bitmap"
convert menu.bmp -depth 8 gray:- | od -An -v -tu1 -w128 |
  awk '{ s = ""; for (i = 1; i <= NF; i++) s = s ($i < 128 ? "#" : "."); print s }' > magick.txt
cmp -s menu.txt magick.txt || fail "ImageMagick reads another picture than the screen"
convert main_menu_0001.bmp -depth 8 gray:- | od -An -v -tu1 -w128 |
  awk '{ s = ""; for (i = 1; i <= NF; i++) s = s ($i < 128 ? "#" : "."); print s }' > golden.txt
cmp -s menu.txt golden.txt || fail "the recorded main menu is not the main menu"

# An application's own F-key labels name the key in the annotated log, and
# each key's line has only the facts since the key before it.
"$CLI" keys --record fk.log MENU 1 F6 5 MENU 1 EXE > /dev/null || fail "recording F6 failed"
grep -q "^\[F6\]	<FMENU :ENG→>" fk_log.txt || fail "F6 must carry its label: $(cat fk_log.txt)"
"$CLI" replay fk.log > /dev/null 2>&1
[ "$(grep -c 'ICODE :0035' fk_logReplay.txt)" -eq 1 ] || fail "a key's facts were repeated: $(cat fk_logReplay.txt)"

# Recording from the command line with a key table of one's own.
printf '  7B [Cap.Ans]\n\t6b [Cap.Screen]\n32 Enter\n73 One\n43 Plus\n49 Menu\n' > mine.keys
"$CLI" keys --keys mine.keys --record mine.log MENU EXE 1 + 1 EXE @ans @screen > /dev/null ||
  fail "recording with a key table failed"
printf 'Menu\nEnter\nOne\nPlus\nOne\nEnter\n[Cap.Ans.0001]\n[Cap.Screen.0001]\n' > expected.log
cmp -s mine.log expected.log || fail "the recorded log: $(cat mine.log)"
grep -q '^Ans0001	R	+2.00000000000000E+000	+0.00000000000000E+000$' mine.ans ||
  fail "the recorded answer: $(cat mine.ans)"
"$CLI" replay --keys mine.keys mine.log > /dev/null 2>&1 || fail "replaying the own table's log"
"$CLI" keys --keys mine.keys --record x.log MENU 7 > /dev/null 2> err
[ $? -eq 1 ] || fail "a key the table does not name must exit 1"
"$CLI" keys @ans 2> /dev/null
[ $? -eq 2 ] || fail "@ans without --record must exit 2"
"$CLI" keys --keys /nonexistent.keys --record y.log MENU 2> /dev/null
[ $? -eq 1 ] || fail "an unreadable key table must exit 1"
"$CLI" keys --keys mine.keys MENU 2> /dev/null
[ $? -eq 2 ] || fail "--keys without --record must exit 2"
echo "replay e2e: ok"
