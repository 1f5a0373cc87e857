#!/usr/bin/env python3
"""Checks that what the Markdown documents point at is there:

- every link leads to a file or folder of the source tree, and every
  "#anchor" to a heading of the document it names (GitHub's anchors);
- every source path named in code (a code span or a fenced block) exists,
  a "*" in it matching at least one file;
- every preset a command uses is a preset of CMakePresets.json of its kind,
  every "--target" a target the build defines, every "-DQUARNEL_X" an
  option of the build and every QUARNEL_X variable a command sets one that a
  source file reads;
- every test named in a code span is one: "e2e.X" and "check.X" a case
  directory, others a name testing/CMakeLists.txt gives a test (as written,
  or made by a foreach loop such as page_${check}), whichever build
  registers it, and "Suite.Name" a GoogleTest TEST of a *_test.cc.

usage: doc_links.py SOURCE_DIR DOCUMENT...
"""
import json
import re
import sys
from pathlib import Path

# The folders of the source tree that a path in the documents starts with.
TOP = ("app", "check", "puzzle", "text", "input", "render", "platform", "testing", "bench",
       "fuzz", "desktop", "packaging", "cmake", "docs", "examples", "tools", ".ci")
PATH = re.compile(r"(?<![\w./-])((?:%s)/[\w./*+-]*)" % "|".join(re.escape(t) for t in TOP))
# Words in code that look like source paths and are none.
NOT_PATHS = {"text/plain",  # a MIME type
             "examples/stages.html"}  # the page the example command writes
TEST_PREFIXES = ("e2e", "check", "docs", "browser", "gui", "exe", "desktop", "gtk", "install",
                 "package", "puzzle", "code_page")
TEST = re.compile(r"(%s)\.(\w+)" % "|".join(TEST_PREFIXES))
GTEST = re.compile(r"([A-Z]\w*)\.([A-Z]\w*)")
FENCE = re.compile(r"^```[^\n]*\n(.*?)^```", re.M | re.S)
SPAN = re.compile(r"`([^`]+)`")
LINK = re.compile(r"!?\[([^\]]*)\]\(([^)\s]+)\)")


def slug(heading):
    """A heading's anchor as GitHub makes it."""
    text = LINK.sub(r"\1", heading).strip().lower()
    return re.sub(r"[^\w\- ]", "", text).replace(" ", "-")


def anchors(document):
    found, seen = set(), {}
    text = FENCE.sub("", document.read_text(encoding="utf-8"))
    for heading in re.findall(r"^#{1,6} (.+)$", text, re.M):
        base = slug(heading)
        n = seen.get(base, 0)
        seen[base] = n + 1
        found.add(base if n == 0 else "%s-%d" % (base, n))
    return found


class Tree:
    def __init__(self, root):
        self.root = root
        presets = json.loads((root / "CMakePresets.json").read_text(encoding="utf-8"))
        self.presets = {kind: {p["name"] for p in presets.get(kind, [])}
                        for kind in ("configurePresets", "buildPresets", "testPresets")}
        cmake_text = "\n".join(p.read_text(encoding="utf-8") for p in self.cmake_files())
        # CPack's and CMake's own targets, and every target the build adds by name.
        self.targets = {"all", "install", "package", "clean"} | set(
            re.findall(r"add_(?:executable|library|custom_target)\(\s*([\w.+-]+)", cmake_text))
        self.options = set(re.findall(r"(?:option|set)\((QUARNEL_\w+)", cmake_text))
        self.sources = "\n".join(p.read_text(encoding="utf-8", errors="replace")
                                 for p in root.rglob("*.cc") if "build" not in p.relative_to(root).parts)
        tests_text = (root / "testing/CMakeLists.txt").read_text(encoding="utf-8")
        # Every word, and every name a foreach loop makes of a word and its
        # variable (page_${check} with check in access html ...).
        self.test_words = set(re.findall(r"[\w.]+", tests_text))
        for variable, items in re.findall(r"foreach\((\w+) IN ITEMS ([^)]*)\)", tests_text):
            for prefix in re.findall(r"([\w.]*)\$\{%s\}" % variable, tests_text):
                self.test_words.update(prefix + item for item in items.split())
        self.gtests = set()
        for source in root.rglob("*_test.cc"):
            if "build" not in source.relative_to(root).parts:
                self.gtests.update(re.findall(r"^TEST(?:_F|_P)?\((\w+), (\w+)\)",
                                              source.read_text(encoding="utf-8"), re.M))

    def cmake_files(self):
        for path in self.root.rglob("*"):
            parts = path.relative_to(self.root).parts
            if parts[0] in ("build", ".git") or "node_modules" in parts:
                continue
            if path.name == "CMakeLists.txt" or path.suffix == ".cmake":
                yield path


