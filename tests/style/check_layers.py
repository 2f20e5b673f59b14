"""The layers depend one way: decoder <- stream <- player <- app core <- app ui, with the engine
base (errors, thread kit, messages) under both stream and output, output <- player, and
stream <- lyrics <- app core, stream <- loudness <- app core (lyrics and loudness are the
engine's peers, not under it); stream <- formats (the file formats, Qt Gui only) <- app core
and the skin generator.
Fails on an include that reaches up (or sideways into a layer the library does not link) and on
the toolkit anywhere below the application and the formats (widgets nowhere but the app ui)."""

import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from check_support import Failures  # noqa: E402

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]', re.M)

ENGINE_ABOVE_BASE = ("decoder/", "stream/", "lyrics/", "loudness/", "output/", "player/", "formats/")
APP = ("core/", "ui/")
WIDGETS = ("QtWidgets", "QWidget", "QDialog", "QMenu", "QLabel", "QMessageBox", "QApplication",
           "QTable", "QHeaderView", "QPushButton", "QSystemTrayIcon")
# The thread kit of the engine base, kept out of the layers without threads.
THREAD_KIT = ("base/mp_loop_thread", "base/mp_simple_", "base/mp_ring_queue", "thread", "mutex")

# folder -> include prefixes it must never use
FORBIDDEN = {
    "decoder": ("base/",) + ENGINE_ABOVE_BASE[1:] + APP + ("Q",),
    "engine/base": ENGINE_ABOVE_BASE + APP + ("Q", "alsa/"),
    "engine/stream": ("lyrics/", "loudness/", "output/", "player/", "formats/") + APP + ("Q", "alsa/", "ebur128") + THREAD_KIT,
    "engine/lyrics": ("loudness/", "output/", "player/", "formats/") + APP + ("Q", "alsa/") + THREAD_KIT,
    "engine/loudness": ("lyrics/", "output/", "player/", "formats/") + APP + ("Q", "alsa/"),
    "engine/output": ("decoder/", "stream/", "lyrics/", "loudness/", "player/", "formats/") + APP + ("Q",),
    "engine/player": ("lyrics/", "loudness/", "formats/") + APP + ("Q",),
    "formats": ("decoder/", "lyrics/", "loudness/", "output/", "player/", "alsa/") + APP + WIDGETS + THREAD_KIT,
    "app/core": ("ui/",) + WIDGETS,
    "tools/varo-decode": ("lyrics/", "loudness/", "output/", "player/", "formats/") + APP + ("Q",),
    "tools/varo-play": ("formats/",) + APP + ("Q",),
    "tools/skin-gen": ENGINE_ABOVE_BASE[:-1] + ("base/",) + APP + WIDGETS,
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
