#!/usr/bin/env python3
"""Runs the built quarnel on the benchmark workloads and checks the targets.

  python3 bench/run_bench.py [--build build/default] [--runs 3] [--work DIR]

Workloads: (a) the bundled template.dat with 250, 500, 1000 and 2000 stages
of 40 x 40 cells; (b) a dense template, with "[filename]" and "[numstage]" in
every section, on the same stage files under a stage path of 200 characters;
(c) one stage of 2000 x 2000 cells with the bundled template. Each runs
--runs times under /usr/bin/time -v; the table shows the median wall time and
the highest peak resident memory. The baseline, measured in the same run, is
`iconv -f UTF-16LE -t CP932` encoding the same page (given as UTF-16LE) into
a file, --runs times (once for the large dense pages, whose baseline is only
shown). Targets: 1. time per page byte at 2000 stages at most 1.15 times that
at 250 for (a) and (b), and (c) at most 1.15 times (a) at 2000; 2. (a) at
2000 stages in at most 1.5 times its baseline; 3. (b) per page byte at most
1.5 times (a) per page byte at every stage count; 4. peak resident memory at
most 4 times the page's bytes plus 16 MiB on every workload. Exits 1 unless
every target passes.
"""

import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_workload  # noqa: E402

STAGE_COUNTS = [250, 500, 1000, 2000]
GRID = 40
BIG_GRID = 2000
PATH_LENGTH = 200
MIB = 1 << 20


def timed(command, stdout=subprocess.DEVNULL):
    """Runs command under /usr/bin/time -v: (wall seconds, peak RSS bytes)."""
    start = time.perf_counter()
    done = subprocess.run(["/usr/bin/time", "-v"] + command, stdout=stdout,
                          stderr=subprocess.PIPE, text=True)
    wall = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit("failed (%d): %s\n%s" % (done.returncode, " ".join(command), done.stderr))
    rss = re.search(r"Maximum resident set size \(kbytes\): (\d+)", done.stderr)
    return wall, int(rss.group(1)) * 1024


def baseline(page, work, runs):
    """Median time of iconv encoding the page, given as UTF-16LE, to a file."""
    utf16 = os.path.join(work, "page.utf16le")
    encoded = os.path.join(work, "page.iconv")
    with open(utf16, "wb") as out:
        subprocess.run(["iconv", "-f", "CP932", "-t", "UTF-16LE", page], stdout=out,
                       check=True)
    walls = []
    for _ in range(runs):
        with open(encoded, "wb") as out:
            walls.append(timed(["iconv", "-f", "UTF-16LE", "-t", "CP932", utf16],
                               stdout=out)[0])
    os.remove(utf16)
    os.remove(encoded)
    return statistics.median(walls)


def measure(name, stages, exe, stage_path, work, runs, baseline_runs):
    walls, peak = [], 0
    for _ in range(runs):
        wall, rss = timed([exe, stage_path])
        walls.append(wall)
        peak = max(peak, rss)
    page = os.path.splitext(stage_path)[0] + ".html"
    size = os.path.getsize(page)
    iconv = baseline(page, work, baseline_runs)
    os.remove(page)
    row = {"name": name, "stages": stages, "bytes": size,
           "wall": statistics.median(walls), "rss": peak, "iconv": iconv}
    row["ns_per_byte"] = row["wall"] / size * 1e9
    print_row(row)
    return row


HEADER = ("%-8s %7s %10s %9s %10s %9s %8s %9s %8s %9s" %
          ("workload", "stages", "page MB", "median s", "peak MiB", "MB/s",
           "ns/byte", "iconv s", "x iconv", "RSS/page"))


def print_row(r):
    print("%-8s %7d %10.1f %9.2f %10.1f %9.1f %8.2f %9.2f %8.2f %9.2f" %
          (r["name"], r["stages"], r["bytes"] / 1e6, r["wall"], r["rss"] / MIB,
           r["bytes"] / r["wall"] / 1e6, r["ns_per_byte"], r["iconv"],
           r["wall"] / r["iconv"], r["rss"] / r["bytes"]), flush=True)