def check_links(document, text, root, problems):
    for _, target in LINK.findall(SPAN.sub("", FENCE.sub("", text))):
        if re.match(r"[a-z]+:", target):
            continue
        path, _, anchor = target.partition("#")
        goal = (document.parent / path).resolve() if path else document.resolve()
        if not goal.exists() or root.resolve() not in (goal, *goal.parents):
            problems.append("%s: the link %s leads to no file of the source tree" % (document, target))
        elif anchor and (goal.suffix != ".md" or anchor not in anchors(goal)):
            problems.append("%s: the link %s names no heading of %s" % (document, target, goal.name))


def check_code(document, text, tree, problems):
    blocks = FENCE.findall(text)
    spans = SPAN.findall(FENCE.sub("", text))
    for code in blocks + spans:
        for match in PATH.finditer(code):
            path = match.group(1)
            # A path that goes on with a placeholder (<case>, …) names its folder.
            if code[match.end():match.end() + 1] in ("<", "…", "{"):
                path = path[:path.rfind("/") + 1]
            path = path.rstrip(".")
            if path in NOT_PATHS:
                continue
            found = list(tree.root.glob(path.rstrip("/"))) if "*" in path else \
                [tree.root / path] if (tree.root / path).exists() else []
            if not found:
                problems.append("%s: %s names no file of the source tree" % (document, path))
        for command, name in re.findall(r"(cmake --build|cmake|ctest) --preset[ =]([\w-]+)", code):
            kind = {"cmake": "configurePresets", "cmake --build": "buildPresets",
                    "ctest": "testPresets"}[command]
            if name not in tree.presets[kind]:
                problems.append("%s: %s --preset %s: no such preset" % (document, command, name))
        for name in re.findall(r"--target[ =]([\w.+-]+)", code):
            if name not in tree.targets:
                problems.append("%s: --target %s: no such target" % (document, name))
        for name in re.findall(r"-D(QUARNEL_\w+)=", code):
            if name not in tree.options:
                problems.append("%s: -D%s: no such option of the build" % (document, name))
        for name in re.findall(r"(?<![-\w])(QUARNEL_\w+)=", code):
            if '"%s"' % name not in tree.sources:
                problems.append("%s: %s: no program reads it" % (document, name))
    for span in spans:
        span = span.strip()
        test = TEST.fullmatch(span)
        if test:
            prefix, name = test.groups()
            if prefix in ("e2e", "check"):
                known = (tree.root / "testing/cases" / prefix / name).is_dir() or span in tree.test_words
            else:
                known = name in tree.test_words or span in tree.test_words
            if not known:
                problems.append("%s: %s is no test" % (document, span))
        gtest = GTEST.fullmatch(span)
        if gtest and gtest.groups() not in tree.gtests:
            problems.append("%s: %s is no GoogleTest test" % (document, span))


def main():
    args = sys.argv[1:]
    root = Path(args.pop(0))
    tree = Tree(root)
    problems = []
    for name in args:
        document = Path(name)
        text = document.read_text(encoding="utf-8")
        check_links(document, text, root, problems)
        check_code(document, text, tree, problems)
    for problem in problems:
        print("FAIL:", problem, file=sys.stderr)
    if problems:
        sys.exit(1)
    print("%d documents: every link, anchor, path, preset, target and test they name is there"
          % len(args))


if __name__ == "__main__":
    main()
