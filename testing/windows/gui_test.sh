#!/usr/bin/env bash
# Runs quarnel.exe or quarnel-check.exe under Wine on the Xvfb screen as a
# user would, and checks what appears: its message boxes (found by title,
# read, kept as pictures in SHOT_DIR, closed with the keyboard) and its
# open-file dialog.
#
# usage: gui_test.sh EXE SOURCE_DIR SHOT_DIR SCENARIO
# SCENARIO: missing_template | missing_stage_file | dialog_cancel | dialog_open
#   | dragged_path_with_blanks | dropped_several | dropped_several_with_failures
#   | stage_file_held_open | long_path | long_file_name
#           (EXE is quarnel.exe); check_findings | check_stage_findings
#   | check_stage_verdicts | check_stages_unique | check_clean | check_options
#   | check_working
#           (quarnel-check.exe)
# Environment: as for wine_lib.sh; QUARNEL_ACP, when set, is the ANSI code
# page the Wine prefix was given, and the pictures go to SHOT_DIR/acp-<it>.
set -euo pipefail
source "$(dirname "$0")/wine_lib.sh"

exe=$1
source_dir=$2
shot_dir=$3
scenario=$4
[ -z "${QUARNEL_ACP:-}" ] || shot_dir=$shot_dir/acp-$QUARNEL_ACP
mkdir -p "$shot_dir"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/run"
program=$work/bin/$(basename "$exe")
cp "$exe" "$program"
[ "$scenario" = missing_template ] || cp "$source_dir/template.dat" "$work/bin/template.dat"
case_dir=$source_dir/testing/cases/e2e/bundled_example
cp "$case_dir/input/stages.dat" "$work/run/stages.dat"

source "$(dirname "$0")/../lib.sh"

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

# Waits up to 30 seconds for the program to end with status 0 without
# showing a box; a box that appears fails the test with its text, and is
# closed.
expect_quiet_end() {
  local end=$((SECONDS + 30)) title id
  while kill -0 "$wine_pid" 2>/dev/null && [ "$SECONDS" -lt "$end" ]; do
    for title in Quarnel エラー; do
      id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1 || true)
      [ -n "$id" ] || continue
      sleep 0.3
      fail "a box appeared: $title: $(window_text "$title" | sed -n 's/^Static: //p')"
      press_key "$id" Return || true
      wait_window_gone "$id" 15 || true
    done
    sleep 0.2
  done
  expect_end 0
}

# The directory DIR holds exactly the files named; expect_files looks at the
# run directory.
expect_files_in() {
  local dir=$1 seen want
  shift
  seen=$(cd "$dir" && ls -A | sort)
  want=$(printf '%s\n' "$@" | sort)
  [ "$seen" = "$want" ] || fail "files in $dir after the run: $(echo $seen), expected $(echo $want)"
}
expect_files() { expect_files_in "$work/run" "$@"; }

