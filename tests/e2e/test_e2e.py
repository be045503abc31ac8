# SPDX-License-Identifier: GPL-3.0-or-later
"""The built program on a real X server with a window manager (openbox), seen and driven through the accessibility
bus as a screen reader sees and drives it, and through the keyboard.
Run on an X server of three screens, under dbus-run-session: python3 test_e2e.py PATH/TO/hizli"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402
import pyatspi  # noqa: E402
import Xlib.error  # noqa: E402
from Xlib import X, Xatom, display as xdisplay  # noqa: E402

HIZLI = sys.argv.pop(1)
# The program runs on the server's second screen, whose root window its startup messages must reach.
SCREEN = 1
# The test's own connection, for questions to the server and the window manager.
X11 = xdisplay.Display()


def wait(condition, what, timeout=15):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError(f"gave up waiting for {what}")


def find(node, role, name=None):
    """Every descendant of node with that role (and name), in tree order."""
    found = []
    for child in filter(None, (node.getChildAtIndex(i) for i in range(node.childCount))):
        if child.getRoleName() == role and name in (None, child.name or ""):
            found.append(child)
        found += find(child, role, name)
    return found


def press(node):
    action = node.queryAction()
    try:
        action.doAction([action.getName(i) for i in range(action.nActions)].index("Press"))
    except GLib.Error:  # an item that ends the program answers never
        pass


def x_server_time():
    """The X server's time now, from a property change on a window of our own."""
    x = xdisplay.Display()
    window = x.screen(SCREEN).root.create_window(0, 0, 1, 1, 0, 0, event_mask=X.PropertyChangeMask)
    window.change_property(Xatom.WM_NAME, Xatom.STRING, 8, b"t")
    while (event := x.next_event()).type != X.PropertyNotify:
        pass
    x.close()
    return event.time


def startup_messages(x):
    """What was sent to the root window since x began to listen: startup messages, whole, and "active: SOURCE TIME"."""
    x.sync()
    begin, more, active = map(x.intern_atom, ("_NET_STARTUP_INFO_BEGIN", "_NET_STARTUP_INFO", "_NET_ACTIVE_WINDOW"))
    texts = []
    while x.pending_events():
        event = x.next_event()
        if event.type == X.ClientMessage and event.client_type == active:
            texts.append(b"active: %d %d" % tuple(event.data[1][:2]))
        elif event.type == X.ClientMessage and event.client_type in (begin, more):
            if event.client_type == begin:
                texts.append(b"")
            texts[-1] += bytes(event.data[1])
    return [text.split(b"\0")[0].decode() for text in texts]


def x_windows(pid):
    """Each mapped window of a process that the window manager manages, by title: its _NET_WM_STATE names."""
    atom, found = X11.intern_atom, {}
    clients = X11.screen(SCREEN).root.get_full_property(atom("_NET_CLIENT_LIST"), Xatom.WINDOW)
    for window in (X11.create_resource_object("window", w) for w in (clients.value if clients else [])):
        try:
            owner = window.get_full_property(atom("_NET_WM_PID"), Xatom.CARDINAL)
            if owner and owner.value[0] == pid and window.get_attributes().map_state == X.IsViewable:
                title = window.get_full_property(atom("_NET_WM_NAME"), atom("UTF8_STRING")).value.decode()
                states = window.get_full_property(atom("_NET_WM_STATE"), Xatom.ATOM)
                found[title] = {X11.get_atom_name(state) for state in (states.value if states else [])}
        except Xlib.error.BadWindow:  # gone since the list was read
            pass
    return found


def active_title():
    """The title of the window that has the keyboard focus, as the window manager says."""
    active = X11.screen(SCREEN).root.get_full_property(X11.intern_atom("_NET_ACTIVE_WINDOW"), Xatom.WINDOW)
    name = active and active.value[0] and X11.create_resource_object("window", active.value[0]).get_full_property(
        X11.intern_atom("_NET_WM_NAME"), X11.intern_atom("UTF8_STRING"))
    return name.value.decode() if name else None


def outer_frame(root, pid):
    """Left, top, right, bottom of pid's framed window below root, by _NET_FRAME_EXTENTS (left, right, top, bottom)."""
    for window in map(lambda w: X11.create_resource_object("window", w),
                      root.get_full_property(X11.intern_atom("_NET_CLIENT_LIST"), Xatom.WINDOW).value):
        frame = window.get_full_property(X11.intern_atom("_NET_FRAME_EXTENTS"), Xatom.CARDINAL)
        if frame and window.get_full_property(X11.intern_atom("_NET_WM_PID"), Xatom.CARDINAL).value[0] == pid:
            extents, at, size = frame.value, root.translate_coords(window, 0, 0), window.get_geometry()
            return at.x - extents[0], at.y - extents[2], at.x + size.width + extents[1], at.y + size.height + extents[3]


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "150", *names], check=True)


