# What the test scripts share; source it near the top of a script.
#   fail MESSAGE...   counts a failed check and says which, and goes on
#   verdict NAME      ends the script: status 1 when any check failed,
#                     "NAME: ok" otherwise
#   start_xvfb SCREEN [XVFB_ARG...]
#                     an Xvfb server on a free display, DISPLAY set to it

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

verdict() {
  if [ "$failures" -ne 0 ]; then
    echo "$1: $failures check(s) failed" >&2
    exit 1
  fi
  echo "$1: ok"
  exit 0
}

# Starts an Xvfb server with one screen of SCREEN (WIDTHxHEIGHTxDEPTH) on a
# display number it picks, and waits until it accepts clients; sets
# xvfb_pid, which the caller stops, and exports DISPLAY.
start_xvfb() {
  local screen=$1 dir
  shift
  dir=$(mktemp -d)
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp "$@" 3>"$dir/display" 2>"$dir/log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$dir/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$dir/display" ]; then
    echo "Xvfb did not start within 10 s" >&2
    cat "$dir/log" >&2
    rm -rf "$dir"
    return 1
  fi
  export DISPLAY=":$(tr -d '\n' <"$dir/display")"
  rm -rf "$dir"
}