# PAGE is the bundled example's page, with [filename] showing STAGE_PATH.
expect_page() {
  local page=$1 stage_path=$2 escaped
  # The page is Shift_JIS; so is the path in it.
  escaped=$(printf '%s' "$stage_path" | iconv -f UTF-8 -t CP932 | LC_ALL=C sed 's/[\\&|]/\\&/g')
  LC_ALL=C sed "s|stages\.dat|$escaped|g" "$case_dir/expected/stages.html" > "$work/want.html"
  if ! cmp -s "$work/want.html" "$page"; then
    fail "the page differs from the expected one"
    diff <(iconv -f CP932 -t UTF-8 "$work/want.html") <(iconv -f CP932 -t UTF-8 "$page") | head -n 20 >&2 || true
  fi
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
      expect_page stages.html "$stage"
    fi
    ;;
  dragged_path_with_blanks)
    # Explorer, drag and drop and "Open with" put a path with blanks in
    # quotation marks; the program takes the path between them.
    folder="$work/run/新しいフォルダー (2)"
    mkdir "$folder"
    mv stages.dat "$folder/"
    stage=$(windows_path "$folder/stages.dat")
    start_windows_program "$work/bin/quarnel.exe" "\"$stage\""
    expect_quiet_end
    expect_files_in "$folder" stages.dat stages.html
    [ -f "$folder/stages.html" ] && expect_page "$folder/stages.html" "$stage"
    ;;
  dropped_several)
    # Several files selected in Explorer and dropped together: one command
    # line, each path quoted only where it holds a blank.
    cp stages.dat a.dat
    cp stages.dat b.dat
    mv stages.dat "my stages.dat"
    start_windows_program "$work/bin/quarnel.exe" \
      "$(windows_path "$work/run/a.dat") $(windows_path "$work/run/b.dat") \"$(windows_path "$work/run/my stages.dat")\""
    expect_quiet_end
    expect_files a.dat a.html b.dat b.html "my stages.dat" "my stages.html"
    for name in a b "my stages"; do
      [ -f "$name.html" ] && expect_page "$name.html" "$(windows_path "$work/run/$name.dat")"
    done
    ;;
  dropped_several_with_failures)
    # One box at the end lists each file that got no page.
    mv stages.dat a.dat
    gone=$(windows_path "$work/run/gone.dat")
    start_windows_program "$work/bin/quarnel.exe" "$(windows_path "$work/run/a.dat") $gone"
    expect_box エラー "ページにできなかったステージデータがあります"$'\n'"${gone}が見つかりません" \
      dropped_several_with_failures || true
    expect_end 1
    expect_files a.dat a.html
    [ -f a.html ] && expect_page a.html "$(windows_path "$work/run/a.dat")"
    ;;
  stage_file_held_open)
    # An editor or a sync client keeps the stage file and the template open
    # for writing while the program reads them.
    start_windows_program "$work/bin/quarnel.exe" stages.dat "$work/run/stages.dat" \
      "$work/bin/template.dat"
    expect_quiet_end
    expect_files stages.dat stages.html
    [ -f stages.html ] && expect_page stages.html stages.dat
    ;;
  long_path)
    # A full path of more than 260 characters, as Windows allows with long
    # paths enabled.
    folder=$work/run/$(printf 'd%.0s' {1..120})/$(printf 'e%.0s' {1..120})
    mkdir -p "$folder"
    mv stages.dat "$folder/"
    stage=$(windows_path "$folder/stages.dat")
    [ "${#stage}" -gt 260 ] || fail "the path is only ${#stage} characters long"
    start_windows_program "$work/bin/quarnel.exe" "$stage"
    expect_quiet_end
    expect_files_in "$folder" stages.dat stages.html
    [ -f "$folder/stages.html" ] && expect_page "$folder/stages.html" "$stage"
    ;;
  long_file_name)
    # A page name of 251 characters, close to the longest a name may be: the
    # temporary file beside it must not need a longer one.
    name=$(printf 'n%.0s' {1..246})
    mv stages.dat "$name.dat"
    start_windows_program "$work/bin/quarnel.exe" "$name.dat"
    expect_quiet_end
    expect_files "$name.dat" "$name.html"
    [ -f "$name.html" ] && expect_page "$name.html" "$name.dat"
    ;;
  check_findings | check_stage_findings | check_stage_verdicts | check_stages_unique)
    # A dropped file whose name holds a blank comes in quotation marks; a
    # template and a stage file show their findings in the same one box,
    # the verdicts on a stage file's stages too (solved within the default
    # budget), and a stage file whose stages all have one solution says so.
    case $scenario in
      check_findings) case_dir=$source_dir/testing/cases/check/placeholder_near_misses file=t.dat ;;
      check_stage_findings) case_dir=$source_dir/testing/cases/check/stage_blank_cells file=s.dat ;;
      check_stage_verdicts) case_dir=$source_dir/testing/cases/check/stage_verdicts file=s.dat ;;
      check_stages_unique) case_dir=$source_dir/testing/cases/check/stage_file_is_clean file=s.dat ;;
    esac
    cp "$case_dir/input/$file" "$work/run/my $file"
    start_windows_program "$program" "\"my $file\""
    if [ "$scenario" = check_stages_unique ]; then
      want=$(sed "s/^${file/./\\.}: /my $file: /" "$case_dir/stdout")
      expect_box Quarnel "$want" "$scenario" || true
      expect_end 0
    else
      want=$(printf 'my %s (Shift_JIS, CR LF)\n' "$file"; sed -E "s/^${file/./\\.}:([0-9]+): /\\1 行目: /" "$case_dir/stdout")
      expect_box Quarnel "$want" "$scenario" || true
      expect_end 1
    fi
    expect_files stages.dat "my $file"
    ;;
  check_options)
    # Options before a quoted file, as a shortcut gives them: without
    # solving, only the stage without a grid is left of the verdicts' file;
    # with "--show", the same box as without it;
    # a bad budget shows what is wrong with it and the usage instead.
    case_dir=$source_dir/testing/cases/check/stage_verdicts
    cp "$case_dir/input/s.dat" "$work/run/my s.dat"
    start_windows_program "$program" '--no-solve "my s.dat"'
    want=$(printf 'my s.dat (Shift_JIS, CR LF)\n'; sed -nE 's/^s\.dat:(13): /\1 行目: /p' "$case_dir/stdout")
    expect_box Quarnel "$want" check_no_solve || true
    expect_end 1
    # "--show" is taken; the box keeps to the findings' lines.
    start_windows_program "$program" '--show "my s.dat"'
    want=$(printf 'my s.dat (Shift_JIS, CR LF)\n'; sed -E 's/^s\.dat:([0-9]+): /\1 行目: /' "$case_dir/stdout")
    expect_box Quarnel "$want" check_show || true
    expect_end 1
    start_windows_program "$program" '--solve-seconds 1000001 "my s.dat"'
    want=$(printf '%s\n%s' "--solve-seconds の値 1000001 は 1000000 より大きいので使えません" \
      "使いかた: quarnel-check.exe [--solve-seconds 秒数 | --no-solve] [--show] [ファイル]")
    expect_box エラー "$want" check_usage || true
    expect_end 2
    expect_files stages.dat "my s.dat"
    ;;
  check_working)
    # A file that takes seconds to check: a window says the program is
    # working, counting the stages decided; Alt+F4 does not close it; it is
    # gone when the box with the findings comes. The first stage is decided
    # at once; the others are large boards with a few random clues, which a
    # second and a half's work each leaves open.
    python3 - "$work/run/my s.dat" <<'PY'
