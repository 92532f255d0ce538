#!/bin/sh
# Runs every benchmark program; each prints its figures as ratios against a
# reference measured in the same run.
BUILD="$1"
status=0
for b in "$BUILD"/bin/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" || status=1
done
exit $status
