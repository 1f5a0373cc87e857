#!/usr/bin/env python3
"""Writes seeded stage files and the dense template for the benchmarks.

  make_workload.py stages OUT --stages N --width W --height H [--seed S]
  make_workload.py dense-template OUT

A stage file holds N stages of W x H cells: digits 0 to 3 (some of them
full-width), blanks, a few characters that are no cell value, and ragged rows
shorter than the widest one; stages are separated by "*" lines. The files are
CP932 with CR LF line ends, as Quarnel reads them. The same arguments always
give the same bytes.
"""

import argparse
import random
import sys

# What a cell is drawn from, with weights: mostly digits, then blanks,
# full-width digits and characters that render as blanks.
CELLS = ["0", "1", "2", "3", " ", "\uff10", "\uff11", "\uff12", "\uff13", "4", "x"]
WEIGHTS = [20, 20, 20, 20, 8, 3, 3, 3, 3, 1, 1]


def stage_lines(rng, number, width, height):
    yield "\u30b9\u30c6\u30fc\u30b8 %d" % number  # "suteeji" and the number
    full_row = rng.randrange(height)  # one row is as wide as the grid
    for r in range(height):
        length = width if r == full_row or rng.random() < 0.75 else rng.randrange(width)
        yield "".join(rng.choices(CELLS, WEIGHTS, k=length))


def write_stage_file(path, stages, width, height, seed=1):
    rng = random.Random(seed * 1000003 + stages * 7919 + width * 31 + height)
    with open(path, "wb") as out:
        for n in range(1, stages + 1):
            if n > 1:
                out.write(b"*\r\n")
            for line in stage_lines(rng, n, width, height):
                out.write(line.encode("cp932") + b"\r\n")


# Every section holds the page-level placeholders, so the page holds millions
# of them; the cells hold both number forms, the spaces both row forms.
DENSE_TEMPLATE = "\r\n".join([
    "<html><title>[filename] [numstage]</title><body>",
    "[filename] [numstage]",
    "[stagelist]",
    "[filename] [numstage]</body></html>",
    "*stagelist",
    "<div>[stage] [title] [width]x[height] [filename] [numstage]",
    "<table>[lines]</table></div>",
    "*frame_line",
    "<tr>[frame][filename][numstage]</tr>",
    "*frame_space",
    "<td>[filename][numstage]</td>",
    "*frame_content",
    "<td>-[filename][numstage]</td>",
    "*data_line",
    "<tr>[data][filename][numstage]</tr>",
    "*data_space",
    "<td>[row][row*][filename][numstage]</td>",
    "*data_content",
    "<td>[number][number*][filename][numstage]</td>",
]) + "\r\n"


def write_dense_template(path):
    with open(path, "wb") as out:
        out.write(DENSE_TEMPLATE.encode("cp932"))


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    sub = parser.add_subparsers(dest="what", required=True)
    stages = sub.add_parser("stages")
    stages.add_argument("out")
    stages.add_argument("--stages", type=int, required=True)
    stages.add_argument("--width", type=int, required=True)
    stages.add_argument("--height", type=int, required=True)
    stages.add_argument("--seed", type=int, default=1)
    dense = sub.add_parser("dense-template")
    dense.add_argument("out")
    args = parser.parse_args(argv)
    if args.what == "stages":
        write_stage_file(args.out, args.stages, args.width, args.height, args.seed)
    else:
        write_dense_template(args.out)


if __name__ == "__main__":
    main(sys.argv[1:])