import random, sys
lines = ["tiny", "0", "*"]
for board in range(1, 5):
    rng = random.Random(board)
    lines.append("board %d" % board)
    for _ in range(200):
        lines.append("".join(rng.choice("123") if rng.random() < 0.005 else " " for _ in range(200)))
    lines.append("*")
with open(sys.argv[1], "w", newline="") as f:
    f.write("".join(line + "\r\n" for line in lines))
PY
    start_windows_program "$program" '--solve-seconds 1.5 "my s.dat"'
    working="Quarnel の確認"
    if id=$(find_window "$working" 30); then
      # It may show the count a moment after it appears.
      for _ in 1 2 3 4 5; do
        seen=$(window_text "$working" || true)
        grep -qxE 'Static: 確認しています… [1-4] / 5 ステージ' <<<"$seen" && break
        sleep 0.5
      done
      grep -qxE 'Static: 確認しています… [1-4] / 5 ステージ' <<<"$seen" ||
        fail "the working window shows:"$'\n'"$seen"
      screenshot "$id" "$shot_dir/check_working.png" || fail "no picture of the working window"
      # Twice: under Wine the first Alt+F4 after the focus comes does nothing
      # even to a window that closes. Gone is closed, unless the check has
      # just ended and the box is there instead.
      for _ in 1 2; do
        press_key "$id" alt+F4 || fail "could not press Alt+F4 in the working window"
        sleep 1
        xdotool getwindowname "$id" >/dev/null 2>&1 || break
      done
      if ! xdotool getwindowname "$id" >/dev/null 2>&1 && ! find_window Quarnel 1 >/dev/null; then
        fail "Alt+F4 closed the working window"
      fi
    else
      fail "no window titled '$working' appeared"
    fi
    if id=$(find_window Quarnel 120); then
      expect_no_window "$working"
      sleep 0.3
      seen=$(window_text Quarnel)
      # Each stage's finding, on its title's line, whatever its verdict.
      want=$(printf 'Static: my s.dat (Shift_JIS, CR LF)\n1 行目: 警告: ステージ 1「tiny」\n'
             for board in 1 2 3 4; do
               printf '%d 行目: 警告: ステージ %d「board %d」\n' $((board * 202 - 198)) $((board + 1)) "$board"
             done)
      grep -qx 'Button: OK' <<<"$seen" &&
        [ "$(grep -vx 'Button: OK' <<<"$seen" | sed -E 's/^([0-9]+ 行目: 警告: ステージ [0-9]+「[a-z 0-9]+」).*/\1/')" = "$want" ] ||
        fail "the box shows:"$'\n'"$seen"
      screenshot "$id" "$shot_dir/check_working-box.png" || fail "no picture of the box"
      press_key "$id" Return || fail "could not press OK in the box"
      wait_window_gone "$id" 15 || fail "the box stayed after OK"
    else
      fail "no box titled 'Quarnel' appeared"
    fi
    expect_end 1
    expect_files stages.dat "my s.dat"
    ;;
  check_clean)
    # Without an argument it checks the template beside itself.
    start_windows_program "$program" ""
    expect_box Quarnel "$(windows_path "$work/bin/template.dat"): 問題は見つかりませんでした (UTF-8 BOM つき, CR LF)" check_clean || true
    expect_end 0
    expect_files stages.dat
    ;;
  *)
    echo "gui_test.sh: unknown scenario $scenario" >&2
    exit 2
    ;;
esac

verdict "$scenario"
