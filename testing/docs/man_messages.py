#!/usr/bin/env python3
"""Checks the documentation against what the program really does: every
line that an end-to-end case of testing/cases/e2e/ expects on standard error is
one of the messages each man page lists, and each page's exit statuses, like
the README's table, are exactly those the cases end with; every box the
Windows program shows in the cases is one of the messages its readme.txt
lists.

The checker's man pages list exactly the texts of its message table (each
finding's text after its severity word, the clean lines, the usage line),
every line its cases (testing/cases/check/) expect is one of them, and
their exit statuses are exactly those the cases end with.

usage: man_messages.py CASES_DIR README WINDOWS_README MAN_PAGE...
           --checker CHECK_CASES_DIR CHECK_MESSAGES_H CHECK_MAN_PAGE...
"""
import re
import shlex
import sys
from pathlib import Path

failures = []


def sections(page):
    """{section title: [request lines]} of a man page source."""
    found, title = {}, None
    for line in Path(page).read_text(encoding="utf-8").splitlines():
        if line.startswith(".SH "):
            title = " ".join(shlex.split(line[4:]))
            found[title] = []
        elif title:
            found[title].append(line)
    return found


GAP = "\0"


def message_shapes(lines):
    """Each message of a MESSAGES section as the text it shows, GAP for each
    italic part: a .B, .BI or .IB line that starts a paragraph, follows a
    .br or a subsection's title, and is no part of an indented description."""
    shapes, indented, previous = [], 0, ""
    for line in lines:
        request, _, rest = line.partition(" ")
        indented += {".RS": 1, ".RE": -1}.get(request, 0)
        starts = previous.split(" ")[0] in (".PP", ".br", ".SS")
        previous = line
        if request not in (".B", ".BI", ".IB") or indented or not starts:
            continue
        parts = [re.sub(r"\\[:&]", "", part).replace("\\-", "-") for part in shlex.split(rest)]
        if request == ".B":
            parts = [" ".join(parts)]
        elif request == ".IB":
            parts = [""] + parts
        shapes.append("".join(part if i % 2 == 0 else GAP for i, part in enumerate(parts)))
    return shapes


def pattern(shape):
    """A shape as a pattern: text literal, each gap any text, even none."""
    return re.compile(".*".join(re.escape(part) for part in shape.split(GAP)))


def message_patterns(lines):
    return [pattern(shape) for shape in message_shapes(lines)]


# One or more C++ string literals in a row, as the message table writes a text.
STRINGS = r'((?:u"(?:[^"\\]|\\.)*"\s*)+)'


def checker_texts(header):
    """The shapes of the texts in the checker's message table: each finding's
    text after its severity word, and the report's own lines."""
    source = Path(header).read_text(encoding="utf-8")

    def literal(strings):
        return re.sub(r"\{\d\}", GAP, "".join(re.findall(r'u"((?:[^"\\]|\\.)*)"', strings)))

    words = {"Warning": "警告", "Error": "エラー"}
    rows = re.findall(r"\{FindingKind::\w+,\s*Finding::Severity::(\w+),\s*" + STRINGS + r"\}", source)
    texts = {"%s: %s" % (words[severity], literal(strings)) for severity, strings in rows}
    for name in ("kTemplateCleanText", "kStagesCleanText", "kStagesUniqueText", "kLevelLineText",
                 "kUsageText", "kCannotWriteOutputText", "kStageAddressText", "kSolveSecondsMissingText",
                 "kSolveSecondsNotNumberText", "kSolveSecondsNotPositiveText", "kSolveSecondsTooLargeText",
                 "kUnknownOptionText"):
        found = re.search(name + r"\[\] =\s*" + STRINGS + ";", source)
        if not found:
            failures.append("%s has no %s" % (header, name))
        else:
            texts.add(literal(found.group(1)))
    return len(rows), texts


def case_results(cases, names):
    """The lines of the cases' files NAMES, and the statuses they end with."""
    lines, statuses = set(), set()
    for case in sorted(p for p in Path(cases).iterdir() if p.is_dir()):
        for name in names:
            if (case / name).exists():
                lines.update((case / name).read_text(encoding="utf-8").splitlines())
        # A case without a status file ends with 0.
        status = case / "status"
        statuses.add(int(status.read_text().strip()) if status.exists() else 0)
    return lines, statuses


def exit_statuses(lines):
    return {int(b[3:]) for a, b in zip(lines, lines[1:]) if a == ".TP" and re.fullmatch(r"\.B \d+", b)}


