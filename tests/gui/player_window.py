"""The running player as a person sees it: its main window at the place the window manager
gave it, the skin's buttons on it, the popup menu, the playlist window and the tray icon."""
import os
import subprocess
import time

from skin_geometry import Rect, SkinGeometry
from x_session import die_with_parent, end_process, wait_until

MAIN_TITLE = "^VARO$"
PLAYLIST_TITLE = "^再生リスト$"


class PlayerEnded(RuntimeError):
    pass


class PlayerWindow:
    def __init__(self, x, varo, home, skins, workdir):
        self.x, self.varo, self.home, self.skins = x, varo, home, skins
        self.log_path = os.path.join(workdir, "varo.log")
        self.process = None
        self.main = None
        self.skin = None

    def start(self, files):
        with open(self.log_path, "w") as log:
            self.process = subprocess.Popen([self.varo, "--home", self.home, *files], env=self.x.env,
                                            stdin=subprocess.DEVNULL, stdout=log,
                                            stderr=subprocess.STDOUT, preexec_fn=die_with_parent)
        self.main = wait_until(lambda: self._window(MAIN_TITLE), 20, "the main window")
        self.use_skin("default")

    def stop(self):
        if self.process is not None:
            end_process(self.process)

    def log(self):
        try:
            with open(self.log_path, errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    def running(self):
        return self.process.poll() is None

    def check_running(self):
        if not self.running():
            raise PlayerEnded(f"varo ended unasked, status {self.process.returncode}")

    def _window(self, title):
        self.check_running()
        found = self.x.visible_windows(pid=self.process.pid, name=title)
        return found[0] if found else None

    def use_skin(self, name):
        self.skin = SkinGeometry(self.skins, name)

    # --- where things are --------------------------------------------------------------

    def origin(self):
        gx, gy, _, _, _ = self.x.geometry(self.main)
        return gx, gy

    def on_screen(self, rect):
        """A rectangle of the main window in screen coordinates."""
        return rect.moved(*self.origin())

    def piece(self, index):
        return self.on_screen(self.skin.piece(index))

    def labels(self):
        return self.on_screen(self.skin.labels())

    def playlist_geometry(self):
        window = self._window(PLAYLIST_TITLE)
        return self.x.geometry(window) if window else None

    def main_visible(self):
        self.check_running()
        return self.x.is_viewable(self.main)

    def playlist_visible(self):
        return self._window(PLAYLIST_TITLE) is not None

    # --- what a person does ------------------------------------------------------------

    def press(self, index):
        """A left click in the middle of a skin piece (a button)."""
        self.x.click(*self.piece(index).centre())

    def open_menu(self, at=None):
        """Right click (on the title labels unless told where); returns the menu's window."""
        before = set(self.x.visible_windows(pid=self.process.pid))
        self.x.click(*(at or self.labels().centre()), button=3)
        return wait_until(lambda: set(self.x.visible_windows(pid=self.process.pid)) - before, 10,
                          "the popup menu")

    def choose(self, *keys):
        """Keys pressed in an open menu; waits until every menu has closed."""
        menus_before = set(self.x.visible_windows(pid=self.process.pid))
        self.x.key(*keys)
        wait_until(lambda: not self._menus_open(menus_before), 10, "the menu closing")

    def _menus_open(self, windows):
        return any(self.x.is_viewable(w) for w in windows
                   if w not in (self.main, self._window(PLAYLIST_TITLE)))

    def tray_icon(self):
        """The player's icon inside the tray host's panel, or None."""
        px, py, pw, ph, _ = self.x.geometry(self.x.tray_windows[0])
        for w in self.x.visible_windows(pid=self.process.pid):
            gx, gy, gw, gh, _ = self.x.geometry(w)
            if px <= gx and gx + gw <= px + pw and py <= gy and gy + gh <= py + ph:
                return Rect(gx, gy, gw, gh)
        return None

    def wait_tray_icon(self):
        return wait_until(self.tray_icon, 10, "the tray icon in the tray host")

    def wait_main(self, visible, timeout=10):
        wait_until(lambda: self.main_visible() == visible, timeout,
                   "the main window " + ("showing" if visible else "hiding"))

    def wait_exit(self, timeout=15):
        deadline = time.monotonic() + timeout
        while self.running() and time.monotonic() < deadline:
            time.sleep(0.1)
        return self.process.poll()