def long_directory(work, length):
    """A directory whose path, plus "/" and a name of 12, is `length` long."""
    base = os.path.join(work, "p")
    pad = length - len(base) - len("/stages_0000.dat")
    if pad < 1:
        sys.exit("--work is too long for a stage path of %d characters" % length)
    return base + "p" * pad


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(root, "build", "default"))
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--work", default=os.path.join(root, "build", "bench-work"))
    args = parser.parse_args(argv)

    exe = os.path.abspath(os.path.join(args.build, "quarnel"))
    if not os.access(exe, os.X_OK):
        sys.exit("no %s: build first (cmake --build --preset default)" % exe)
    for tool in ("/usr/bin/time", shutil.which("iconv")):
        if not tool or not os.access(tool, os.X_OK):
            sys.exit("needs /usr/bin/time and iconv (tools/install_deps.sh)")
    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)

    # The dense template lies beside its own copy of the program.
    dense_dir = os.path.join(work, "dense")
    os.makedirs(dense_dir)
    dense_exe = os.path.join(dense_dir, "quarnel")
    shutil.copy2(exe, dense_exe)
    make_workload.write_dense_template(os.path.join(dense_dir, "template.dat"))
    long_dir = long_directory(work, PATH_LENGTH)
    os.makedirs(long_dir)

    print(HEADER, flush=True)
    rows = {}
    for n in STAGE_COUNTS:
        name = "stages_%04d.dat" % n
        plain = os.path.join(work, name)
        make_workload.write_stage_file(plain, n, GRID, GRID)
        rows[("a", n)] = measure("a", n, exe, plain, work, args.runs, args.runs)
        long_path = os.path.join(long_dir, name)
        assert len(long_path) == PATH_LENGTH, long_path
        shutil.copy(plain, long_path)
        # The dense pages are large and their baseline is only shown, so
        # iconv runs on them once.
        rows[("b", n)] = measure("b", n, dense_exe, long_path, work, args.runs, 1)
        os.remove(plain)
        os.remove(long_path)
    big = os.path.join(work, "big_grid.dat")
    make_workload.write_stage_file(big, 1, BIG_GRID, BIG_GRID)
    rows[("c", 1)] = measure("c", 1, exe, big, work, args.runs, args.runs)

    first, last = STAGE_COUNTS[0], STAGE_COUNTS[-1]
    a, c = rows[("a", last)], rows[("c", 1)]
    linear = [rows[(w, last)]["ns_per_byte"] / rows[(w, first)]["ns_per_byte"]
              for w in ("a", "b")] + [c["ns_per_byte"] / a["ns_per_byte"]]
    dense = max(rows[("b", n)]["ns_per_byte"] / rows[("a", n)]["ns_per_byte"]
                for n in STAGE_COUNTS)
    memory = max(r["rss"] / (4 * r["bytes"] + 16 * MIB) for r in rows.values())
    checks = [
        ("1 linear: per byte, a %d/%d %.2f, b %d/%d %.2f, c/a %d %.2f (<= 1.15)" %
         (last, first, linear[0], last, first, linear[1], last, linear[2]),
         max(linear) <= 1.15),
        ("2 near the limit: a %d takes %.2f x iconv (<= 1.5)" %
         (last, a["wall"] / a["iconv"]), a["wall"] <= 1.5 * a["iconv"]),
        ("3 dense: b per byte at most %.2f x a per byte (<= 1.5)" % dense,
         dense <= 1.5),
        ("4 memory: peak RSS at most %.2f of 4 x page + 16 MiB (<= 1)" % memory,
         memory <= 1),
    ]
    print()
    for text, ok in checks:
        print("%s  target %s" % ("PASS" if ok else "FAIL", text))
    shutil.rmtree(work, ignore_errors=True)
    return 0 if all(ok for _, ok in checks) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
