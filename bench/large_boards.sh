#!/usr/bin/env bash
# The loop solver on the checker's large boards: blank 1 x 100000,
# 100000 x 1, 5001 x 2 and 500 x 500 (targets: "several" within 1 s each),
# and 200 x 200 with 0.5 % of a random loop's clues (target: a verdict within
# the default budget); each at most 64 MB. Prints, per board, the wall and
# processor time, the peak memory and the checker's line.
#
# usage: bench/large_boards.sh [QUARNEL_CHECK [PUZZLE_TOOL]]
#   (defaults: build/default/quarnel-check, build/default/testing/puzzle_tool)
set -euo pipefail
cd "$(dirname "$0")/.."
check=${1:-build/default/quarnel-check}
tool=${2:-build/default/testing/puzzle_tool}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" generate 5 200 200 100 0 > "$work/full200.txt"
python3 - "$work" <<'PY'
import random, sys
work = sys.argv[1]
def write(name, rows):
    with open("%s/%s.dat" % (work, name), "w", encoding="utf-8") as f:
        f.write("Board\n" + "\n".join(rows) + "\n")
write("blank_1x100000", [" " * 100000])
write("blank_100000x1", [" "] * 100000)
write("blank_5001x2", [" " * 5001] * 2)
write("blank_500x500", [" " * 500] * 500)
rng = random.Random(5)
rows = open(work + "/full200.txt").read().split()
write("clues_200x200", ["".join(c if rng.random() < 0.005 else " " for c in row) for row in rows])
PY
for board in blank_1x100000 blank_100000x1 blank_5001x2 blank_500x500 clues_200x200; do
  /usr/bin/time -f "%e s, %U s processor, %M KB" -o "$work/time" \
    "$check" --stages "$work/$board.dat" > "$work/out" 2>&1 || true
  printf '%s: %s: %s\n' "$board" "$(tail -1 "$work/time")" "$(sed "s|^$work/||" "$work/out" | head -1)"
done
