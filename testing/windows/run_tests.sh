#!/usr/bin/env bash
# Runs the Windows build's tests under Wine, in a fresh Wine prefix whose
# ANSI code page is 932, on an Xvfb screen of its own, so the program's
# message boxes and dialog really appear. Then it runs a part of them again
# with the ANSI code page 65001, as Windows has it with its "Unicode UTF-8
# for worldwide language support" option on: the conversions, the bundled
# example, the boxes and the dialog.
#
# The shipped program is 32-bit. Where this machine executes 32-bit code,
# its own build (preset windows) is tested under 32-bit Wine. Where it does
# not (kernels built without IA-32 emulation), the 64-bit twin built from
# the same sources (preset windows64) is tested under 64-bit Wine instead,
# and the shipped program is still checked without running it: its build
# compiles the dialog record's layout checks, and check_exe.py reads back
# what Explorer shows of it and its zip.
#
# usage: run_tests.sh [CTEST_ARG...]
#   (after cmake --build --preset windows --target quarnel_zip, and, for a
#   machine without 32-bit execution, cmake --build --preset windows64)
set -euo pipefail
cd "$(dirname "$0")/../.."
source_dir=$PWD

# Whether this machine runs 32-bit Windows programs is found by trying:
# the 32-bit Wine loader is itself a 32-bit program.
wine32=/usr/lib/wine/wine
wine64=/usr/lib/wine/wine64
if [ -x "$wine32" ] && "$wine32" --version >/dev/null 2>&1; then
  preset=windows arch=win32 wine=$(command -v wine || true)
  suite="Windows suite: the shipped 32-bit program under 32-bit Wine (this machine executes 32-bit code)"
else
  if [ -x "$wine32" ]; then
    why="this machine cannot execute 32-bit code"
  else
    why="32-bit Wine is not installed"
  fi
  preset=windows64 arch=win64 wine=$wine64
  suite="Windows suite: 64-bit twin under 64-bit Wine ($why)"
  # Wine starts further programs through WINELOADER; the plain `wine`
  # would pick the 32-bit loader.
  export WINELOADER=$wine64
fi
echo "$suite"
[ -n "$wine" ] && [ -x "$wine" ] || { echo "run_tests.sh: no Wine loader for $preset ($wine)" >&2; exit 1; }
build=$source_dir/build/$preset
[ -x "$build/quarnel.exe" ] ||
  { echo "run_tests.sh: build $build first (cmake --preset $preset && cmake --build --preset $preset)" >&2; exit 1; }

# Japanese Windows: Wine takes its code pages from the locale.
locale -a | grep -qix 'ja_JP.utf8' || { echo "run_tests.sh: no ja_JP.UTF-8 locale" >&2; exit 1; }
# and a locale without an ANSI code page for the run with 65001 (below).
locale -a | grep -qix 'hi_IN.utf8' || { echo "run_tests.sh: no hi_IN.UTF-8 locale" >&2; exit 1; }
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEARCH=$arch WINEDEBUG=-all WINEPREFIX=$build/wineprefix
# No downloads of the .NET and HTML engines while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="

xvfb_pid=
finish() {
  local status=$?
  timeout 30 wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  if [ "$status" = 0 ]; then
    echo "$suite: passed"
  else
    echo "$suite: FAILED (status $status)" >&2
  fi
}
trap finish EXIT

if [ "$preset" = windows64 ]; then
  # The shipped program is not run here, but still read back and checked.
  product=$source_dir/build/windows
  [ -f "$product/CMakeCache.txt" ] ||
    { echo "run_tests.sh: configure the shipped program's build first (cmake --preset windows)" >&2; exit 1; }
  echo "run_tests.sh: checking the shipped 32-bit program without running it"
  # The shipped build's own check, with the programs, zip and version it
  # was configured with; the target builds what it reads. Not through its ctest: listing that build's unit
  # tests runs them, under the 32-bit Wine that cannot start here.
  cmake --build "$product" --target check_shipped_exe
fi

source "$source_dir/testing/lib.sh"
start_xvfb 1280x800x24

rm -rf "$WINEPREFIX"
echo "run_tests.sh: making the Wine prefix on display $DISPLAY"
timeout 300 "$wine" wineboot -i >/dev/null 2>&1 || { echo "run_tests.sh: wineboot failed" >&2; exit 1; }
# Without a window manager Wine draws the title bars itself, so the pictures
# of the boxes show their titles.
timeout 60 "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 ||
  { echo "run_tests.sh: cannot set up Wine's window frames" >&2; exit 1; }
# One wine server for all runs, started outside any test's limits, once the
# one of wineboot has gone.
timeout 60 wineserver -w || true
timeout 30 wineserver -p
acp=$(timeout 60 "$wine" reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP \
      2>/dev/null | tr -d '\r' | awk '$1 == "ACP" { print $3 }' || true)
[ "$acp" = 932 ] || { echo "run_tests.sh: Wine's code page is '$acp', not 932" >&2; exit 1; }

# Now and then, for a minute or two, Wine shows no message box at all: the
# program's MessageBox returns at once and the cases that expect a box fail
# together, while the same cases pass forty times in a row after. The tests
# that failed run once more, named; a second failure fails the suite.
run_ctest() {
  ctest --preset "$preset" "$@" && return 0
  echo "run_tests.sh: the tests above that failed run once more" >&2
  ctest --preset "$preset" --rerun-failed
}

status=0
run_ctest "$@" || status=$?

# The UTF-8 option. Wine takes the ANSI code page from the system locale
# (LC_CTYPE), not from the registry, and only a locale that has no ANSI code
# page gives 65001; Hindi is one. The user's locale, and so the language of
# Wine's own texts, stays Japanese. The unit test Win32CodePage.* fails when
# the programs do not see 65001.
utf8_tests='^(Win32CodePage\.|SystemCodePage\.|code_page\.table$'
utf8_tests+='|e2e\.(bundled_example|utf8_stage_file_gives_the_same_page|characters_shift_jis_lacks_become_references|latin1_stage_file_is_refused|japanese_path|full_width_and_ragged|invalid_cp932_in_stage_file|invalid_cp932_in_template|truncated_double_byte_at_end|quoted_path_with_blank_is_unquoted)$'
utf8_tests+='|import\.(titles_and_forms|bad_line_writes_nothing|pzprv3_file)$'
utf8_tests+='|gui\.(missing_template|missing_stage_file|dialog_cancel|dialog_open|dragged_path_with_blanks)$)'
echo "run_tests.sh: again with the ANSI code page 65001 (system locale hi_IN.UTF-8, user locale ja_JP.UTF-8)"
timeout 60 wineserver -k 2>/dev/null || true
timeout 60 wineserver -w || true
unset LC_ALL
export LC_CTYPE=hi_IN.UTF-8 QUARNEL_ACP=65001
timeout 30 wineserver -p
# The first program of a fresh server starts Wine's services, which keep its
# output open: not a test's, or ctest would wait for them.
timeout 120 "$wine" cmd /c exit >/dev/null 2>&1 </dev/null ||
  { echo "run_tests.sh: Wine does not start with the locale $LC_CTYPE" >&2; exit 1; }
run_ctest -R "$utf8_tests" "$@" || status=$?
exit "$status"
