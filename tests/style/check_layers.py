"""The layers depend one way: decoder <- stream <- output <- player <- app core <- app ui, and
stream <- lyrics <- app core, stream <- loudness <- app core (lyrics and loudness are the
engine's peers, not under it).
Fails on an include that reaches up (or sideways into a layer the library does not link) and on
the toolkit anywhere below the application."""

import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from check_support import Failures  # noqa: E402

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]', re.M)

# folder -> include prefixes it must never use
FORBIDDEN = {
    "decoder": ("stream/", "output/", "player/", "core/", "ui/", "Q"),
    "engine/stream": ("lyrics/", "loudness/", "output/", "player/", "core/", "ui/", "Q", "alsa/", "thread",
                      "mutex", "ebur128"),
    "engine/lyrics": ("loudness/", "output/", "player/", "core/", "ui/", "Q", "alsa/", "thread", "mutex"),
    "engine/loudness": ("lyrics/", "output/", "player/", "core/", "ui/", "Q", "alsa/"),
    "engine/output": ("lyrics/", "loudness/", "player/", "core/", "ui/", "Q"),
    "engine/player": ("lyrics/", "loudness/", "core/", "ui/", "Q"),
    "app/core": ("ui/", "QtWidgets", "QWidget", "QDialog", "QMenu", "QLabel", "QMessageBox",
                 "QApplication", "QTable", "QHeaderView", "QPushButton", "QSystemTrayIcon"),
    "tools/varo-decode": ("lyrics/", "loudness/", "output/", "player/", "core/", "ui/", "Q"),
    "tools/varo-play": ("core/", "ui/", "Q"),
}


def main():
    failures = Failures()
    for folder, forbidden in FORBIDDEN.items():
        for dirpath, _, names in os.walk(os.path.join(ROOT, folder)):
            for name in names:
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(dirpath, name)
                with open(path, encoding="utf-8") as f:
                    text = f.read()
                for header in INCLUDE.findall(text):
                    if header.startswith(forbidden):
                        failures.append(f"{os.path.relpath(path, ROOT)} includes <{header}>")
    return failures.report()


if __name__ == "__main__":
    sys.exit(main())
