#!/usr/bin/env bash
# Runs a Windows program under Wine as the end-to-end cases run the Linux
# one, answering its windows: each message box is read, kept as a picture
# and closed with OK, and written to standard error as "<title>: <text>",
# the Linux build's own form of it; an open-file dialog is closed with
# Escape. The exit status is the program's.
#
# usage: run_exe.sh PROGRAM [ARG...]   (the arguments are joined with blanks)
# Environment: as for wine_lib.sh; QUARNEL_SHOTS, if set, is a directory for
# the pictures of the boxes.
set -euo pipefail
source "$(dirname "$0")/wine_lib.sh"

program=$1
shift
argument_text="$*"

start_windows_program "$program" "$argument_text"
handled=" "
shot=0
end=$((SECONDS + 80))
while kill -0 "$wine_pid" 2>/dev/null && [ "$SECONDS" -lt "$end" ]; do
  for title in Quarnel エラー ステージデータ; do
    id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] || continue
    case $handled in *" $id "*) continue ;; esac
    handled+="$id "
    if [ "$title" = ステージデータ ]; then
      echo "$title: [open-file dialog, closed with Escape]" >&2
      press_key "$id" Escape || true
    else
      sleep 0.3  # let it paint before the picture
      # A text of several lines goes on up to the next control.
      text=$(window_text "$title" |
             awk '/^[A-Za-z0-9_#]+: / { keep = sub(/^Static: /, "") && $0 != "[picture]" } keep')
      if [ -n "${QUARNEL_SHOTS:-}" ]; then
        shot=$((shot + 1))
        screenshot "$id" "$QUARNEL_SHOTS/box-$shot.png" || true
      fi
      printf '%s: %s\n' "$title" "$text" >&2
      press_key "$id" Return || true
    fi
    wait_window_gone "$id" 15 || echo "run_exe.sh: window '$title' did not close" >&2
  done
  sleep 0.2
done
if kill -0 "$wine_pid" 2>/dev/null; then
  echo "run_exe.sh: the program did not end in time" >&2
  kill "$wine_pid" 2>/dev/null || true
fi
wait_windows_program
exit "$wine_status"
