#!/usr/bin/env python3
"""Builds the example page with the default template, loads it in headless
Chromium and checks the page as the browser holds it after loading: each
stage's grid table has 2 x height + 1 rows, frame and data rows alternate,
and the cells show the stage's values. Keeps a screenshot.

usage: browser_test.py QUARNEL DEFAULT_TEMPLATE EXAMPLE_STAGES SCREENSHOT
"""
import html.parser
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
HEADLESS = HERE.parent / "tools" / "chromium_headless.sh"

# The stages of examples/stages.dat as a reader sees them: title, then each
# data row's cells (blanks show as blank cells, full-width digits as digits,
# short rows filled with blank cells to the widest row).
EXPECTED = [
    ("はじめの一歩", ["  2", "0 3", "  1"]),
    ("Stage 2: five by five", ["1  21", "  3 1", "1  22", "  2 3", "  0 1"]),
    ("ステージ３：全角の数字", [" 21 0", "    2", " 3  2", "1  11", " 0  2"]),
    ("Ragged rows", ["02   1", "   3  ", " 2 3  ", " 1   3", " 11   ", "  2  3"]),
    ("ステージ５：大きな盤面", [
        " 2 2 222 1    1", "20 2 0    220 3", "   3212 1     3", "          33  3",
        "13 211 0 20   1", "1 12  111 2 2 1", "12  1       1 1", "1  22 22  11  1",
        "2  1   1   3  3", " 2   0   21 3 1"]),
]


class Stages(html.parser.HTMLParser):
    """The stage items of the page: title, size line and grid rows, each row
    a list of (class, text) cells."""

    def __init__(self):
        super().__init__()
        self.stages = []
        self.field = None

    def handle_starttag(self, tag, attrs):
        classes = (dict(attrs).get("class") or "").split()
        if tag == "li" and "stage" in classes:
            self.stages.append({"title": "", "size": "", "rows": [], "tables": 0})
        if not self.stages:
            return
        stage = self.stages[-1]
        if tag == "h2":
            self.field = "title"
        elif tag == "span" and "no" in classes:
            self.field = None  # the number badge is not part of the title
        elif tag == "p" and "size" in classes:
            self.field = "size"
        elif tag == "table" and "grid" in classes:
            stage["tables"] += 1
        elif tag == "tr":
            stage["rows"].append([])
        elif tag == "td" and stage["rows"]:
            stage["rows"][-1].append([classes, ""])

    def handle_endtag(self, tag):
        if tag == "span" and self.field is None and self.stages:
            self.field = "title"
        elif tag in ("h2", "p"):
            self.field = None

    def handle_data(self, data):
        if not self.stages:
            return
        stage = self.stages[-1]
        if self.field:
            stage[self.field] += data
        elif stage["rows"] and stage["rows"][-1]:
            stage["rows"][-1][-1][1] += data


def main():
    quarnel, template, example, screenshot = sys.argv[1:5]
    failures = []
    with tempfile.TemporaryDirectory() as work_dir:
        work = pathlib.Path(work_dir)
        (work / "bin").mkdir()
        shutil.copy(quarnel, work / "bin" / "quarnel")
        shutil.copy(template, work / "bin" / "template.dat")
        shutil.copy(example, work / "stages.dat")
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        subprocess.run([str(work / "bin" / "quarnel"), "stages.dat"], cwd=work, env=env,
                       stdin=subprocess.DEVNULL, check=True, timeout=60)
        page = work / "stages.html"

        dom = subprocess.run(["bash", str(HEADLESS), str(page), "--dump-dom"],
                             capture_output=True, check=True, timeout=120).stdout.decode("utf-8")
        pathlib.Path(screenshot).parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["bash", str(HEADLESS), str(page), "--window-size=1100,760",
                        "--screenshot=" + str(pathlib.Path(screenshot).resolve())],
                       stdout=subprocess.DEVNULL, check=True, timeout=120)
        if not pathlib.Path(screenshot).is_file() or pathlib.Path(screenshot).stat().st_size == 0:
            failures.append("no screenshot written")

    parser = Stages()
    parser.feed(dom)
    stages = parser.stages
    if len(stages) != len(EXPECTED):
        failures.append(f"{len(stages)} stages on the page, expected {len(EXPECTED)}")
    for number, (stage, (title, data)) in enumerate(zip(stages, EXPECTED), start=1):
        where = f"stage {number}"
        height, width = len(data), len(data[0])
        if stage["title"].strip() != title:
            failures.append(f"{where}: title {stage['title']!r}, expected {title!r}")
        if f"幅 {width} × 高さ {height}" not in stage["size"]:
            failures.append(f"{where}: size line {stage['size']!r}")
        if stage["tables"] != 1:
            failures.append(f"{where}: {stage['tables']} grid tables")
        rows = stage["rows"]
        if len(rows) != 2 * height + 1:
            failures.append(f"{where}: {len(rows)} rows, expected {2 * height + 1}")
            continue
        for index, row in enumerate(rows):
            kinds = [cell[0][0] if cell[0] else "" for cell in row]
            if index % 2 == 0:
                want = ["dot", "edge"] * width + ["dot"]
            else:
                want = ["side", "cell"] * width + ["side"]
            if kinds != want:
                failures.append(f"{where}, row {index + 1}: cells {kinds}")
        for line, row in enumerate(rows[1::2], start=1):
            shown = "".join(text if text.strip() else " "
                            for classes, text in row if "cell" in classes)
            if shown != data[line - 1]:
                failures.append(f"{where}, grid row {line}: {shown!r}, expected {data[line - 1]!r}")

    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    if failures:
        return 1
    print(f"browser: {len(stages)} stages checked in the rendered page; screenshot {screenshot}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
