#!/bin/sh
# Records the key-log scenarios that CI replays (replay_e2e.sh). Run it when
# a screen changes on purpose, then look at every bitmap before checking it
# in: they are golden pictures.
# usage: record.sh PATH/TO/vk2280-cli
set -eu
CLI="$1"
cd "$(dirname "$0")"
rm -f ./*.log ./*.ans ./*.bmp ./*_log.txt ./*_logReplay.txt
record() { name="$1"; shift; "$CLI" keys --record "$name.log" "$@" > /dev/null; }

# The main menu: the boot message, the grid, moving the selection, scrolling.
record main_menu MENU @screen RIGHT DOWN @screen DOWN DOWN DOWN @screen
# RUN-MAT: arithmetic with answers, an error box and its way out.
record runmat_arith MENU EXE 1 + 2 EXE @ans 1 / 3 EXE @ans @screen \
  7 / 0 EXE @screen ESC AC 2 '*' '(-)' 3 EXE @ans 1 EXP 5 '*' 4 EXE @ans
# SETUP from RUN-MAT.
record setup MENU EXE SHIFT MENU @screen DOWN DOWN @screen ESC @screen
# MEMORY: its first screen and main memory's list.
record memory MENU cos @screen F1 @screen ESC ESC @screen
# A list replays its logs in one calculator, one after the other.
printf 'runmat_arith.log\n\nmain_menu.log\n' > all.lst
