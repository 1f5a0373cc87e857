#!/usr/bin/env python3
"""Makes the Windows readme.txt: the UTF-8 source with the version filled
in, written in code page 932 with CR LF line ends, as Windows' Japanese
editors read it.

usage: make_readme.py SOURCE OUTPUT VERSION
"""
import sys

source, output, version = sys.argv[1:4]
with open(source, encoding="utf-8", newline="") as f:
    text = f.read()
if "\r" in text:
    sys.exit("%s: write it with LF line ends" % source)
text = text.replace("@VERSION@", version)
with open(output, "wb") as f:
    # A character code page 932 cannot hold stops the build here.
    f.write(text.replace("\n", "\r\n").encode("cp932"))
