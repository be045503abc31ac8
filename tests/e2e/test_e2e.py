# SPDX-License-Identifier: GPL-3.0-or-later
"""The built program on a real X server, seen and driven through the
accessibility bus as a screen reader sees and drives it. Run under xvfb-run
and dbus-run-session: python3 test_e2e.py PATH/TO/hizli"""
import os
import re
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402
import pyatspi  # noqa: E402
from Xlib import X, Xatom, display as xdisplay  # noqa: E402

HIZLI = sys.argv.pop(1)
# The program runs on the server's second screen, whose root window its
# startup messages must reach.
SCREEN = 1


def wait(condition, what, timeout=15):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError(f"gave up waiting for {what}")


def find(node, role, name=None, starts=False):
    """Every descendant of node with that role (and name), in tree order."""
    found, stack = [], [node]
    while stack:
        current = stack.pop()
        if current is None:
            continue
        label = current.name or ""
        if current.getRoleName() == role and (name is None or label == name
                                              or (starts and label.startswith(name))):
            found.append(current)
        stack.extend(reversed([current.getChildAtIndex(i) for i in range(current.childCount)]))
    return found


def press(node):
    # Sent without waiting for an answer: an item that ends the program, or
    # opens a modal box, answers late or never.
    address = Gio.bus_get_sync(Gio.BusType.SESSION).call_sync(
        "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
        GLib.VariantType("(s)"), Gio.DBusCallFlags.NONE, 5000).unpack()[0]
    bus = Gio.DBusConnection.new_for_address_sync(
        address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
        | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
    action = node.queryAction()
    index = [action.getName(i) for i in range(action.nActions)].index("Press")
    message = Gio.DBusMessage.new_method_call(node.app.bus_name, node.path,
                                              "org.a11y.atspi.Action", "DoAction")
    message.set_body(GLib.Variant("(i)", (index,)))
    message.set_flags(Gio.DBusMessageFlags.NO_REPLY_EXPECTED)
    bus.send_message(message, Gio.DBusSendMessageFlags.NONE)
    bus.flush_sync()


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
    """The startup-notification messages sent to the root window since x
    began to listen, each put together from its pieces."""
    x.sync()
    begin, more = x.intern_atom("_NET_STARTUP_INFO_BEGIN"), x.intern_atom("_NET_STARTUP_INFO")
    texts = []
    while x.pending_events():
        event = x.next_event()
        if event.type == X.ClientMessage and event.client_type in (begin, more):
            if event.client_type == begin:
                texts.append(b"")
            texts[-1] += bytes(event.data[1])
    return [text.split(b"\0")[0].decode() for text in texts]


def x_states(pid):
    """The _NET_WM_STATE names of each mapped window of a process, by title."""
    x = xdisplay.Display()
    atom, found = x.intern_atom, {}
    for window in x.screen(SCREEN).root.query_tree().children:
        owner = window.get_full_property(atom("_NET_WM_PID"), Xatom.CARDINAL)
        if owner and owner.value[0] == pid and window.get_attributes().map_state == X.IsViewable:
            title = window.get_full_property(atom("_NET_WM_NAME"), atom("UTF8_STRING")).value.decode()
            states = window.get_full_property(atom("_NET_WM_STATE"), Xatom.ATOM)
            found[title] = {x.get_atom_name(state) for state in (states.value if states else [])}
    x.close()
    return found


class Hizli(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="hizli-e2e-")
        self.program = os.path.join(self.folder, "prog-A")
        with open(self.program, "w") as script:
            script.write(f'#!/bin/sh\nprintf "%s|" "$DESKTOP_STARTUP_ID" "$DISPLAY" "${{XDG_ACTIVATION_TOKEN-none}}" "$@"'
                         f' > "{self.folder}/started.txt"\n')
        os.chmod(self.program, 0o755)
        self.process = None

    def tearDown(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def start(self, records):
        if records:
            with open(os.path.join(self.folder, "data.txt"), "wb") as data:
                data.write(b"".join(b'"%s","%s"\r\n' % (c.encode("cp1254"), p.encode()) for c, p in records))
        # The registry must be up before the program looks for it, or the
        # program never shows on the bus.
        desktop = pyatspi.Registry.getDesktop(0)
        desktop.set_cache_mask(Atspi.Cache.NONE)
        # Startup entries of the launcher's own start, which no started program may inherit.
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
                   DISPLAY=f"{os.environ['DISPLAY']}.{SCREEN}", DESKTOP_STARTUP_ID="old", XDG_ACTIVATION_TOKEN="old")
        env.pop("WAYLAND_DISPLAY", None)
        self.process = subprocess.Popen([HIZLI], cwd=self.folder, env=env)
        self.app = wait(lambda: next((a for a in (desktop.getChildAtIndex(i) for i in range(desktop.childCount))
                                      if a and a.get_process_id() == self.process.pid), None), "the program")
        self.app.set_cache_mask(Atspi.Cache.NONE)

    def one(self, role, name, starts=False):
        return wait(lambda: (find(self.app, role, name, starts) or [None])[0], f"{role} {name!r}")

    def test_launch_item_starts_its_program_and_ends(self):
        # Pressed through the accessibility bus there is no click, so no time
        # to hand on; a click's or a key's X server time goes into the startup ID.
        for how in ("accessibility", "mouse", "keys"):
            with self.subTest(how):
                self.start([(f"Öğe {k}", f"{self.program} {k} iki") for k in range(1, 10)])
                launcher = wait(lambda: x_states(self.process.pid).get("Hızlı"), "the launcher mapped")
                self.assertEqual(launcher, {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"})
                item = self.one("menu item", "Öğe 2")
                listener = xdisplay.Display()
                listener.screen(SCREEN).root.change_attributes(event_mask=X.PropertyChangeMask)
                listener.sync()
                before = x_server_time()
                if how == "mouse":
                    x, y, width, height = item.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                    subprocess.run(["xdotool", "mousemove", "--screen", str(SCREEN), "--sync", str(x + width // 2),
                                    str(y + height // 2), "click", "1"], check=True)
                elif how == "keys":
                    # The control that holds the focus, then the keys typed: the bar's highlight is the focus.
                    for role, name, keys in [("push button", "Kapat", "F10 Right Right"), ("menu item", "Öğe 3", "Escape"),
                                             ("push button", "Kapat", "alt Right"), ("menu item", "Öğe 2", "Return")]:
                        wait(lambda: any(n.getState().contains(pyatspi.STATE_FOCUSED)
                                         for n in find(self.app, role, name)), name)
                        subprocess.run(["xdotool", "key", "--delay", "100", *keys.split()], check=True)
                else:
                    press(item)
                self.assertEqual(self.process.wait(10), 0)
                after = x_server_time()
                path = os.path.join(self.folder, "started.txt")
                started = wait(lambda: os.path.exists(path) and Path(path).read_text(), "the program")
                os.remove(path)
                # Only plain characters of the name go into the ID; the environment is passed on.
                found = re.fullmatch(rf"(hizli-{self.process.pid}-[^|]+-prog_A-1(_TIME(\d+))?)\|{re.escape(os.environ['DISPLAY'])}\.{SCREEN}\|none\|2\|iki\|", started)
                self.assertTrue(found, started)
                self.assertTrue(before <= int(found[3]) <= after if how != "accessibility" else not found[2], started)
                self.assertEqual(startup_messages(listener), [f'new: ID="{found[1]}" NAME="prog-A" BIN="prog-A" SCREEN={SCREEN}'
                                                              + (f" TIMESTAMP={found[3]}" if found[2] else "")])
                listener.close()

    def test_without_a_display_one_line_and_status_1(self):
        for display in [{}, {"DISPLAY": ":4242"}, {"DISPLAY": ":4242", "WAYLAND_DISPLAY": "/nowhere"}]:
            with self.subTest(display):
                env = {"PATH": os.environ["PATH"], **display}
                done = subprocess.run([HIZLI], cwd=self.folder, env=env, capture_output=True, text=True, timeout=20)
                self.assertEqual((done.returncode, done.stdout, done.stderr.count("\n")), (1, "", 1), done.stderr)
                self.assertTrue(done.stderr.startswith("hizli: ") and "ekran" in done.stderr, done.stderr)

    def test_missing_list_is_a_message_and_status_1(self):
        self.start(None)
        box = wait(lambda: (find(self.app, "alert", "Hızlı") + find(self.app, "dialog", "Hızlı") or [None])[0], "the box")
        self.assertTrue(any("data.txt" in (label.name or "") for label in find(box, "label")))
        self.assertEqual(find(self.app, "frame", "Hızlı"), [])
        press(self.one("push button", "Tamam"))
        self.assertEqual(self.process.wait(10), 1)

    def test_browse_choose_and_save(self):
        self.start([(f"c{k}", f"p{k}") for k in range(1, 10)])
        press(self.one("menu item", "Ayarlar"))
        self.one("frame", "Ayarlar")
        self.assertNotIn("_NET_WM_STATE_SKIP_TASKBAR", x_states(self.process.pid)["Ayarlar"])
        press(wait(lambda: find(self.app, "push button", "Gözat", starts=True)[2:3], "Gözat")[0])
        picker = self.one("frame", "Kısayol oluştur")
        files = wait(lambda: [v for v in find(picker, "list") if find(v, "list item", "prog-A")], "the file list")[0]
        row = [item.name for item in find(files, "list item")].index("prog-A")
        try:
            files.querySelection().selectChild(row)
        except NotImplementedError:
            files.queryTable().addRowSelection(row)
        press(self.one("push button", "Seç"))
        wait(lambda: not picker.getState().contains(pyatspi.STATE_SHOWING), "the picker to hide")
        press(self.one("push button", "Kaydet ve çık"))
        self.assertEqual(self.process.wait(10), 0)
        with open(os.path.join(self.folder, "data.txt"), "rb") as data:
            saved = data.read()
        expected = [(f"c{k}", f"p{k}") for k in range(1, 10)]
        expected[2] = ("prog-A", self.program)
        self.assertEqual(saved, b"".join(b'"%s","%s"\r\n' % (c.encode(), p.encode()) for c, p in expected))


if __name__ == "__main__":
    unittest.main(verbosity=2)
