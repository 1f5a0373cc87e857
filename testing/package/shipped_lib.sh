# Checks of what an install lays out, shared by the staged install test and
# the Debian package test. Source it after ../lib.sh, then call
# check_shipped ROOT PREFIX TEMPLATE_DIR: ROOT is the staging directory
# ("" for the real system), PREFIX and TEMPLATE_DIR the paths as installed.

# Renders a man page as man would on an 80-column terminal; any warning
# from the formatter is a failure.
check_man_page() {
  local page=$1 locale=$2 warnings
  [ -f "$page" ] || { fail "no man page $page"; return; }
  if ! warnings=$(LC_ALL=$locale MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null); then
    fail "man cannot render $page"
  fi
  [ -z "$warnings" ] || fail "man warns on $page: $warnings"
}

check_shipped() {
  local root=$1 prefix=$2 template_dir=$3
  local libexec=$root$prefix/libexec/quarnel share=$root$prefix/share program name
  local count=0

  # Each program: a link in bin/ and a man page in both languages.
  for program in "$libexec"/*; do
    name=$(basename "$program")
    [ "$name" = template.dat ] && continue
    [ -x "$program" ] || fail "$program is not executable"
    count=$((count + 1))
    [ "$(readlink "$root$prefix/bin/$name")" = "../libexec/quarnel/$name" ] ||
      fail "bin/$name does not link to libexec/quarnel/$name"
    check_man_page "$share/man/man1/$name.1.gz" C.UTF-8
    check_man_page "$share/man/ja/man1/$name.1.gz" ja_JP.UTF-8
  done
  [ "$count" -gt 0 ] || fail "no program in $libexec"

  # The template is configuration; the programs find it through a link.
  [ -f "$root$template_dir/template.dat" ] || fail "no $template_dir/template.dat"
  local target
  target=$(readlink "$libexec/template.dat") || fail "template.dat beside the programs is no link"
  case $target in
    /*) [ "$target" = "$template_dir/template.dat" ] || fail "template.dat links to $target" ;;
    *) [ "$(realpath -m "$libexec/$target")" = "$(realpath -m "$root$template_dir/template.dat")" ] ||
         fail "template.dat links to $target" ;;
  esac

  # The desktop: a valid entry that starts the installed program on a file
  # and claims no file type, its icon, and its AppStream description.
  local desktop=$share/applications/quarnel.desktop exec_line
  desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
  exec_line=$(sed -n 's/^Exec=//p' "$desktop")
  [ "$exec_line" = "$prefix/libexec/quarnel/quarnel %f" ] || fail "Exec is $exec_line"
  ! grep -q '^MimeType=' "$desktop" || fail "the desktop entry claims file types"
  grep -qx 'Icon=quarnel' "$desktop" || fail "no icon named"
  xmllint --noout "$share/icons/hicolor/scalable/apps/quarnel.svg" || fail "the icon is not well-formed"
  ! compgen -G "$share/mime/packages/*quarnel*" >/dev/null || fail "a file type is installed"
  local metainfo=$share/metainfo/org.quarnel.quarnel.metainfo.xml
  appstreamcli validate --no-net "$metainfo" >/dev/null || {
    appstreamcli validate --no-net "$metainfo" >&2
    fail "the AppStream metadata is not valid"
  }
  grep -q "<id>$(basename "$metainfo" .metainfo.xml)</id>" "$metainfo" ||
    fail "the AppStream file is not named after its component's id"
  grep -q '<launchable type="desktop-id">quarnel.desktop</launchable>' "$metainfo" ||
    fail "the AppStream metadata does not name the desktop entry"

  # The licence, in Debian's machine-readable form.
  local copyright=$share/doc/quarnel/copyright
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright" ||
    fail "no machine-readable copyright file"
  grep -qx 'Copyright: 2026 The Quarnel developers' "$copyright" || fail "the copyright file names no holder"
  gzip -t "$share/doc/quarnel/changelog.gz" || fail "no change log"
}

# Prints what GIO makes of sample .dat files under the XDG data directories
# given, with a home of its own so that no user setting counts.
file_types_snapshot() {
  local data_dirs=$1 stage_file=$2 home
  home=$(mktemp -d)
  XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_DATA_DIRS=$data_dirs \
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/file_types.py" snapshot "$stage_file"
  rm -rf "$home"
}
