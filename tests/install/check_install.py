#!/usr/bin/env python3
"""Installs the build into a temporary prefix and checks the result as a Linux desktop
expects it: programs in bin, data under share/varo, a valid desktop entry for audio and
playlist files, the .vrl MIME type, theme icons. Then starts the installed player headless
(offscreen, null sound device, temporary XDG folders, no --home): it must create its home
with the installed skins, queue the installed demo track, load a playlist handed to it, and
exit cleanly. Every program answers --help and --version.

usage: check_install.py CMAKE BUILD_DIR VERSION [TOOL...]
TOOL: further command-line programs of the build (not installed) to ask --help and --version.
"""
import configparser
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from check_support import Failures  # noqa: E402

failures = Failures()
check = failures.check
ICON_SIZES = (16, 32, 48, 64, 128, 256)
PROGRAMS = ("varo", "varo-play", "varo-decode")
MIME_TYPES = ("audio/mpeg", "audio/x-mpegurl", "audio/mpegurl", "application/x-varo-playlist")
START_TIMEOUT = 60


def isolated_env(root):
    """No user folder, session, display or sound card is reachable from here."""
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("VARO_", "XDG_", "DBUS_", "PULSE_", "QT_"))
           and k not in ("DISPLAY", "WAYLAND_DISPLAY", "HOME")}
    dirs = {name: os.path.join(root, name) for name in ("home", "data", "config", "cache", "runtime")}
    for path in dirs.values():
        os.makedirs(path, mode=0o700, exist_ok=True)
    env.update(HOME=dirs["home"], XDG_DATA_HOME=dirs["data"], XDG_CONFIG_HOME=dirs["config"],
               XDG_CACHE_HOME=dirs["cache"], XDG_RUNTIME_DIR=dirs["runtime"],
               QT_QPA_PLATFORM="offscreen", VARO_AUDIO="null", DBUS_SESSION_BUS_ADDRESS="disabled:",
               DBUS_SYSTEM_BUS_ADDRESS="disabled:")
    return env


def check_layout(prefix):
    share = os.path.join(prefix, "share")
    for program in PROGRAMS:
        path = os.path.join(prefix, "bin", program)
        check(os.path.isfile(path) and os.access(path, os.X_OK), f"bin/{program} not installed")
    for rel in ("skins/default.bmp", "skins/default.txt", "skins/sakura.bmp", "skins/sakura.txt",
                "demo/varo-demo.mp3", "demo/varo-demo.txt", "pictures/kasi_back1.bmp",
                "pictures/varo-256.png"):
        check(os.path.isfile(os.path.join(share, "varo", rel)), f"share/varo/{rel} not installed")
    for size in ICON_SIZES:
        rel = f"icons/hicolor/{size}x{size}/apps/varo.png"
        check(os.path.isfile(os.path.join(share, rel)), f"share/{rel} not installed")
    check(os.path.isfile(os.path.join(share, "icons/hicolor/scalable/apps/varo.svg")),
          "share/icons/hicolor/scalable/apps/varo.svg not installed")


def check_desktop_entry(prefix):
    path = os.path.join(prefix, "share/applications/varo.desktop")
    if not check(os.path.isfile(path), "share/applications/varo.desktop not installed"):
        return
    validate = shutil.which("desktop-file-validate")
    if check(validate is not None, "desktop-file-validate missing (scripts/install-deps.sh test)"):
        result = subprocess.run([validate, path], capture_output=True, text=True)
        check(result.returncode == 0 and not result.stdout.strip(),
              f"desktop-file-validate: {result.stdout.strip()} {result.stderr.strip()}")
    entry = configparser.ConfigParser(interpolation=None, strict=False)
    entry.optionxform = str
    entry.read(path, encoding="utf-8")
    d = entry["Desktop Entry"]
    program = d.get("Exec", "").split()[0] if d.get("Exec") else ""
    check(os.path.isfile(os.path.join(prefix, "bin", program)),
          f"the desktop entry starts '{program}', which is not installed")
    check("%F" in d.get("Exec", "") or "%U" in d.get("Exec", ""),
          "the desktop entry passes no files to the program")
    check(d.get("Icon") == "varo", "the desktop entry's icon is not the installed 'varo'")
    types = [t for t in d.get("MimeType", "").split(";") if t]
    for mime in MIME_TYPES:
        check(mime in types, f"the desktop entry is not registered for {mime}")

    mime_xml = os.path.join(prefix, "share/mime/packages/varo.xml")
    if check(os.path.isfile(mime_xml), "share/mime/packages/varo.xml not installed"):
        ns = {"m": "http://www.freedesktop.org/standards/shared-mime-info"}
        root = ET.parse(mime_xml).getroot()
        declared = {t.get("type"): [g.get("pattern") for g in t.findall("m:glob", ns)]
                    for t in root.findall("m:mime-type", ns)}
        check(declared.get("application/x-varo-playlist") == ["*.vrl"],
              f"the MIME package does not give *.vrl its type: {declared}")
        update = shutil.which("update-mime-database")
        if update:  # the package must be one the desktop's MIME database accepts
            db = tempfile.mkdtemp(prefix="varo-mime-")
            try:
                shutil.copytree(os.path.join(prefix, "share/mime"), os.path.join(db, "mime"))
                r = subprocess.run([update, os.path.join(db, "mime")], capture_output=True, text=True,
                                   env=dict(os.environ, XDG_DATA_HOME=db, XDG_DATA_DIRS=db))
                check(r.returncode == 0 and not r.stderr.strip(),
                      f"update-mime-database refuses the package: {r.stderr.strip()}")
                with open(os.path.join(db, "mime/globs2"), encoding="utf-8") as f:
                    check(":application/x-varo-playlist:*.vrl" in f.read(),
                          "the MIME database built from the package lacks *.vrl")
            finally:
                shutil.rmtree(db, ignore_errors=True)


