# Shell functions for running Windows programs under Wine and answering the
# windows they open; sourced by the Windows tests.
#
# The caller has set WINEPREFIX, DISPLAY (an Xvfb screen) and:
#   QUARNEL_WINE         the Wine loader that runs the build's programs
#                        (32-bit or 64-bit; plain `wine` when unset)
#   QUARNEL_LAUNCH       quarnel_launch.exe (starts a program with a raw command line)
#   QUARNEL_WINDOW_TEXT  quarnel_window_text.exe (prints the texts of a window)
# Every wait is bounded; a window that does not come or go is a failure.

# The Windows spelling of an absolute POSIX path (drive Z: is the root).
windows_path() {
  local path=$1
  printf 'Z:%s' "${path//\//\\}"
}

# Starts PROGRAM in the background with ARGUMENT_TEXT as its command line's
# argument text, exactly as given; sets wine_pid. Each HELD_FILE is held
# open for writing by the launcher while the program runs. Wine's own
# diagnostics go to the file wine_log, not to the program's (GUI programs
# have none).
start_windows_program() {
  local program=$1 argument_text=$2 held=() file
  shift 2
  for file in "$@"; do held+=("$(windows_path "$(realpath "$file")")"); done
  wine_args_file=$(mktemp)
  wine_log=$(mktemp)
  printf '%s' "$argument_text" > "$wine_args_file"
  timeout 90 "${QUARNEL_WINE:-wine}" "$QUARNEL_LAUNCH" "$(windows_path "$(realpath "$program")")" \
    "$(windows_path "$wine_args_file")" "${held[@]}" 2>"$wine_log" &
  wine_pid=$!
}

# Waits for the program of start_windows_program; sets wine_status. Shows
# Wine's diagnostics when the program did not end normally.
wait_windows_program() {
  set +e
  wait "$wine_pid"
  wine_status=$?
  set -e
  if [ "$wine_status" -ge 124 ]; then
    echo "wine (status $wine_status):" >&2
    cat "$wine_log" >&2
  fi
  rm -f "$wine_args_file" "$wine_log"
}

# The id of a visible window titled exactly TITLE, waiting up to SECONDS;
# fails when none appears.
find_window() {
  local title=$1 seconds=${2:-30} id
  local end=$((SECONDS + seconds))
  while [ "$SECONDS" -lt "$end" ]; do
    id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then
      printf '%s\n' "$id"
      return 0
    fi
    sleep 0.2
  done
  return 1
}

# Waits up to SECONDS for window ID to be gone.
wait_window_gone() {
  local id=$1 seconds=${2:-15}
  local end=$((SECONDS + seconds))
  while [ "$SECONDS" -lt "$end" ]; do
    xdotool getwindowname "$id" >/dev/null 2>&1 || return 0
    sleep 0.2
  done
  return 1
}

# The texts shown by the window titled TITLE, one a line.
window_text() {
  timeout 30 "${QUARNEL_WINE:-wine}" "$QUARNEL_WINDOW_TEXT" "$1" | tr -d '\r'
}

# Presses KEY in window ID, after giving it the focus.
press_key() {
  timeout 10 xdotool windowfocus --sync "$1" key --window "$1" "$2"
}

# Saves a picture of window ID as FILE (PNG).
screenshot() {
  timeout 20 import -window "$1" "$2"
}
