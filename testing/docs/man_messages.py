#!/usr/bin/env python3
"""Checks the documentation against what the program really does: every
line that an end-to-end case of testing/cases/e2e/ expects on standard error is
one of the messages each man page lists, and each page's exit statuses, like
the README's table, are exactly those the cases end with; every box the
Windows program shows in the cases is one of the messages its readme.txt
lists.

usage: man_messages.py CASES_DIR README WINDOWS_README MAN_PAGE...
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


def message_patterns(lines):
    """Each .B or .BI line as a pattern: bold parts literal, italic parts any text, even none."""
    patterns = []
    for line in lines:
        request, _, rest = line.partition(" ")
        if request not in (".B", ".BI"):
            continue
        parts = [part.replace("\\:", "") for part in shlex.split(rest)]
        if request == ".B":
            parts = [" ".join(parts)]
        regex = "".join(re.escape(part) if i % 2 == 0 else ".*" for i, part in enumerate(parts))
        patterns.append(re.compile(regex))
    return patterns


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


def main():
    cases, readme, windows_readme, pages = Path(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4:]
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
    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    if failures:
        sys.exit(1)
    print("man pages: %d messages and %d exit statuses of the cases listed; readme.txt: %d boxes"
          % (len(seen_lines), len(seen_statuses), len(boxes)))


if __name__ == "__main__":
    main()
