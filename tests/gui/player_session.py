#!/usr/bin/env python3
"""The player driven as a person would. On a private X display (Xvfb, openbox, trayer) and
through a private sound server, varo starts with two files on its command line; the test
clicks the skin's buttons (next, pause, resume, stop, play, previous), drags a third file
onto the window from another program (real XDND), changes the play mode and the skin through
the popup menu's accelerator keys, hides to the tray and comes back (double click on the
icon, and the icon's own menu), and leaves through the menu. It checks what a person would
notice: sound at the sink while playing and silence while paused or stopped, the title
labels changing with the track (screenshots compared, no OCR), the windows appearing and
hiding, and varo.ini after the exit. Screenshots and the settings file stay in --artifacts.

Fails (never skips) when a tool, the display or the sound server is missing.
"""
import argparse
import glob
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from long_tracks import make_tracks  # noqa: E402
from player_window import PlayerEnded, PlayerWindow  # noqa: E402
from screen_image import Crop  # noqa: E402
from sink_level import measure  # noqa: E402
from skin_geometry import (BACKGROUND, MINIMISE, NEXT, PAUSE, PLAY, PREVIOUS,  # noqa: E402
                           STOP)
from check_support import Failures  # noqa: E402
from x_session import (XSession, XSessionError, die_with_parent, end_process,  # noqa: E402
                       wait_until)

TITLES = ("Alpha 一番目の曲", "Bravo 二番目", "Charlie 三番目")
ARTIST = "VARO テスト"
TRACK_SECONDS = 150     # far longer than the whole session: no track ends by itself
# A click's effect at the sink. Silence must come before the two seconds of audio the player
# queues (four half-second buffers) could have played out: a pause or stop that only stops
# feeding the device goes silent that much later. Sound may take as long as a loaded
# machine needs to start a stream.
SILENT_WITHIN = 1.5     # s from the click
LOUD_WITHIN = 10.0      # s from the click
LOUD_RMS = 300          # the tracks are noise and a sweep at -9 to -3 dBFS
QUIET_PEAK = 8          # paused or stopped: nothing (a few steps of slack)
TEXT_PIXELS = 40        # label-coloured pixels that make a visible title
SAME_LABEL_SHARE = 0.01  # crops of one title may differ in at most this share of pixels


class Session:
    def __init__(self, args, x, recording, player):
        self.args, self.x, self.rec, self.player = args, x, recording, player
        self.failures, self.figures = Failures(), []
        self.check = self.failures.check
        self.shot_number = 0

    def shot(self, name):
        self.shot_number += 1
        path = os.path.join(self.args.artifacts, f"{self.shot_number:02d}-{name}.png")
        return self.x.screenshot(path)

    def sound(self, loud, when):
        """Waits for the sink to show the click's effect, then measures it over a second."""
        def shows(level):
            if level.seconds < 0.1:  # the recorder got no time: no evidence either way
                return False
            return level.rms >= LOUD_RMS if loud else level.peak <= QUIET_PEAK

        clicked = time.monotonic()
        limit = LOUD_WITHIN if loud else SILENT_WITHIN
        while not shows(level := measure(self.rec, 0.25)) and time.monotonic() - clicked < limit:
            pass
        settled = time.monotonic() - clicked
        if shows(level):
            level = measure(self.rec)
        self.figures.append(f"sink {when}: {level} (settled within {settled:.2f} s)")
        if loud:
            self.check(level.rms >= LOUD_RMS, f"{when}: no sound at the sink ({level})")
        else:
            self.check(level.peak <= QUIET_PEAK, f"{when}: the sink is not silent ({level})")

    def title_crop(self, shot, when):
        """The title and artist labels; they must show text in the skin's label colour."""
        crop = Crop(shot, self.player.labels())
        text = crop.count(self.player.skin.label_colour_rgb())
        self.figures.append(f"labels {when}: {text} pixels of the label colour")
        self.check(text >= TEXT_PIXELS, f"{when}: no title in the labels ({text} text pixels)")
        return crop

    def same_title(self, a, b, when):
        diff = a.differing_pixels(b)
        limit = SAME_LABEL_SHARE * a.rect.width * a.rect.height
        self.check(diff <= limit, f"{when}: the labels changed ({diff} pixels) for the same track")

    def other_title(self, a, b, when):
        diff = a.differing_pixels(b)
        self.figures.append(f"labels {when}: {diff} pixels differ")
        self.check(diff > 4 * TEXT_PIXELS, f"{when}: the labels did not change ({diff} pixels)")

    def setting(self, key):
        """A key of varo.ini as it is on disk now (every change is written at once)."""
        path = os.path.join(self.player.home, "varo.ini")
        with open(path, encoding="utf-8") as f:
            for line in f.read().splitlines():
                name, _, value = line.partition("=")
                if name.lower() == key.lower():
                    return value
        return None

    def wait_setting(self, key, value, when):
        try:
            wait_until(lambda: self.setting(key) == value, 5, f"{key}={value}")
        except TimeoutError:
            self.check(False, f"{when}: varo.ini holds {key}={self.setting(key)}, not {value}")


