#!/usr/bin/env bash
# Runs the built program as a desktop or a terminal starts it, on the display
# in DISPLAY (see with_xvfb.sh), and checks the windows it shows, what it
# prints and what it leaves on disk. Every wait is bounded: a window that
# does not come fails the scenario.
#
# usage: desktop_test.sh QUARNEL DEFAULT_TEMPLATE EXAMPLE_STAGES SHOT_DIR SCENARIO
#
# Scenarios, with standard input not a terminal (a desktop start):
#   missing_template   box "Quarnel", then box "エラー"; exit status 1
#   missing_stage      the same for a stage file that is not there
#   chooser_cancel     the dialog "ステージデータ"; Escape ends silently
#   chooser_open       the dialog; a typed path and Enter write its page
#   page_without_window a page written without a window: GTK is never loaded
#   unreachable_display DISPLAY names no server: the console's texts
#   without_gtk        GTK cannot be loaded: the console's texts, no wait
#   several_with_missing two stage files, the second not there: its lines on
#                      standard error, then one box listing it; status 1
# and with standard input on a terminal (under script), no window at all:
#   terminal_missing_template, terminal_missing_stage, terminal_no_argument,
#   terminal_several_with_missing
set -euo pipefail

quarnel=$1
default_template=$2
example=$3
shot_dir=$4
scenario=$5

[ -n "${DISPLAY:-}" ] || { echo "desktop_test.sh: no DISPLAY; run it under with_xvfb.sh" >&2; exit 1; }
for tool in xdotool import script timeout /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "desktop_test.sh: $tool is not installed" >&2; exit 1; }
done

work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$shot_dir" "$work/bin" "$work/run"
cp "$quarnel" "$work/bin/quarnel"
case $scenario in
  *missing_template) ;;
  *) cp "$default_template" "$work/bin/template.dat" ;;
esac
cp "$example" "$work/run/stages.dat"
# Beside it, a file the dialog's filter hides and one it shows.
touch "$work/run/notes.txt" "$work/run/OTHER.DAT"

source "$(dirname "$0")/../lib.sh"

# The program, started as a launcher starts it: standard input not a
# terminal, output to files.
start() {
  (cd "$work/run" && exec timeout 60 "$work/bin/quarnel" "$@" </dev/null \
     >"$work/stdout" 2>"$work/stderr") &
  pid=$!
}

# Prints the id of the visible window titled exactly $1, waiting up to 15 s.
wait_window() {
  local id
  for _ in $(seq 150); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  return 1
}

# What the program's windows show, as the accessibility tree has it:
# window, label, button, filter and file lines (see a11y_windows.py).
read_windows() {
  timeout 30 /usr/bin/python3 "$(dirname "$0")/a11y_windows.py" 2>"$work/a11y.log" ||
    { cat "$work/a11y.log" >&2; return 1; }
}

# The program's standard error without the complaints that GTK's
# accessibility bridge itself prints once a window it was asked about is
# gone (each an empty line and a CRITICAL line); nothing else is dropped.
program_stderr() {
  local known="^\(quarnel:[0-9]+\): (Atk-CRITICAL \*\*: [0-9:.]+: atk_state_set_contains_state: assertion 'ATK_IS_STATE_SET \(set\)' failed|GLib-GObject-CRITICAL \*\*: [0-9:.]+: g_object_unref: assertion 'G_IS_OBJECT \(object\)' failed)\$"
  awk -v known="$known" '
    $0 == "" { blank++; next }
    $0 ~ known { dropped++; blank = 0; next }
    { while (blank > 0) { print ""; blank-- } print }
    END { while (blank > 0) { print ""; blank-- }
          if (dropped) printf "(%d lines of the accessibility bridge dropped)\n", dropped > "/dev/stderr" }
  ' "$work/stderr"
}

# Keeps a picture of the screen with the window on it.
shoot() {
  import -window root "$shot_dir/$scenario-$1.png" || fail "no screenshot $1"
}

# Waits up to 15 s for the program to end; sets status to its exit status.
wait_exit() {
  status=timeout
  for _ in $(seq 150); do
    if ! kill -0 "$pid" 2>/dev/null; then
      status=0
      wait "$pid" || status=$?
      pid=
      return 0
    fi
    sleep 0.1
  done
}