def readme_patterns(readme_txt):
    """The messages of readme.txt: lines indented by two blanks in its
    message section, with 〈…〉 standing for any text."""
    text = Path(readme_txt).read_text(encoding="utf-8")
    section = text.split("■ メッセージ", 1)[1].split("■", 1)[0]
    patterns = []
    for line in section.splitlines():
        if re.match(r"  \S", line):
            parts = re.split(r"〈[^〉]*〉", line[2:])
            patterns.append(re.compile(".*".join(re.escape(part) for part in parts)))
    return patterns


def check_checker_pages(cases, header, pages):
    rows, texts = checker_texts(header)
    if rows < 30:
        failures.append("%s: only %d rows found in its message table" % (header, rows))
    lines, statuses = case_results(cases, ("stdout", "stderr"))
    # A finding's line starts with the file's path and line number; the
    # lines "--show" draws start with a blank, and are no messages.
    lines = {re.sub(r"^.*?(:\d+)?: (?=警告: |エラー: )", "", line) for line in lines
             if not line.startswith(" ")}
    for page in pages:
        found = sections(page)
        shapes = set(message_shapes(found.get("MESSAGES", found.get("メッセージ", []))))
        for text in sorted(texts - shapes):
            failures.append("%s does not list the checker's text %r" % (page, text.replace(GAP, "…")))
        for text in sorted(shapes - texts):
            failures.append("%s lists %r, which the checker never shows" % (page, text.replace(GAP, "…")))
        patterns = [pattern(shape) for shape in shapes]
        for line in sorted(lines):
            if not any(p.fullmatch(line) for p in patterns):
                failures.append("%s does not list the line %r of the checker's cases" % (page, line))
        listed = exit_statuses(found.get("EXIT STATUS", found.get("終了ステータス", [])))
        if listed != statuses:
            failures.append("%s lists exit statuses %s, the checker's cases end with %s"
                            % (page, sorted(listed), sorted(statuses)))
    return rows, len(texts), len(lines)


def main():
    args = sys.argv[1:]
    checker = args[args.index("--checker") + 1:] if "--checker" in args else []
    args = args[:args.index("--checker")] if "--checker" in args else args
    cases, readme, windows_readme, pages = Path(args[0]), args[1], args[2], args[3:]
    seen_lines, seen_statuses, boxes = set(), set(), set()
    for case in sorted(p for p in cases.iterdir() if p.is_dir()):
        if (case / "stderr").exists():
            seen_lines.update((case / "stderr").read_text(encoding="utf-8").splitlines())
        windows = case / "windows-stderr" if (case / "windows-stderr").exists() else case / "stderr"
        # As CMakeLists.txt has it, the Windows program does not run cases that
        # change users or permissions or make special files.
        posix_only = any((case / name).exists() for name in ("posix-only", "user", "chmod", "setup"))
        if windows.exists() and not posix_only:
            for line in windows.read_text(encoding="utf-8").splitlines():
                title, _, text = line.partition(": ")
                # The open-file dialog is no message.
                if title in ("Quarnel", "エラー"):
                    boxes.add(text)
        # A case without a status file ends with 0.
        status = case / "status"
        seen_statuses.add(int(status.read_text().strip()) if status.exists() else 0)
    readme_statuses = {int(m) for m in re.findall(r"^\| (\d+) \|", Path(readme).read_text(encoding="utf-8"), re.M)}
    if readme_statuses != seen_statuses:
        failures.append("the README lists exit statuses %s, the cases end with %s"
                        % (sorted(readme_statuses), sorted(seen_statuses)))
    for page in pages:
        found = sections(page)
        messages = found.get("MESSAGES", found.get("メッセージ", []))
        statuses = found.get("EXIT STATUS", found.get("終了ステータス", []))
        patterns = message_patterns(messages)
        if not patterns:
            failures.append("%s lists no messages" % page)
        for line in sorted(seen_lines):
            if not any(p.fullmatch(line) for p in patterns):
                failures.append("%s does not list the message %r" % (page, line))
        if exit_statuses(statuses) != seen_statuses:
            failures.append("%s lists exit statuses %s, the cases end with %s"
                            % (page, sorted(exit_statuses(statuses)), sorted(seen_statuses)))
    patterns = readme_patterns(windows_readme)
    for text in sorted(boxes):
        if not any(p.fullmatch(text) for p in patterns):
            failures.append("%s does not list the message %r" % (windows_readme, text))
    checker_counts = check_checker_pages(checker[0], checker[1], checker[2:]) if checker else None
    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    if failures:
        sys.exit(1)
    print("man pages: %d messages and %d exit statuses of the cases listed; readme.txt: %d boxes"
          % (len(seen_lines), len(seen_statuses), len(boxes)))
    if checker_counts:
        print("checker's man pages: its table's %d findings (%d texts with the report's), "
              "%d lines of its cases" % checker_counts)


if __name__ == "__main__":
    main()
