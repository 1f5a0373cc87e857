#!/usr/bin/env bash
# Runs the built program on one case of testing/cases/e2e/ and checks what it did.
#
# usage: run_case.sh QUARNEL DEFAULT_TEMPLATE CASE_DIR [RUNNER...]
#
# QUARNEL may also be the template checker, quarnel-check, whose cases
# (testing/cases/check/) are laid out the same way.
#
# With a RUNNER (such as testing/windows/run_exe.sh for the Windows program
# under Wine), the run is RUNNER QUARNEL ARG...; the runner writes each
# message the program shows to standard error as "<title>: <text>". The
# program's Windows paths then read as their POSIX spelling, the system's
# reason for a failed read or write is not compared, and these files of the
# case take the place of status and stderr where the Windows program differs:
#   windows-status, windows-stderr
#   posix-only    the case is left out of the Windows program's suite (says why)
#   windows-only  the case is the Windows program's alone (says why)
#
# A case directory holds:
#   input/        files the run starts with, in its working directory
#   template.dat  the template beside the executable (else the default one;
#                 a file named no-template means none at all)
#   args          the arguments, one a line (absent: "stages.dat"; empty: none)
#   shell-args    instead of args: one line of arguments as a shell reads it
#                 (quotes, wildcards), expanded in the run directory before
#                 the run
#   expected/     files the run must add or change, byte for byte
#   status        the expected exit status (absent: 0)
#   stderr        the expected standard error (absent: empty); the run's
#                 temporary directory reads as WORK
#   stdout        the expected standard output (absent: empty), read the same way
#   ulimit-f      a file-size limit for the run, in blocks of 512 bytes
#   setup         a bash script run in the run directory before the run, to
#                 make inputs too big to keep (and their expected pages, in
#                 the directory $EXPECTED); $BIN is the executable's directory
#   chmod         lines "MODE PATH" applied after setup; PATH is in the run
#                 directory ("." for the directory itself, "../bin/..." for
#                 the executable's directory)
#   users         names of users the case needs, one a line, made (as system
#                 users without a home) where missing (needs root)
#   user          run as an unprivileged user, whom permissions bind: as root
#                 the user the file names (one of users), or nobody where it
#                 is empty (the run directory becomes theirs), else the user
#                 running this script
#   chown         lines "OWNER[:GROUP] PATH" applied after user (needs root)
#   tmpfs         lines "DIR SIZE": a small file system of its own (tmpfs,
#                 mount -o size=SIZE) at DIR in the run directory, made
#                 before input/ is copied and unmounted at the end (needs
#                 root), for a disk that fills up
#   runs          how many runs start at once (absent: 1); each must end
#                 with the expected status and standard error
# Every file the run starts with (input/ and what setup made) that expected/
# does not name must be left as it was, byte for byte, and no other file may
# appear. Every name the run starts with keeps its type, permissions, owner,
# group, number of hard links and, for a symbolic link, its target.
set -euo pipefail

quarnel=$1
default_template=$2
case_dir=$(cd "$3" && pwd)
shift 3
runner=("$@")