# The box titled $1 is up, standard error holds the lines of every box so
# far (the expected ones in the file $2, up to line $3); OK by Return.
expect_box() {
  local title=$1 lines=$2 count=$3 id
  if ! id=$(wait_window "$title"); then
    fail "no window titled \"$title\" within 15 s"
    return 1
  fi
  diff -u <(head -n "$count" "$lines") <(program_stderr) >&2 ||
    fail "standard error with the box \"$title\" up differs"
  # The one window shows the title, the text and one OK button.
  printf 'window\talert\t%s\nlabel\t%s\nbutton\tOK\n' "$title" \
    "$(sed -n "${count}s/^[^:]*: //p" "$lines")" >"$work/want-window"
  read_windows >"$work/window" || fail "could not read the windows"
  diff -u "$work/want-window" "$work/window" >&2 || fail "the box \"$title\" shows other things"
  shoot "$count"
  timeout 10 xdotool windowfocus --sync "$id" key --window "$id" Return ||
    fail "could not press Return in \"$title\""
}

no_page() {
  local extra
  extra=$(cd "$work/run" && ls -A | grep -vxe stages.dat -e notes.txt -e OTHER.DAT || true)
  [ -z "$extra" ] || fail "files left behind: $extra"
}

no_window_left() {
  local ids
  ids=$(xdotool search --onlyvisible --name '.' 2>/dev/null || true)
  [ -z "$ids" ] || fail "windows on the display: $ids"
}

