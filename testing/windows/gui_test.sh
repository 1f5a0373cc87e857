#!/usr/bin/env bash
# Runs quarnel.exe or quarnel-check.exe under Wine on the Xvfb screen as a
# user would, and checks what appears: its message boxes (found by title,
# read, kept as pictures in SHOT_DIR, closed with the keyboard) and its
# open-file dialog.
#
# usage: gui_test.sh EXE SOURCE_DIR SHOT_DIR SCENARIO
# SCENARIO: missing_template | missing_stage_file | dialog_cancel | dialog_open
#           (EXE is quarnel.exe); check_findings | check_clean (quarnel-check.exe)
# Environment: as for wine_lib.sh.
set -euo pipefail
source "$(dirname "$0")/wine_lib.sh"

exe=$1
source_dir=$2
shot_dir=$3
scenario=$4
mkdir -p "$shot_dir"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/run"
program=$work/bin/$(basename "$exe")
cp "$exe" "$program"
[ "$scenario" = missing_template ] || cp "$source_dir/template.dat" "$work/bin/template.dat"
case_dir=$source_dir/testing/data/bundled_example
cp "$case_dir/input/stages.dat" "$work/run/stages.dat"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Checks the message box titled TITLE: its one text is TEXT, it has one OK
# button and no icon; keeps its picture as SHOT_DIR/NAME.png and presses OK.
expect_box() {
  local title=$1 text=$2 name=$3 id seen want
  if ! id=$(find_window "$title" 30); then
    fail "no box titled '$title' appeared"
    return 1
  fi
  sleep 0.3  # let it paint before the picture
  seen=$(window_text "$title" | sort)
  want=$(printf 'Button: OK\nStatic: %s\n' "$text" | sort)
  [ "$seen" = "$want" ] || fail "box '$title' shows:"$'\n'"$seen"$'\n'"expected:"$'\n'"$want"
  screenshot "$id" "$shot_dir/$name.png" || fail "no picture of box '$title'"
  [ -s "$shot_dir/$name.png" ] || fail "empty picture of box '$title'"
  press_key "$id" Return || fail "could not press OK in box '$title'"
  wait_window_gone "$id" 15 || fail "box '$title' stayed after OK"
}

# No window titled TITLE may be open now.
expect_no_window() {
  if [ -n "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true)" ]; then
    fail "a window titled '$1' is open"
  fi
}

# Waits up to 30 seconds for the program to end, and checks its status.
expect_end() {
  local want=$1 end=$((SECONDS + 30))
  while kill -0 "$wine_pid" 2>/dev/null && [ "$SECONDS" -lt "$end" ]; do sleep 0.2; done
  if kill -0 "$wine_pid" 2>/dev/null; then
    fail "the program did not end"
    kill "$wine_pid" 2>/dev/null || true
  fi
  wait_windows_program
  [ "$wine_status" = "$want" ] || fail "exit status $wine_status, expected $want"
}

# The run directory holds exactly the files named.
expect_files() {
  local seen want
  seen=$(cd "$work/run" && ls -A | sort)
  want=$(printf '%s\n' "$@" | sort)
  [ "$seen" = "$want" ] || fail "files after the run: $(echo $seen), expected $(echo $want)"
}

cd "$work/run"
case $scenario in
  missing_template)
    start_windows_program "$program" stages.dat
    if expect_box Quarnel "template.datが見つかりません" missing_template-1; then
      expect_box エラー "template.datが正しく読みこめません" missing_template-2 || true
    fi
    expect_no_window ステージデータ
    expect_end 1
    expect_files stages.dat
    ;;
  missing_stage_file)
    start_windows_program "$program" missing.dat
    if expect_box Quarnel "missing.datが見つかりません" missing_stage_file-1; then
      expect_box エラー "missing.datが正しく読みこめません" missing_stage_file-2 || true
    fi
    expect_end 1
    expect_files stages.dat
    ;;
  dialog_cancel | dialog_open)
    start_windows_program "$program" ""
    if id=$(find_window ステージデータ 30); then
      sleep 0.5
      controls=$(window_text ステージデータ)
      # The single filter is chosen, and the read-only check box is hidden.
      grep -qx 'ComboBox: ステージデータ(\*\.dat)' <<<"$controls" ||
        fail "the filter is not shown:"$'\n'"$controls"
      ! grep -q '^Button: .*読み取り' <<<"$controls" || fail "a read-only check box is shown"
      screenshot "$id" "$shot_dir/$scenario.png" || fail "no picture of the dialog"
      if [ "$scenario" = dialog_cancel ]; then
        press_key "$id" Escape || fail "could not press Escape"
      else
        stage=$(windows_path "$work/run/stages.dat")
        timeout 20 xdotool windowfocus --sync "$id" type --window "$id" "$stage" ||
          fail "could not type the path"
        press_key "$id" Return || fail "could not press Enter"
      fi
      wait_window_gone "$id" 15 || fail "the dialog stayed open"
    else
      fail "no window titled 'ステージデータ' appeared"
    fi
    expect_end 0
    expect_no_window Quarnel
    expect_no_window エラー
    if [ "$scenario" = dialog_cancel ]; then
      expect_files stages.dat
    else
      expect_files stages.dat stages.html
      # The page names the stage file by the path the dialog gave.
      escaped=$(printf '%s' "$stage" | sed 's/[\\&|]/\\&/g')
      LC_ALL=C sed "s|stages\.dat|$escaped|g" "$case_dir/expected/stages.html" > "$work/want.html"
      cmp -s "$work/want.html" stages.html || fail "the page differs from the expected one"
    fi
    ;;
  check_findings)
    # A dropped template whose name holds a blank comes in quotation marks.
    case_dir=$source_dir/testing/check_data/placeholder_near_misses
    cp "$case_dir/input/t.dat" "$work/run/my t.dat"
    start_windows_program "$program" '"my t.dat"'
    want=$(printf 'my t.dat\n'; sed -E 's/^t\.dat:([0-9]+): /\1 行目: /' "$case_dir/stdout")
    expect_box Quarnel "$want" check_findings || true
    expect_end 1
    expect_files stages.dat "my t.dat"
    ;;
  check_clean)
    # Without an argument it checks the template beside itself.
    start_windows_program "$program" ""
    expect_box Quarnel "$(windows_path "$work/bin/template.dat"): 問題は見つかりませんでした" check_clean || true
    expect_end 0
    expect_files stages.dat
    ;;
  *)
    echo "gui_test.sh: unknown scenario $scenario" >&2
    exit 2
    ;;
esac

if [ "$failures" -ne 0 ]; then
  echo "$scenario: $failures check(s) failed" >&2
  exit 1
fi
echo "$scenario: ok"