work=$(mktemp -d)
mounts=()
cleanup() {
  local status=$? dir
  for dir in "${mounts[@]}"; do
    umount "$dir" || { echo "FAIL: cannot unmount $dir" >&2; status=1; }
  done
  chmod -R u+rwX "$work" 2>/dev/null
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
mkdir "$work/bin" "$work/run" "$work/expected"
if [ -f "$case_dir/tmpfs" ]; then
  while read -r dir size; do
    [ -n "$dir" ] || continue
    mkdir -p "$work/run/$dir"
    mount -t tmpfs -o "size=$size" tmpfs "$work/run/$dir" ||
      { echo "FAIL: cannot mount a tmpfs at $dir (this case needs root)" >&2; exit 1; }
    mounts+=("$work/run/$dir")
  done < "$case_dir/tmpfs"
fi
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

if [ -f "$case_dir/setup" ]; then
  (cd "$work/run" && BIN=$work/bin EXPECTED=$work/expected bash "$case_dir/setup")
fi
[ -d "$case_dir/expected" ] && cp -R "$case_dir/expected/." "$work/expected/"

# What the run directory must hold: what it starts with, expected/ laid over.
mkdir "$work/want"
cp -a "$work/run/." "$work/want/"
cp -R "$work/expected/." "$work/want/"
template_before=
if [ -f "$work/bin/template.dat" ]; then
  template_before=$work/template.before
  cp "$work/bin/template.dat" "$template_before"
fi

if [ -f "$case_dir/users" ]; then
  [ "$(id -u)" = 0 ] || { echo "FAIL: this case needs root to make users" >&2; exit 1; }
  while read -r name; do
    # Cases running at once may make the same user: one of them wins.
    for try in 1 2 3 4 5; do
      id -u "$name" >/dev/null 2>&1 && break
      useradd --system --no-create-home --shell /usr/sbin/nologin "$name" 2>/dev/null || sleep 1
    done
    id -u "$name" >/dev/null || { echo "FAIL: cannot make the user $name" >&2; exit 1; }
  done < "$case_dir/users"
fi
as_user=()
if [ -f "$case_dir/user" ] && [ "$(id -u)" = 0 ]; then
  run_as=$(head -n 1 "$case_dir/user")
  uid=$(id -u "${run_as:-nobody}") gid=$(id -g "${run_as:-nobody}")
  chmod 755 "$work"
  chown -R "$uid:$gid" "$work/run"
  as_user=(setpriv --reuid="$uid" --regid="$gid" --clear-groups --)
fi
if [ -f "$case_dir/chown" ]; then
  [ "$(id -u)" = 0 ] || { echo "FAIL: this case needs root to change owners" >&2; exit 1; }
  while read -r owner path; do
    [ -n "$owner" ] && chown -h "$owner" "$work/run/$path"
  done < "$case_dir/chown"
fi
if [ -f "$case_dir/chmod" ]; then
  while read -r mode path; do
    [ -n "$mode" ] && chmod "$mode" "$work/run/$path"
  done < "$case_dir/chmod"
fi
# What each name is, as the run finds it. (Wine gives the files the Windows
# program makes permissions and an owner of its own.)
attribute_format='%P\t%y %m %U:%G links=%n %l\n'
[ "${#runner[@]}" -eq 0 ] || attribute_format='%P\t%y links=%n %l\n'
attributes() {
  (cd "$1" && find . -mindepth 1 -printf "$attribute_format" | LC_ALL=C sort)
}
attributes "$work/run" > "$work/attributes.before"

args=(stages.dat)
args_file=$case_dir/args
if [ "${#runner[@]}" -ne 0 ] && [ -f "$case_dir/windows-args" ]; then
  args_file=$case_dir/windows-args
fi
if [ -f "$args_file" ]; then
  mapfile -t args < "$args_file"
elif [ -f "$case_dir/shell-args" ]; then
  mapfile -d '' -t args < <(cd "$work/run" && eval "printf '%s\\0' $(<"$case_dir/shell-args")")
fi

source "$(dirname "$0")/../lib.sh"

runs=1
[ -f "$case_dir/runs" ] && runs=$(cat "$case_dir/runs")
# One run of the program; SUFFIX names its output files.
run_once() {
  local suffix=$1
  (
    cd "$work/run"
    if [ -f "$case_dir/ulimit-f" ]; then
      # The Windows program cannot ignore the signal itself.
      if [ "${#runner[@]}" -ne 0 ]; then trap '' XFSZ; fi
      ulimit -f "$(cat "$case_dir/ulimit-f")"
    fi
    # No display for the Linux program: these cases are the console's,
    # whatever the session. The Windows program's boxes are answered on the
    # runner's virtual screen.
    if [ "${#runner[@]}" -eq 0 ]; then unset DISPLAY WAYLAND_DISPLAY; fi
    exec "${as_user[@]}" timeout 100 "${runner[@]}" "$program" "${args[@]}" </dev/null \
      >"$work/stdout$suffix" 2>"$work/stderr$suffix"
  )
}
statuses=()
set +e
if [ "$runs" -eq 1 ]; then
  run_once ""
  statuses+=($?)
else
  pids=()
  for ((run = 1; run <= runs; run++)); do
    suffix=
    [ "$run" -gt 1 ] && suffix=.$run
    run_once "$suffix" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do
    wait "$pid"
    statuses+=($?)
  done
fi
set -e
want_status=0
[ -f "$case_dir/status" ] && want_status=$(cat "$case_dir/status")
want_stderr=/dev/null
[ -f "$case_dir/stderr" ] && want_stderr=$case_dir/stderr
if [ "${#runner[@]}" -ne 0 ]; then
  [ -f "$case_dir/windows-status" ] && want_status=$(cat "$case_dir/windows-status")
  [ -f "$case_dir/windows-stderr" ] && want_stderr=$case_dir/windows-stderr
fi
cp "$want_stderr" "$work/stderr.want"
reason='s/(に書きこめません|を読みこめません)（.*）$/\1（…）/'
if [ "${#runner[@]}" -ne 0 ]; then
  windows_work=$(printf 'Z:%s\\bin\\' "${work//\//\\}" | sed 's/[][\\.*^$|]/\\&/g')
  sed -E -i -e "$reason" "$work/stderr.want"
fi
for ((run = 1; run <= runs; run++)); do
  suffix=
  [ "$run" -gt 1 ] && suffix=.$run
  status=${statuses[run - 1]}
  [ "$status" = "$want_status" ] || fail "exit status $status, expected $want_status (run $run)"
  sed "s|$work|WORK|g" "$work/stderr$suffix" > "$work/stderr.seen"
  if [ "${#runner[@]}" -ne 0 ]; then
    sed -E -i -e "s|$windows_work|WORK/bin/|g" -e "$reason" "$work/stderr.seen"
  fi
  diff -u "$work/stderr.want" "$work/stderr.seen" >&2 || fail "standard error differs (run $run)"
  if [ -f "$case_dir/stdout" ]; then
    sed "s|$work|WORK|g" "$work/stdout$suffix" > "$work/stdout.seen"
    diff -u "$case_dir/stdout" "$work/stdout.seen" >&2 || fail "standard output differs (run $run)"
  elif [ -s "$work/stdout$suffix" ]; then
    fail "unexpected standard output: $(cat "$work/stdout$suffix")"
  fi
done

# Names the run started with keep what they were.
attributes "$work/run" > "$work/attributes.after"
LC_ALL=C join -t $'\t' -o 1.1,1.2,2.2 "$work/attributes.before" "$work/attributes.after" |
  awk -F '\t' '$2 != $3 { print "changed: " $1 ": " $2 " -> " $3; bad = 1 } END { exit bad }' >&2 ||
  fail "a name the run started with changed its type, permissions, owner or links"

# The same names of the same types, and the same bytes in every file. (Not
# diff -r: it would open a FIFO, and cannot compare one.)
chmod -R u+rwX "$work/run" "$work/want" "$work/bin"
listing() { (cd "$1" && find . -mindepth 1 -printf '%y %P\n' | LC_ALL=C sort); }
same=1
diff -u <(listing "$work/want") <(listing "$work/run") >&2 || same=0
while IFS= read -r name; do
  if [ -f "$work/run/$name" ] && ! cmp -s "$work/want/$name" "$work/run/$name"; then
    echo "differs: $name" >&2
    same=0
  fi
done < <(cd "$work/want" && find . -type f -printf '%P\n')
if [ "$same" = 0 ]; then
  while IFS= read -r page; do
    if [ -f "$work/run/$page" ] && ! cmp -s "$work/want/$page" "$work/run/$page"; then
      echo "--- $page, expected against written (as UTF-8):" >&2
      diff -u <(iconv -f CP932 -t UTF-8 "$work/want/$page" | tr -d '\r') \
              <(iconv -f CP932 -t UTF-8 "$work/run/$page" | tr -d '\r') | head -c 20000 >&2 || true
    fi
  done < <(cd "$work/want" && find . -name '*.html' -type f -printf '%P\n')
  fail "the files after the run differ from the expected ones"
fi
if [ -n "$template_before" ]; then
  cmp -s "$template_before" "$work/bin/template.dat" || fail "template.dat changed"
fi

verdict "case $(basename "$case_dir")"