case $scenario in
  missing_template | missing_stage)
    if [ "$scenario" = missing_template ]; then
      start stages.dat
      printf '%s\n' "Quarnel: template.datが見つかりません" \
        "エラー: template.datが正しく読みこめません" >"$work/want"
    else
      start ない.dat
      printf '%s\n' "Quarnel: ない.datが見つかりません" \
        "エラー: ない.datが正しく読みこめません" >"$work/want"
    fi
    expect_box Quarnel "$work/want" 1 && expect_box エラー "$work/want" 2
    wait_exit
    [ "$status" = 1 ] || fail "exit status $status, expected 1"
    diff -u "$work/want" <(program_stderr) >&2 || fail "standard error differs"
    no_page
    ;;

  several_with_missing)
    start stages.dat ない.dat
    printf '%s\n' "Quarnel: ない.datが見つかりません" \
      "エラー: ない.datが正しく読みこめません" >"$work/want"
    if id=$(wait_window エラー); then
      diff -u "$work/want" <(program_stderr) >&2 || fail "standard error with the box up differs"
      printf 'window\talert\tエラー\nlabel\t%s\nbutton\tOK\n' \
        "ページにできなかったステージデータがあります"$'\n'"ない.datが見つかりません" >"$work/want-window"
      read_windows >"$work/window" || fail "could not read the windows"
      diff -u "$work/want-window" "$work/window" >&2 || fail "the box shows other things"
      shoot 1
      timeout 10 xdotool windowfocus --sync "$id" key --window "$id" Return ||
        fail "could not press Return in the box"
    else
      fail "no window titled \"エラー\" within 15 s"
    fi
    wait_exit
    [ "$status" = 1 ] || fail "exit status $status, expected 1"
    diff -u "$work/want" <(program_stderr) >&2 || fail "standard error differs"
    [ -s "$work/run/stages.html" ] || fail "no page for stages.dat"
    rm -f "$work/run/stages.html"
    no_page
    ;;

  chooser_cancel | chooser_open)
    start
    if ! id=$(wait_window ステージデータ); then
      fail "no window titled \"ステージデータ\" within 15 s"
      verdict "scenario $scenario"
    fi
    # Let the dialog list the directory before the picture is taken, and
    # take the window again: GTK may replace it while setting it up.
    sleep 1
    if ! id=$(wait_window ステージデータ); then
      fail "the window titled \"ステージデータ\" went away"
      verdict "scenario $scenario"
    fi
    shoot dialog
    # The title, the one filter, the files it lets through (not notes.txt)
    # and the two buttons.
    printf '%s\n' "window	file chooser	ステージデータ" "file	OTHER.DAT" "file	stages.dat" \
      "filter	ステージデータ(*.dat)" "filter item	ステージデータ(*.dat)" \
      "button	Cancel" "button	Open" >"$work/want-window"
    read_windows >"$work/window" || fail "could not read the windows"
    grep -E '^(window|file|filter|filter item)'$'\t''|^button'$'\t''(Cancel|Open)$' "$work/window" |
      diff -u "$work/want-window" - >&2 || fail "the dialog shows other things"
    # Keys go to the focused window as typed ones do (XTEST), so that the
    # dialog's own widgets take them.
    if [ "$scenario" = chooser_cancel ]; then
      timeout 10 xdotool windowfocus --sync "$id" key Escape ||
        fail "could not press Escape"
      wait_exit
      no_page
    else
      target="$work/run/stages.dat"
      timeout 20 xdotool windowfocus --sync "$id" key ctrl+l \
        type --delay 20 "$target" || fail "could not type the path"
      sleep 0.5
      shoot typed
      timeout 10 xdotool key Return || fail "could not press Return"
      wait_exit
      # The page must be the one the console program writes for the same
      # path, byte for byte.
      if [ -f "$work/run/stages.html" ]; then
        mv "$work/run/stages.html" "$work/desktop.html"
        (cd "$work/run" && DISPLAY= timeout 60 "$work/bin/quarnel" "$target" \
           </dev/null >/dev/null 2>&1) || fail "the console run failed"
        cmp "$work/run/stages.html" "$work/desktop.html" || fail "the page differs"
      else
        fail "no page written"
      fi
    fi
    [ "$status" = 0 ] || fail "exit status $status, expected 0"
    [ -z "$(program_stderr)" ] || fail "unexpected standard error: $(cat "$work/stderr")"
    ;;

  page_without_window)
    # GTK loads the modules named here when it starts, and says so when one
    # is missing: a run that shows nothing must not get that far, nor even
    # load the library (the loader's log of the run names every one it maps).
    (cd "$work/run" && GTK_MODULES=quarnel-start-probe LD_DEBUG=files LD_DEBUG_OUTPUT="$work/ld" \
       timeout 30 "$work/bin/quarnel" stages.dat \
       </dev/null >"$work/stdout" 2>"$work/stderr") || fail "exit status $?, expected 0"
    [ -s "$work/run/stages.html" ] || fail "no page written"
    [ ! -s "$work/stderr" ] || fail "GTK started: $(cat "$work/stderr")"
    grep -q 'libstdc++' "$work"/ld.* || fail "no loader log"
    ! grep -q 'libgtk-3' "$work"/ld.* || fail "GTK loaded for a run without a window"
    no_window_left
    ;;

  without_gtk)
    # Where GTK cannot be loaded (here a file of its name that is no
    # library, found first), the console's lines stand in for the boxes.
    mkdir -p "$work/lib"
    echo "not a library" >"$work/lib/libgtk-3.so.0"
    status=0
    (cd "$work/run" && LD_LIBRARY_PATH="$work/lib" timeout 30 "$work/bin/quarnel" ない.dat \
       </dev/null >"$work/stdout" 2>"$work/stderr") || status=$?
    [ "$status" = 1 ] || fail "exit status $status, expected 1"
    printf '%s\n' "Quarnel: ない.datが見つかりません" "エラー: ない.datが正しく読みこめません" |
      diff -u - "$work/stderr" >&2 || fail "standard error differs"
    no_window_left
    no_page
    ;;

  unreachable_display)
    # A display that cannot be opened leaves the console's behaviour: the
    # usage line and status 2 without an argument, and no wait.
    status=0
    (cd "$work/run" && DISPLAY=:2147483 timeout 30 "$work/bin/quarnel" \
       </dev/null >"$work/stdout" 2>"$work/stderr") || status=$?
    [ "$status" = 2 ] || fail "exit status $status, expected 2"
    printf '%s\n' "使い方: quarnel ステージデータのファイル（ページは拡張子を .html にした名前で書かれます）" |
      diff -u - "$work/stderr" >&2 || fail "standard error differs"
    no_page
    ;;

  terminal_*)
    case $scenario in
      terminal_missing_template)
        args=(stages.dat) want_status=1
        printf '%s\n' "Quarnel: template.datが見つかりません" \
          "エラー: template.datが正しく読みこめません" >"$work/want" ;;
      terminal_missing_stage)
        args=(ない.dat) want_status=1
        printf '%s\n' "Quarnel: ない.datが見つかりません" \
          "エラー: ない.datが正しく読みこめません" >"$work/want" ;;
      terminal_several_with_missing)
        args=(stages.dat ない.dat) want_status=1
        printf '%s\n' "Quarnel: ない.datが見つかりません" \
          "エラー: ない.datが正しく読みこめません" >"$work/want" ;;
      terminal_no_argument)
        args=() want_status=2
        printf '%s\n' "使い方: quarnel ステージデータのファイル（ページは拡張子を .html にした名前で書かれます）" \
          >"$work/want" ;;
      *) echo "unknown scenario $scenario" >&2; exit 2 ;;
    esac
    # script gives the program a terminal on all three standard streams; a
    # window would block it until the time limit.
    command=$(printf '%q ' cd "$work/run")"&& exec $(printf '%q ' "$work/bin/quarnel" "${args[@]}")"
    status=0
    timeout 30 script -qec "$command" /dev/null </dev/null >"$work/terminal" || status=$?
    [ "$status" = "$want_status" ] || fail "exit status $status, expected $want_status"
    tr -d '\r' <"$work/terminal" | diff -u "$work/want" - >&2 || fail "terminal output differs"
    no_window_left
    if [ "$scenario" = terminal_several_with_missing ]; then
      [ -s "$work/run/stages.html" ] || fail "no page for stages.dat"
      rm -f "$work/run/stages.html"
    fi
    no_page
    ;;

  *)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
verdict "scenario $scenario"
