#!/usr/bin/env bash
# Runs the built program on one case of testing/data and checks what it did.
#
# usage: run_case.sh QUARNEL DEFAULT_TEMPLATE CASE_DIR [RUNNER...]
#
# With a RUNNER (such as testing/windows/run_exe.sh for the Windows program
# under Wine), the run is RUNNER QUARNEL ARG...; the runner writes each
# message the program shows to standard error as "<title>: <text>". The
# program's Windows paths then read as their POSIX spelling, the system's
# reason for a failed read or write is not compared, and these files of the
# case take the place of status and stderr where the Windows program differs:
#   windows-status, windows-stderr
#
# A case directory holds:
#   input/        files the run starts with, in its working directory
#   template.dat  the template beside the executable (else the default one;
#                 a file named no-template means none at all)
#   args          the arguments, one a line (absent: "stages.dat"; empty: none)
#   expected/     files the run must add or change, byte for byte
#   status        the expected exit status (absent: 0)
#   stderr        the expected standard error (absent: empty); the run's
#                 temporary directory reads as WORK
#   ulimit-f      a file-size limit for the run, in blocks of 512 bytes
# Every file of input/ that expected/ does not name must be left as it was,
# and no other file may appear.
set -euo pipefail

quarnel=$1
default_template=$2
case_dir=$3
shift 3
runner=("$@")

work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/run"
program=$work/bin/$(basename "$quarnel")
cp "$quarnel" "$program"
if [ -e "$case_dir/template.dat" ]; then
  cp -R "$case_dir/template.dat" "$work/bin/template.dat"
elif [ ! -e "$case_dir/no-template" ]; then
  cp "$default_template" "$work/bin/template.dat"
fi
if [ -d "$case_dir/input" ]; then
  cp -R "$case_dir/input/." "$work/run/"
fi

args=(stages.dat)
if [ -f "$case_dir/args" ]; then
  mapfile -t args < "$case_dir/args"
fi

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

set +e
(
  cd "$work/run"
  if [ -f "$case_dir/ulimit-f" ]; then
    # The Windows program cannot ignore the signal itself.
    if [ "${#runner[@]}" -ne 0 ]; then trap '' XFSZ; fi
    ulimit -f "$(cat "$case_dir/ulimit-f")"
  fi
  exec timeout 100 "${runner[@]}" "$program" "${args[@]}" </dev/null >"$work/stdout" 2>"$work/stderr"
)
status=$?
set -e

want_status=0
[ -f "$case_dir/status" ] && want_status=$(cat "$case_dir/status")
want_stderr=/dev/null
[ -f "$case_dir/stderr" ] && want_stderr=$case_dir/stderr
if [ "${#runner[@]}" -ne 0 ]; then
  [ -f "$case_dir/windows-status" ] && want_status=$(cat "$case_dir/windows-status")
  [ -f "$case_dir/windows-stderr" ] && want_stderr=$case_dir/windows-stderr
fi
[ "$status" = "$want_status" ] || fail "exit status $status, expected $want_status"

sed "s|$work|WORK|g" "$work/stderr" > "$work/stderr.seen"
cp "$want_stderr" "$work/stderr.want"
if [ "${#runner[@]}" -ne 0 ]; then
  windows_work=$(printf 'Z:%s\\bin\\' "${work//\//\\}" | sed 's/[][\\.*^$|]/\\&/g')
  reason='s/(に書きこめません|を読みこめません)（.*）$/\1（…）/'
  sed -E -i -e "s|$windows_work|WORK/bin/|g" -e "$reason" "$work/stderr.seen"
  sed -E -i -e "$reason" "$work/stderr.want"
fi
diff -u "$work/stderr.want" "$work/stderr.seen" >&2 || fail "standard error differs"
[ -s "$work/stdout" ] && fail "unexpected standard output: $(cat "$work/stdout")"

# What the run directory must hold: the inputs, with expected/ laid over them.
mkdir "$work/want"
[ -d "$case_dir/input" ] && cp -R "$case_dir/input/." "$work/want/"
[ -d "$case_dir/expected" ] && cp -R "$case_dir/expected/." "$work/want/"
if ! diff -r "$work/want" "$work/run" >/dev/null; then
  diff -r "$work/want" "$work/run" >&2 || true
  for page in $(cd "$work/want" && find . -name '*.html' -type f); do
    if [ -f "$work/run/$page" ] && ! cmp -s "$work/want/$page" "$work/run/$page"; then
      echo "--- $page, expected against written (as UTF-8):" >&2
      diff -u <(iconv -f CP932 -t UTF-8 "$work/want/$page" | tr -d '\r') \
              <(iconv -f CP932 -t UTF-8 "$work/run/$page" | tr -d '\r') >&2 || true
    fi
  done
  fail "the files after the run differ from the expected ones"
fi
if [ -e "$case_dir/template.dat" ] && [ -f "$case_dir/template.dat" ]; then
  cmp -s "$case_dir/template.dat" "$work/bin/template.dat" || fail "template.dat changed"
fi

if [ "$failures" -ne 0 ]; then
  echo "case $(basename "$case_dir"): $failures check(s) failed" >&2
  exit 1
fi
echo "case $(basename "$case_dir"): ok"
