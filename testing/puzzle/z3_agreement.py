#!/usr/bin/python3
"""The loop solver (through puzzle_tool) against a z3 model of the rules, on
seeded boards of 10 x 10 to 20 x 20 with unique, several and no solutions.

The model: a Boolean per edge and a colour per cell (inside or not, the frame's
outside not); an edge is on where the colours on its sides differ, a dot has
0 or 2 edges on, a clue counts its sides. A model whose edges form more than
one loop has each of its loops forbidden unless that loop is everything on,
and is solved again.

The model is plain clauses on one incremental solver: z3's pseudo-Boolean
constraints (PbEq, AtMost) on an incremental solver answered "unsat" wrongly
for some 20 x 20 puzzles with Debian's z3 4.8.12, so a clue is written as the
clauses "no k + 1 of its sides on" and "no 5 - k off". Before the solver is
checked, the model itself is checked against every loop of small boards,
found by trying every set of cells, so that it cannot vouch for a false
"none"."""
import itertools
import random
import subprocess
import sys
import time

import z3



def edges_of(width, height):
    horizontal = [(r, c) for r in range(height + 1) for c in range(width)]
    vertical = [(r, c) for r in range(height) for c in range(width + 1)]
    return horizontal, vertical


class Model:
    """With `guarded`, each clue holds only under its own literal, in
    self.guard by cell (row, column): next_loop's assumptions pick the clues
    that count."""

    def __init__(self, rows, guarded=False):
        self.rows = rows
        self.guard = {}
        self.h, self.w = len(rows), len(rows[0])
        hor, ver = edges_of(self.w, self.h)
        self.count = len(hor) + len(ver)
        self.e = [z3.Bool("e%d" % i) for i in range(self.count)]
        self.hid = {rc: i for i, rc in enumerate(hor)}
        self.vid = {rc: len(hor) + i for i, rc in enumerate(ver)}
        # The ends of each edge, as dots (r, c).
        self.ends = [None] * self.count
        for (r, c), i in self.hid.items():
            self.ends[i] = ((r, c), (r, c + 1))
        for (r, c), i in self.vid.items():
            self.ends[i] = ((r, c), (r + 1, c))
        self.s = self.new_solver()
        colour = {(r, c): z3.Bool("in%d_%d" % (r, c)) for r in range(self.h) for c in range(self.w)}
        self.colour = colour
        col = lambda r, c: colour.get((r, c), z3.BoolVal(False))
        for (r, c), i in self.hid.items():
            self.s.add(self.e[i] == z3.Xor(col(r - 1, c), col(r, c)))
        for (r, c), i in self.vid.items():
            self.s.add(self.e[i] == z3.Xor(col(r, c - 1), col(r, c)))
        # Colour changes around a dot are even in number, so a dot has 0, 2
        # or 4 edges on: only 4 needs forbidding.
        at_dot = {}
        for i, (a, b) in enumerate(self.ends):
            at_dot.setdefault(a, []).append(i)
            at_dot.setdefault(b, []).append(i)
        for edges in at_dot.values():
            if len(edges) == 4:
                self.s.add(z3.Not(z3.And([self.e[i] for i in edges])))
        for r in range(self.h):
            for c in range(self.w):
                ch = rows[r][c]
                if ch in "0123":
                    sides = [self.e[i] for i in self.sides(r, c)]
                    k = int(ch)
                    unless = []
                    if guarded:
                        self.guard[(r, c)] = z3.Bool("clue%d_%d" % (r, c))
                        unless = [z3.Not(self.guard[(r, c)])]
                    for some in itertools.combinations(sides, k + 1):
                        self.clause(unless + [z3.Not(e) for e in some])
                    for some in itertools.combinations(sides, 5 - k):
                        self.clause(unless + list(some))
        self.s.add(z3.Or(self.e))

    def new_solver(self):
        return z3.Solver()

    def clause(self, literals):
        self.s.add(z3.Or(literals))

    def sides(self, r, c):
        return [self.hid[(r, c)], self.hid[(r + 1, c)], self.vid[(r, c)], self.vid[(r, c + 1)]]

    def loops(self, on):
        """The loops of a set of on edges, as lists of edge numbers."""
        by_dot = {}
        for i in on:
            for d in self.ends[i]:
                by_dot.setdefault(d, []).append(i)
        left, found = set(on), []
        while left:
            stack, loop = [next(iter(left))], []
            left.discard(stack[0])
            while stack:
                i = stack.pop()
                loop.append(i)
                for d in self.ends[i]:
                    for j in by_dot[d]:
                        if j in left:
                            left.discard(j)
                            stack.append(j)
            found.append(loop)
        return found

    def next_loop(self, assumptions=()):
        """One single loop keeping the rules (and the assumptions), or None.
        What it learns of loops holds whatever the clues."""
        while self.s.check(*assumptions) == z3.sat:
            m = self.s.model()
            on = [i for i in range(self.count) if z3.is_true(m.eval(self.e[i], model_completion=True))]
            loops = self.loops(on)
            if len(loops) == 1:
                return on
            for loop in loops:
                inside = set(loop)
                self.s.add(z3.Or([z3.Not(self.e[i]) for i in loop] +
                                 [z3.And([z3.Not(self.e[j]) for j in range(self.count) if j not in inside])]))
        return None

    def verdict(self):
        first = self.next_loop()
        if first is None:
            return "none", None
        chosen = set(first)
        self.s.add(z3.Or([z3.Not(self.e[i]) if i in chosen else self.e[i] for i in range(self.count)]))
        return ("unique" if self.next_loop() is None else "several"), first