def check_help_and_version(programs, version, env):
    for exe in programs:
        program = os.path.basename(exe)
        if not os.path.isfile(exe):
            continue
        h = subprocess.run([exe, "--help"], capture_output=True, text=True, env=env, timeout=30)
        check(h.returncode == 0 and "sage" in h.stdout, f"{program} --help: status {h.returncode}")
        v = subprocess.run([exe, "--version"], capture_output=True, text=True, env=env, timeout=30)
        check(v.returncode == 0 and version in v.stdout,
              f"{program} --version: status {v.returncode}, printed '{v.stdout.strip()}'")


def read_settings(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read()


def start_player(prefix, env, *args):
    exe = os.path.join(prefix, "bin", "varo")
    return subprocess.run([exe, "--exit-after", "1500", *args], capture_output=True, text=True,
                          env=env, timeout=START_TIMEOUT, cwd=env["HOME"])


def check_first_start(prefix, env):
    share = os.path.join(prefix, "share/varo")
    home = os.path.join(env["XDG_DATA_HOME"], "varo")
    first = start_player(prefix, env)
    check(first.returncode == 0, f"the installed varo exited with {first.returncode}: {first.stderr.strip()}")
    for name in ("default.bmp", "default.txt", "sakura.bmp", "sakura.txt"):
        copied = os.path.join(home, "skin", name)
        if check(os.path.isfile(copied), f"the first start did not put skin/{name} into the home"):
            with open(copied, "rb") as a, open(os.path.join(share, "skins", name), "rb") as b:
                check(a.read() == b.read(), f"skin/{name} in the home differs from the installed one")
    settings = os.path.join(home, "varo.ini")
    if check(os.path.isfile(settings), "no varo.ini in the home after the exit command"):
        text = read_settings(settings)
        check(os.path.join(share, "demo/varo-demo.mp3") in text,
              "the installed demo track was not queued (data taken from elsewhere?)")
    check(not os.path.exists(os.path.join(prefix, "bin", "varo.ini")),
          "the player wrote its settings beside the installed program")

    # A playlist as the desktop hands one over: loaded as the list.
    playlist = os.path.join(env["HOME"], "chosen.m3u")
    with open(playlist, "w", encoding="utf-8") as f:
        f.write("#EXTM3U\n" + os.path.join(share, "demo/varo-demo.mp3") + "\n")
    second = start_player(prefix, env, playlist)
    check(second.returncode == 0, f"varo with a playlist exited with {second.returncode}: {second.stderr.strip()}")
    if os.path.isfile(settings):
        check("listfilename=" + playlist in read_settings(settings),
              "a playlist named on the command line was not loaded as the list")


def main():
    cmake, build, version = sys.argv[1:4]
    tools = sys.argv[4:]
    with tempfile.TemporaryDirectory(prefix="varo-install-") as tmp:
        prefix = os.path.join(tmp, "prefix")
        result = subprocess.run([cmake, "--install", build, "--prefix", prefix],
                                capture_output=True, text=True, timeout=300)
        if not check(result.returncode == 0, f"cmake --install failed: {result.stderr.strip()}"):
            return failures.report()
        env = isolated_env(os.path.join(tmp, "user"))
        check_layout(prefix)
        check_desktop_entry(prefix)
        check_help_and_version([os.path.join(prefix, "bin", p) for p in PROGRAMS] + tools,
                               version, env)
        try:
            check_first_start(prefix, env)
        except subprocess.TimeoutExpired:
            failures.append(f"the installed varo did not exit within {START_TIMEOUT} s")
    return failures.report()


if __name__ == "__main__":
    sys.exit(main())