def focus_window():
    """A window of the test's own, mapped and given the focus, as another program would be."""
    x = xdisplay.Display()
    window = x.screen(SCREEN).root.create_window(300, 300, 200, 100, 0, x.screen(SCREEN).root_depth)
    window.change_property(x.intern_atom("_NET_WM_NAME"), x.intern_atom("UTF8_STRING"), 8, b"e2e")
    window.map()
    x.sync()
    wait(lambda: active_title() == "e2e", "the test's own window to take the focus")
    return x


def list_bytes(records):
    return b"".join(b'"%s","%s"\r\n' % (c.encode("cp1254"), p.encode()) for c, p in records)


class Hizli(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        os.environ["DISPLAY"] = f"{os.environ['DISPLAY'].split('.')[0]}.{SCREEN}"
        cls.wm = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait(lambda: X11.screen(SCREEN).root.get_full_property(X11.intern_atom("_NET_SUPPORTING_WM_CHECK"),
                                                               Xatom.WINDOW), "openbox")

    @classmethod
    def tearDownClass(cls):
        cls.wm.terminate()
        cls.wm.wait()

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="hizli-e2e-")
        self.program = os.path.join(self.folder, "prog-A")
        given = '"$DESKTOP_STARTUP_ID" "$DISPLAY" "${XDG_ACTIVATION_TOKEN-none}" "$PWD" "$@"'
        Path(self.program).write_text(f'#!/bin/sh\nprintf "%s|" {given} > "{self.folder}/started.txt"\n')
        os.chmod(self.program, 0o755)
        self.process = None
        # Startup entries of the launcher's own start, which no started program may inherit.
        self.env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
                        DESKTOP_STARTUP_ID="old", XDG_ACTIVATION_TOKEN="old", XDG_RUNTIME_DIR=self.folder)
        self.env.pop("WAYLAND_DISPLAY", None)

    def tearDown(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)

    def start(self, records, *args, **env):
        if records:
            with open(os.path.join(self.folder, "data.txt"), "wb") as data:
                data.write(list_bytes(records))
        # The registry must be up before the program looks for it, or the program never shows on the bus.
        desktop = pyatspi.Registry.getDesktop(0)
        desktop.set_cache_mask(Atspi.Cache.NONE)
        self.process = subprocess.Popen([*args] or [HIZLI], cwd=self.folder, env={**self.env, **env})
        self.app = wait(lambda: next((a for a in (desktop.getChildAtIndex(i) for i in range(desktop.childCount))
                                      if a and a.get_process_id() == self.process.pid), None), "the program")
        self.app.set_cache_mask(Atspi.Cache.NONE)

    def started(self):
        """What the program the launcher started was given, once it has run."""
        path = Path(self.folder, "started.txt")
        given = wait(lambda: path.exists() and path.read_text(), "the program")
        path.unlink()
        return given

    def one(self, role, name):
        return wait(lambda: (find(self.app, role, name) or [None])[0], f"{role} {name!r}")

    def test_launch_item_starts_its_program_and_ends(self):
        # Pressed through the accessibility bus there is no click, so no time
        # to hand on; a key's (or a click's) X server time goes into the startup ID.
        for how in ("accessibility", "keys"):  # the keys: F10, Right, Return
            with self.subTest(how):
                self.start([(f"Öğe {k}", f"{self.program} {k} iki") for k in range(1, 10)])
                launcher = wait(lambda: x_windows(self.process.pid).get("Hızlı"), "the launcher mapped")
                self.assertLessEqual({"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}, launcher)
                item = self.one("menu item", "Öğe 2")
                listener = xdisplay.Display()
                listener.screen(SCREEN).root.change_attributes(event_mask=X.PropertyChangeMask)
                listener.sync()
                before = x_server_time()
                keys("F10", "Right", "Return") if how == "keys" else press(item)
                self.assertEqual(self.process.wait(10), 0)
                after = x_server_time()
                started, display, folder = self.started(), re.escape(os.environ["DISPLAY"]), re.escape(self.folder)
                # Only plain characters of the name go into the ID; the environment is passed on.
                found = re.fullmatch(rf"(hizli-{self.process.pid}-[^|]+-prog_A-1(_TIME(\d+))?)"
                                     rf"\|{display}\|none\|{folder}\|2\|iki\|", started)
                self.assertTrue(found, started)
                self.assertTrue(before <= int(found[3]) <= after if how != "accessibility" else not found[2], started)
                stamp = f" TIMESTAMP={found[3]}" if found[2] else ""
                self.assertEqual(startup_messages(listener),
                                 [f'new: ID="{found[1]}" NAME="prog-A" BIN="prog-A" SCREEN={SCREEN}{stamp}'])
                listener.close()

    def test_without_a_display(self):
        # One line and status 1, but help and the version need no display; an unknown option is a usage error.
        none, gone = (1, "", "hizli: .*ekran.*\n"), {"DISPLAY": ":4242"}
        Path(auth := f"{self.folder}/auth").write_bytes(b"\1\0\0\0\0\0\0\x12MIT-MAGIC-COOKIE-1\0\x10" + b"\0" * 16)
        # A server on a display it chooses itself, gone with the test, whose cookie no client here holds.
        number, told = os.pipe()
        self.addCleanup(subprocess.Popen(["Xvfb", "-displayfd", str(told), "-auth", auth], pass_fds=[told],
                                         stderr=subprocess.DEVNULL).kill)
        os.close(told)
        with os.fdopen(number) as given:
            refusing = f":{given.readline().strip()}"
        usage = "Kullanım: hizli .*--desktop.*sürümü gösterir\n\nKlavyeyle kullanım ve ayrıntılar: man hizli\n"
        for display, args, status, out, err in [
                ({}, [], *none), (gone, [], *none), ({**gone, "WAYLAND_DISPLAY": "/nowhere"}, [], *none),
                ({}, ["--help"], 0, usage, ""), ({}, ["--version"], 0, "hizli 1[.][0-9.]+\n", ""),
                ({}, ["-style", "x", "--bogus"], 2, "", "hizli: bilinmeyen seçenek: --bogus\nKullanım: .*"),
                ({"DISPLAY": refusing, "XAUTHORITY": "/dev/null"}, [], 1, "", ".*hizli: .*X sunucusu .*kabul etmiyor.*")]:
            with self.subTest(display=display, args=args):
                env = {"PATH": os.environ["PATH"], **display}
                done = subprocess.run([HIZLI, *args], cwd=self.folder, env=env, capture_output=True, text=True,
                                      timeout=20)
                self.assertEqual(done.returncode, status, done.stderr)
                self.assertRegex(done.stdout, re.compile(f"^{out}$" if out else "^$", re.S))
                self.assertRegex(done.stderr, re.compile(f"^{err}$" if err else "^$", re.S))

    def focused(self, title, role=None, name=None):
        wait(lambda: active_title() == title, f"the focus on {title}")
        if role:
            wait(lambda: any(n.getState().contains(pyatspi.STATE_FOCUSED) for n in find(self.app, role, name)),
                 f"the focus on {name}")

    def test_focus_comes_back(self):
        """Whatever closes or hides, the window the user came from gets the keyboard focus."""
        self.start([(f"c{k}", f"p{k}") for k in range(1, 10)])
        self.focused("Hızlı", "push button", "Kapat")
        ayarlar, browse2 = "F10 End Left Return", "Tab " + "shift+Tab " * 9 + "space"  # first box to row 2's "Gözat"
        # Each row: keys, then the window (and control) that must have the focus.
        for what, steps in [
                ("About, Tamam", [("F10 End Return", "Hakkında"), ("Return", "Hızlı", "push button", "Kapat")]),
                ("settings, Escape", [(ayarlar, "Ayarlar"), ("Escape", "Hızlı", "push button", "Kapat")]),
                ("settings closed by the window manager", [(ayarlar, "Ayarlar"), ("alt+F4", "Hızlı")]),
                # Escape closes an open drive list first, then the picker.
                ("picker, Escape", [(ayarlar, "Ayarlar", "text", "Başlık, 1. satır"), (browse2, "Kısayol oluştur"),
                                    ("alt+Down Escape", "Kısayol oluştur", "combo box"),
                                    ("Escape", "Ayarlar", "push button", "Gözat, 2. satır")]),
                ("picker closed by the window manager", [("space", "Kısayol oluştur"), ("alt+F4", "Ayarlar")]),
                ("picker, Enter on a program", [("space", "Kısayol oluştur"),  # the file list holds prog-A
                                                ("Tab Return", "Ayarlar", "text", "Başlık, 2. satır")]),
                ("a box of the settings window", [("quotedbl", "Ayarlar"), ("save", "Hızlı", "push button", "Tamam"),
                                                  ("Return", "Ayarlar", "text", "Başlık, 2. satır")])]:
            with self.subTest(what):
                for typed, *focus in steps:
                    if typed == "save":
                        self.one("push button", "Kaydet ve çık").queryComponent().grabFocus()
                        typed = "space"
                    keys(*typed.split())
                    self.focused(*focus)
        self.assertEqual(self.process.poll(), None)
        # The settings window, unlike the launcher, is in the taskbar.
        self.assertNotIn("_NET_WM_STATE_SKIP_TASKBAR", x_windows(self.process.pid)["Ayarlar"])

    def test_second_start_brings_back_the_first(self):
        self.start([(f"c{k}", f"p{k}") for k in range(1, 10)])
        self.focused("Hızlı")
        other = focus_window()
        listener = xdisplay.Display()
        listener.screen(SCREEN).root.change_attributes(event_mask=X.PropertyChangeMask | X.SubstructureNotifyMask)
        listener.sync()
        # An ID may be nothing but its time; named without its screen, the display is still the first launcher's.
        startup, windows = f"_TIME{x_server_time()}", len(X11.screen(SCREEN).root.query_tree().children)
        second = subprocess.run([HIZLI], cwd=self.folder, timeout=10, env={
            **self.env, "DESKTOP_STARTUP_ID": startup, "DISPLAY": self.env["DISPLAY"].split(".")[0]})
        self.assertEqual(second.returncode, 0)
        self.focused("Hızlı", "push button", "Kapat")
        self.assertEqual(wait(lambda: startup_messages(listener), "the startup message"),
                         [f"active: 1 {startup.split('_TIME')[1]}", f'remove: ID="{startup}"'])
        self.assertEqual(len(X11.screen(SCREEN).root.query_tree().children), windows)  # the messages' window is gone
        # gtk-launch's time 0 is none: the server's time goes out instead, which window managers honour.
        subprocess.run([HIZLI], cwd=self.folder, env={**self.env, "DESKTOP_STARTUP_ID": "e2e_TIME0"}, timeout=10)
        self.assertRegex(wait(lambda: startup_messages(listener), "the activation")[0], "^active: 1 [1-9]")

    def test_launcher_below_a_small_screen_moves_up_to_its_edge(self):
        display, root = f"{os.environ['DISPLAY'].split('.')[0]}.2", X11.screen(2).root  # 640 × 480
        openbox = subprocess.Popen(["openbox"], env={**os.environ, "DISPLAY": display}, stderr=subprocess.DEVNULL)
        self.enterContext(openbox)  # which waits for it at the end, once it is told to go
        self.addCleanup(openbox.terminate)
        wait(lambda: root.get_full_property(X11.intern_atom("_NET_CLIENT_LIST"), Xatom.WINDOW), "openbox")
        for scale in (1, 2):  # at scale 2, within one of Qt's pixels of the edge
            self.start([(f"c{k}", f"p{k}") for k in range(1, 10)], DISPLAY=display, QT_SCALE_FACTOR=str(scale))
            frame = wait(lambda: (f := outer_frame(root, self.process.pid)) and f[3] > 480 - scale and f, "the edge")
            self.assertTrue(0 <= frame[0] < frame[2] <= 640 and 0 <= frame[1] < frame[3] <= 480, (scale, frame))
            self.process.kill()
            self.process.wait()

    def test_desktop_entry_start(self):
        """hizli --desktop, as the menu entry starts it, from a tree where the example list is installed."""
        prefix = Path(self.folder, "usr")
        (prefix / "bin").mkdir(parents=True)
        (prefix / "share/hizli").mkdir(parents=True)
        shutil.copy(HIZLI, prefix / "bin/hizli")
        example = list_bytes([(f"Ö{k}", f"{self.program} {k}") for k in range(1, 10)])
        (prefix / "share/hizli/data.txt").write_bytes(example)
        (home := Path(self.folder, "ev")).mkdir()
        # A relative XDG_DATA_HOME counts as unset.
        self.start(None, str(prefix / "bin/hizli"), "--desktop", HOME=str(home), XDG_DATA_HOME="veri")
        press(self.one("menu item", "Ayarlar"))
        press(self.one("push button", "Gözat, 1. satır"))
        self.one("list item", "ev, açık klasör")  # the picker begins at home
        press(self.one("menu item", "Ö1"))
        self.assertEqual(self.process.wait(10), 0)
        self.assertEqual((home / ".local/share/hizli/data.txt").read_bytes(), example)
        self.assertEqual((home / ".local/share/hizli").stat().st_mode & 0o777, 0o700)
        self.assertEqual(self.started().split("|")[3], str(home))
        # A data folder that cannot be made is a message that names it, and status 1.
        Path(self.folder, "dosya").write_text("")
        self.start(None, HIZLI, "--desktop", XDG_DATA_HOME=f"{self.folder}/dosya")
        box = self.one("alert", "Hızlı")
        self.assertTrue(any(f"{self.folder}/dosya/hizli" in (label.name or "") for label in find(box, "label")))
        press(self.one("push button", "Tamam"))
        self.assertEqual(self.process.wait(10), 1)


if __name__ == "__main__":
    unittest.main(verbosity=2)