def transport(s, tracks):
    """Start with two files, then next, pause, resume, stop and play on the skin's buttons."""
    p = s.player
    p.start(tracks[:2])
    wait_until(p.playlist_visible, 10, "the playlist window (files on the command line)")
    gx, gy = p.origin()
    s.check((gx, gy) == (100, 100), f"first start: the main window at {gx},{gy}, not 100,100")
    s.sound(True, "first track started from the command line")
    first = s.title_crop(s.shot("started"), "first track")

    p.press(NEXT)
    s.sound(True, "after next")
    second = s.title_crop(s.shot("next"), "after next")
    s.other_title(first, second, "first to second track")

    p.press(PAUSE)
    s.sound(False, "paused")
    s.same_title(second, s.title_crop(s.shot("paused"), "paused"), "paused")
    p.press(PAUSE)
    s.sound(True, "resumed")

    p.press(STOP)
    s.sound(False, "stopped")
    s.shot("stopped")
    p.press(PLAY)
    s.sound(True, "play after stop")
    s.same_title(second, s.title_crop(s.shot("play-again"), "play after stop"),
                 "play restarts the current (second) track")
    p.press(STOP)
    s.sound(False, "stopped again")
    return first, second


def drop_third(s, track, first, work):
    """A text file and a third track dragged together from another program onto the stopped
    player: the text file is passed over without a word, the track joins the queue and
    playing starts again from the first entry."""
    p = s.player
    not_audio = os.path.join(work, "notes.txt")
    with open(not_audio, "w") as f:
        f.write("not MPEG audio\n" * 100)
    grid_before = playlist_grid(s)
    shot_before = s.shot("before-drop")
    windows_before = set(s.x.visible_windows(pid=p.process.pid))
    source = subprocess.Popen([s.args.drag_source, not_audio, track], env=s.x.env,
                              stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                              preexec_fn=die_with_parent)
    try:
        window = wait_until(lambda: s.x.visible_windows(pid=source.pid), 10, "the drag source")[0]
        sx, sy, sw, sh, _ = s.x.geometry(window)
        s.x.drag((sx + sw // 2, sy + sh // 2), p.labels().centre())
        said = source.stdout.readline().strip()
        s.check(said == "drop: accepted", f"drop: the drag source says {said!r}")
        s.sound(True, "after the drop while stopped")
        after = s.shot("dropped")
        s.same_title(first, s.title_crop(after, "after the drop"),
                     "the drop restarts the queue at its first entry")
        if grid_before is not None:
            changed = Crop(shot_before, grid_before).differing_pixels(Crop(after, grid_before))
            s.figures.append(f"playlist grid: {changed} pixels changed by the drop")
            s.check(changed > 2 * TEXT_PIXELS, "drop: the playlist grid did not change")
        s.check(source.wait(timeout=15) == 0, "drop: the drag source failed")
        extra = set(s.x.visible_windows(pid=p.process.pid)) - windows_before
        s.check(not extra, f"drop: {len(extra)} more windows (a message about the text file?)")
    finally:
        end_process(source)


def playlist_grid(s):
    """The playlist window's grid on the screen, where the skin's layout puts it."""
    g = s.player.playlist_geometry()
    if g is None:
        s.check(False, "the playlist window is not shown")
        return None
    return s.player.skin.grid().moved(g[0], g[1])


def previous_track(s, first, second):
    """Previous from the first entry goes round to the last one: the dropped file."""
    s.player.press(PREVIOUS)
    s.sound(True, "after previous")
    third = s.title_crop(s.shot("previous"), "after previous")
    s.other_title(first, third, "previous from the first entry (first to third track)")
    s.other_title(second, third, "second and third track")
    return third


def play_modes(s, third):
    """Repeat one, then random, through the popup menu's accelerators; the track goes on."""
    p = s.player
    p.open_menu()
    s.shot("popup-menu")
    s.x.key("s")  # 再生モード(&S)
    time.sleep(0.4)
    s.shot("play-mode-submenu")
    p.choose("o")  # 1曲リピート(&O)
    s.wait_setting("repeat", "1", "repeat one chosen")
    p.open_menu()
    s.x.key("s")
    p.choose("r")  # ランダム再生(&R)
    s.wait_setting("repeat", "3", "random chosen")
    s.sound(True, "after the play mode changes")
    s.same_title(third, s.title_crop(s.shot("play-mode-changed"), "after the play mode changes"),
                 "choosing a play mode keeps the track")
    p.open_menu()
    s.x.key("s")
    time.sleep(0.4)
    s.shot("random-checked")
    p.choose("Escape", "Escape")

    p.open_menu()
    s.x.key("m")  # 曲名(&M): one entry per queue entry
    time.sleep(0.4)
    s.shot("song-submenu")
    p.choose("Escape", "Escape")


def skin_change(s):
    """The first skin after 標準(&H) in the SKIN submenu (skins are listed by name)."""
    p = s.player
    others = sorted(os.path.splitext(os.path.basename(f))[0]
                    for f in glob.glob(os.path.join(s.args.skins, "*.txt")))
    others = [name for name in others if name != "default"]
    if not s.check(others, "no skin besides the standard one to change to"):
        return None, None
    background = p.piece(BACKGROUND)
    before = s.shot("before-skin")
    p.open_menu()
    s.x.key("i")  # SKIN(&I)
    time.sleep(0.4)
    s.shot("skin-submenu")
    p.choose("Down", "Return")
    s.wait_setting("skin", others[0], "second skin chosen")

    def repainted():
        after = s.shot("skin-" + others[0])
        changed = Crop(before, background).differing_pixels(Crop(after, background))
        return (after, changed) if changed > background.width * background.height // 4 else None

    try:
        after, changed = wait_until(repainted, 20, "the main window repainted", interval=0.3)
    except TimeoutError:
        after = s.shot("skin-" + others[0])
        changed = Crop(before, background).differing_pixels(Crop(after, background))
    p.use_skin(others[0])
    s.figures.append(f"skin change: {changed} of {background.width * background.height} "
                     "background pixels changed")
    s.check(changed > background.width * background.height // 4,
            "the skin change did not repaint the main window")
    return others[0], s.title_crop(after, "after the skin change")


def tray(s, title):
    """Hide to the tray with the minimise button and back with a double click on the icon;
    then hide through the menu and come back through the icon's own menu."""
    p = s.player
    p.press(MINIMISE)
    p.wait_main(False)
    s.check(not p.playlist_visible(), "hidden to the tray: the playlist window still shows")
    icon = p.wait_tray_icon()
    s.shot("in-tray")
    s.sound(True, "hidden in the tray (playing goes on)")
    s.x.click(*icon.centre(), repeat=2)
    restored(s, title, "restored by a double click on the icon", "restored-by-double-click")

    p.open_menu()
    p.choose("t")  # タスクトレイにしまう(&T)
    p.wait_main(False)
    icon = p.wait_tray_icon()
    p.open_menu(at=icon.centre())
    s.shot("tray-menu")
    p.choose("t")  # 元のサイズに戻す(&T)
    restored(s, title, "restored through the icon's menu", "restored-by-icon-menu")


def restored(s, title, how, shot):
    p = s.player
    p.wait_main(True)
    s.check(p.origin() == (100, 100), f"{how}: the main window at {p.origin()}, not 100,100")
    s.check(not p.playlist_visible(), f"{how}: the playlist window came back too")
    s.check(p.tray_icon() is None, f"{how}: the icon stays in the tray")
    if title is not None:
        s.same_title(title, s.title_crop(s.shot(shot), how), f"{how}: the title")


def exit_and_settings(s, tracks, skin):
    p = s.player
    p.open_menu()
    s.x.key("x")  # 終了(&X)
    status = p.wait_exit()
    s.check(status == 0, f"exit through the menu: status {status}")
    s.sound(False, "after the exit")
    path = os.path.join(p.home, "varo.ini")
    shutil.copy(path, os.path.join(s.args.artifacts, "varo.ini"))
    with open(path, encoding="utf-8") as f:
        ini = dict(l.split("=", 1) for l in f.read().splitlines() if "=" in l)
    want = {"repeat": "3", "skin": skin, "max": "3", "last_music_number": "2",
            "window_x": "100", "window_y": "100"}
    want.update({f"list{n + 1}": t for n, t in enumerate(tracks)})
    for key, value in want.items():
        s.check(ini.get(key) == value, f"varo.ini after exit: {key}={ini.get(key)}, want {value}")
    s.check("list4" not in ini, "varo.ini after exit: a fourth queue entry")
    plays = {ini.get(f"rank_list{n}"): ini.get(f"rank_pcnt{n}")
             for n in range(1, int(ini.get("rank_count", "0")) + 1)}
    # Started: the first at start-up and after the drop, the second by next and by play,
    # the third by previous.
    want_plays = {TITLES[0]: "2", TITLES[1]: "2", TITLES[2]: "1"}
    s.check(plays == want_plays, f"ranking after exit: {plays}, want {want_plays}")


def run(args, work):
    from sound_server import MonitorRecording, SoundServer  # the tests/sound harness
    tracks = make_tracks(args.corpus, work, TITLES, ARTIST, TRACK_SECONDS)
    with SoundServer() as server, MonitorRecording(server) as rec:
        env = server.env()
        # No session bus: the tray icon goes through the tray host (XEmbed), and no bus is
        # started on the side.
        env.update(QT_QPA_PLATFORM="xcb", LANG="C.UTF-8", NO_AT_BRIDGE="1",
                   DBUS_SESSION_BUS_ADDRESS="disabled:", DBUS_SYSTEM_BUS_ADDRESS="disabled:",
                   XDG_DATA_HOME=os.path.join(work, "data"),
                   XDG_CACHE_HOME=os.path.join(work, "cache"))
        for name in ("QT_QPA_PLATFORMTHEME", "XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE",
                     "XDG_DATA_DIRS", "XDG_CONFIG_DIRS", "VARO_HOME"):
            env.pop(name, None)
        with XSession(work, env) as x:
            player = PlayerWindow(x, args.varo, os.path.join(work, "home"), args.skins, work)
            s = Session(args, x, rec, player)
            try:
                first, second = transport(s, tracks)
                drop_third(s, tracks[2], first, work)
                third = previous_track(s, first, second)
                play_modes(s, third)
                skin, title = skin_change(s)
                tray(s, title)
                exit_and_settings(s, tracks, skin)
            except (TimeoutError, PlayerEnded, XSessionError, subprocess.SubprocessError,
                    OSError) as e:
                s.failures.append(f"could not go on: {e}")
                s.shot("failure")
            finally:
                player.stop()
            if s.failures:
                print(player.log())
            return s


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    for option in ("varo", "drag-source", "skins", "corpus", "sound-harness", "artifacts"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    sys.path.insert(0, args.sound_harness)
    os.makedirs(args.artifacts, exist_ok=True)
    for old in glob.glob(os.path.join(args.artifacts, "*.png")):
        os.remove(old)
    # ctest ends a test that runs too long with SIGTERM: leave through the clean-up.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        with tempfile.TemporaryDirectory(prefix="varo-gui-") as work:
            s = run(args, work)
    except Exception as e:  # the display or the sound server could not run
        print(f"FAIL {type(e).__name__}: {e}")
        return 1
    print(f"screenshots in {args.artifacts}")
    return s.failures.report(s.figures)


if __name__ == "__main__":
    sys.exit(main())
