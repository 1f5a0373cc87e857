#!/usr/bin/python3
"""What the desktop makes of files, as GIO sees it under the environment's
XDG directories.

  file_types.py snapshot STAGE_FILE
      Prints, for a random binary, a zip, a plain text and a stage file, each
      named .dat, the content type GIO gives it and whether it is uncertain;
      then, for each of those types, the default application and the
      recommended ones. Two snapshots compare equal when an install changed
      neither a file's type nor what opens it.
  file_types.py offered DESKTOP_ID
      Fails unless the application is listed among all applications that
      open a chosen file (a file manager's "Open with" list beyond the
      recommended ones).
"""
import random
import sys
import tempfile
import zipfile
from pathlib import Path

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio  # noqa: E402


def sample_files(directory, stage_file):
    random.seed(14)
    binary = directory / "binary.dat"
    binary.write_bytes(bytes(random.randrange(256) for _ in range(4096)))
    archive = directory / "archive.dat"
    with zipfile.ZipFile(archive, "w") as z:
        z.writestr("a.txt", "a zip that is no stage file\n")
    text = directory / "text.dat"
    text.write_text("plain text, no stage file\n")
    stages = directory / "stages.dat"
    stages.write_bytes(Path(stage_file).read_bytes())
    return [binary, archive, text, stages]


def snapshot(stage_file):
    lines, types = [], []
    with tempfile.TemporaryDirectory() as name:
        for path in sample_files(Path(name), stage_file):
            info = Gio.File.new_for_path(str(path)).query_info(
                "standard::content-type,standard::fast-content-type", Gio.FileQueryInfoFlags.NONE, None)
            content_type = info.get_content_type()
            data = path.read_bytes()[:4096]
            _, uncertain = Gio.content_type_guess(path.name, data)
            lines.append("%s: %s uncertain=%s" % (path.name, content_type, uncertain))
            if content_type not in types:
                types.append(content_type)
    for content_type in types:
        default = Gio.AppInfo.get_default_for_type(content_type, False)
        recommended = [app.get_id() for app in Gio.AppInfo.get_recommended_for_type(content_type)]
        lines.append("%s: default %s, recommended %s"
                     % (content_type, default.get_id() if default else None, recommended))
    print("\n".join(lines))


def offered(desktop_id):
    for app in Gio.AppInfo.get_all():
        if app.get_id() == desktop_id:
            if not app.should_show():
                sys.exit("%s is hidden from application lists" % desktop_id)
            if not app.supports_files():
                sys.exit("%s cannot be started on a file" % desktop_id)
            print("%s is offered for any file" % desktop_id)
            return
    sys.exit("%s is not among the applications" % desktop_id)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "snapshot":
        snapshot(sys.argv[2])
    elif len(sys.argv) == 3 and sys.argv[1] == "offered":
        offered(sys.argv[2])
    else:
        sys.exit(__doc__)