def keeps(model, rows, bits):
    """Whether a 0/1 line is one loop that keeps every clue of the board."""
    on = [i for i, b in enumerate(bits) if b == "1"]
    if len(bits) != model.count or len(model.loops(on)) != 1:
        return False
    degree = {}
    for i in on:
        for d in model.ends[i]:
            degree[d] = degree.get(d, 0) + 1
    if any(n != 2 for n in degree.values()):
        return False
    for r in range(model.h):
        for c in range(model.w):
            if rows[r][c] in "0123":
                if sum(bits[i] == "1" for i in model.sides(r, c)) != int(rows[r][c]):
                    return False
    return True


def all_loops(width, height):
    """Every loop of a board of that size, as 0/1 lines: each set of cells
    whose edges (where a cell and its neighbour, or the frame's outside,
    differ) are one loop that keeps the rules. Also the empty board's model,
    for its numbering, and each loop's count of sides per cell."""
    model = Model(["." * width] * height)
    found = []
    for inside in range(1, 1 << (width * height)):
        cell = lambda r, c: 0 <= r < height and 0 <= c < width and inside >> (r * width + c) & 1
        bits = ["0"] * model.count
        for (r, c), i in model.hid.items():
            bits[i] = "1" if cell(r - 1, c) != cell(r, c) else "0"
        for (r, c), i in model.vid.items():
            bits[i] = "1" if cell(r, c - 1) != cell(r, c) else "0"
        if keeps(model, model.rows, bits):
            found.append("".join(bits))
    counts = [[sum(bits[i] == "1" for i in model.sides(r, c)) for r in range(height) for c in range(width)]
              for bits in found]
    return model, found, counts


def check_reference(boards=150):
    """The z3 model's verdicts against every loop of boards of up to 12
    cells, with random clues: the same verdict, and its loop one of them."""
    rng = random.Random(34)
    loops, tally = {}, {}
    for n in range(boards):
        width = rng.randint(1, 4)
        height = rng.randint(1, 12 // width if width > 1 else 4)
        if (width, height) not in loops:
            loops[(width, height)] = all_loops(width, height)
        empty, every, counts = loops[(width, height)]
        # Clues counted from a loop, a few altered; or random ones.
        base = rng.choice(every) if every and rng.random() < 0.8 else None
        density = rng.choice([0.3, 0.5, 0.8])
        rows = []
        for r in range(height):
            row = ""
            for c in range(width):
                if rng.random() >= density:
                    row += "."
                elif base is None or rng.random() < 0.1:
                    row += str(rng.randint(0, 3))
                else:  # a cell with all four sides gives no clue here
                    row += "0123."[sum(base[i] == "1" for i in empty.sides(r, c))]
            rows.append(row)
        clues = [(r * width + c, int(ch)) for r, row in enumerate(rows) for c, ch in enumerate(row) if ch != "."]
        kept = [bits for bits, count in zip(every, counts) if all(count[i] == k for i, k in clues)]
        expected = "none" if not kept else "unique" if len(kept) == 1 else "several"
        got, first = Model(rows).verdict()
        label = "board %d (%d x %d):\n%s" % (n, width, height, "\n".join(rows))
        if got != expected:
            sys.exit("FAIL the z3 model says %s, every loop tried says %s: %s" % (got, expected, label))
        if first is not None:
            bits = "".join("1" if i in set(first) else "0" for i in range(empty.count))
            if bits not in kept:
                sys.exit("FAIL the z3 model's loop is none of the board's loops: %s" % label)
        tally[expected] = tally.get(expected, 0) + 1
    print("the z3 model agrees with every loop tried on %d small boards %s" % (boards, tally))
    if len(tally) < 3:
        sys.exit("FAIL the small boards lack a verdict: %s" % tally)


def main():
    tool = sys.argv[1]
    puzzles = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    verbose = len(sys.argv) > 3
    check_reference()
    rng = random.Random(23)
    tally, started = {}, time.time()
    for n in range(puzzles):
        width, height = rng.randint(10, 20), rng.randint(10, 20)
        keep, alter = rng.choice([(75, 0), (60, 0), (55, 0), (75, 1)])
        board = subprocess.run([tool, "generate", str(1000 + n), str(width), str(height), str(keep), str(alter)],
                               check=True, capture_output=True, text=True).stdout
        rows = board.split()
        out = subprocess.run([tool, "solve"], input=board, check=True, capture_output=True,
                             text=True).stdout.split()
        t = time.time()
        model = Model(rows)
        expected, first = model.verdict()
        if verbose:
            print(n, width, height, keep, alter, expected, "%.2f" % (time.time() - t), flush=True)
        label = "puzzle %d (%d x %d):\n%s" % (n, width, height, board)
        if out[0] != expected:
            sys.exit("FAIL %s solver says %s, z3 says %s" % (label, out[0], expected))
        for bits in out[1:]:
            if not keeps(model, rows, bits):
                sys.exit("FAIL %s the solver's loop breaks a rule:\n%s" % (label, bits))
        if expected == "several" and out[1] == out[2]:
            sys.exit("FAIL %s the two loops are the same" % label)
        tally[expected] = tally.get(expected, 0) + 1
    print("agree on %d puzzles %s in %.0f s" % (puzzles, tally, time.time() - started))
    if len(tally) < 3:
        sys.exit("FAIL the puzzles lack a verdict: %s" % tally)


if __name__ == "__main__":
    main()
