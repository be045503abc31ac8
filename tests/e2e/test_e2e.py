#!/usr/bin/python3
"""Hızlı end to end: the built program on a real X server.

Each case starts the program as its own process in a fresh temporary folder
and drives it as a person does (real clicks and keys through XTest) or as a
screen reader does (the AT-SPI tree and its actions), then checks what the
person would see: windows, their titles, places and texts, the bytes of the
list on disk, the program that was started and the exit status.

    test_e2e.py --hizli BUILD/hizli [unittest arguments, e.g. Launcher]
"""

import argparse
import os
import re
import stat
import subprocess
import sys
import tempfile
import unittest
import warnings

# Run from the source tree: leave no bytecode caches in it.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from desktop import Desktop, DesktopError, wait_until  # noqa: E402

HIZLI = None
DESKTOP = None
pyatspi = None

LAUNCH_NAMES = ["radio", "hesap_mak", "index_htm", "redhouse", "iexplorer", "numara_çev",
                "web_okulu", "mtu_sözlük", "pbrush"]
CLIENT = (88, 539, 72, 33)          # the launcher's client area on the screen
SETTINGS_CLIENT = (190, 141)        # the settings window's client area


def stored(fields):
    """The exact bytes of a list: fields in pairs, Windows-1254, CR LF."""
    lines = []
    for caption, path in zip(fields[0::2], fields[1::2]):
        lines.append(b'"' + caption.encode("cp1254") + b'","' + path.encode("cp1254") + b'"\r\n')
    return b"".join(lines)


def setUpModule():
    global DESKTOP, pyatspi
    DESKTOP = Desktop().start()
    import pyatspi  # only once the private desktop is in the environment


def tearDownModule():
    if DESKTOP:
        DESKTOP.stop()


class HizliCase(unittest.TestCase):
    def setUp(self):
        self.a11y = DESKTOP.atspi
        self.process = None
        self.fresh()

    def tearDown(self):
        self.stop()

    def fresh(self):
        """A new folder for the next run of the program within one case."""
        self.stop()
        self.folder = tempfile.mkdtemp(prefix="case-", dir=DESKTOP.root)

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def path(self, name):
        return os.path.join(self.folder, name)

    def write(self, name, data):
        with open(self.path(name), "wb") as file:
            file.write(data)

    def read(self, name):
        with open(self.path(name), "rb") as file:
            return file.read()

    def start(self, list_bytes=None):
        if list_bytes is not None:
            self.write("data.txt", list_bytes)
        # Qt's AT-SPI bridge is switched on for this program only.
        env = DESKTOP.child_env({"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                                 "QT_QPA_PLATFORM": "xcb"})
        self.log = open(self.path("hizli.log"), "wb")
        self.addCleanup(self.log.close)
        self.process = subprocess.Popen([HIZLI], cwd=self.folder, env=env,
                                        stdin=subprocess.DEVNULL, stdout=self.log,
                                        stderr=subprocess.STDOUT)
        self.app = self.a11y.wait_application(self.process.pid)
        return self.process

    def wait_launcher(self):
        return self.a11y.wait_top_level(self.app, "frame", "Hızlı")

    def wait_exit(self, timeout=20):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.fail(f"the program is still running {timeout} s later")

    def item(self, launcher, name):
        bar = self.a11y.find(launcher, "menu bar")
        self.assertIsNotNone(bar, "the launcher has no menu bar")
        for item in self.a11y.children(bar):
            if item.name == name:
                return item
        self.fail(f"no menu item {name!r} among {[i.name for i in self.a11y.children(bar)]}")

    def nth_item(self, launcher, position):
        return self.a11y.children(self.a11y.find(launcher, "menu bar"))[position - 1]

    def kapat(self, launcher):
        return self.a11y.find(launcher, "push button", "Kapat")

    def wait_gone(self, title):
        wait_until(lambda: DESKTOP.window_titled(title, self.process.pid) is None,
                   what=f"window {title!r} to close")

    def dialog(self, title):
        """The message box of this program with that title (role dialog or alert)."""
        def look():
            for window in self.a11y.children(self.app):
                if window is not None and window.name == title and \
                        self.a11y.find(window, "push button", "Tamam") is not None:
                    return window
            return None
        return wait_until(look, pump=self.a11y.pump, what=f"message box {title!r}")

    def label_text(self, window):
        labels = [label.name for label in self.a11y.find_all(window, "label") if label.name]
        return "\n".join(labels)


class Launcher(HizliCase):
    def test_shows_the_list_in_order_at_its_place(self):
        # Captions too wide to share a row, and some too wide for one: each
        # is elided on the screen but keeps its full name for a screen reader.
        captions = ["Uçbirim penceresi", "Hesap makinesi", "Şu İş klasörü", "ığüşöç ĞÜŞİÖÇ",
                    "5, beş, altı", " boşluklu başlık ", "Aynı başlık", "Aynı başlık",
                    "Dokuzuncu"]
        fields = []
        for k, caption in enumerate(captions, 1):
            fields += [caption, f"/yol/{k} ğ"]
        self.start(stored(fields + ["Onuncu", "/yok"]))
        launcher = self.wait_launcher()
        self.assert_in_place(launcher, captions)
        self.a11y.press(self.kapat(launcher))
        self.assertEqual(self.wait_exit(), 0)

    # The window is sized before the list sets the captions: captions that
    # wrap onto fewer rows must not leave the client area too high, with an
    # empty strip under "Kapat".
    def test_client_area_keeps_its_place_with_short_captions(self):
        self.start(stored(["a", "b"] * 9))
        self.assert_in_place(self.wait_launcher(), ["a"] * 9)

    def assert_in_place(self, launcher, captions):
        bar = self.a11y.find(launcher, "menu bar")
        items = self.a11y.children(bar)
        self.assertEqual([i.getRoleName() for i in items], ["menu item"] * 11)
        self.assertEqual([i.name for i in items], captions + ["Ayarlar", "Omrak"])
        for item in items:
            self.assertIn("Press", self.a11y.action_names(item))

        # The client area stands at its place; the menu bar's rows sit right
        # above it, as wide as the window, and each item is whole inside it.
        filler = self.a11y.find(launcher, "filler")
        self.assertEqual(self.a11y.extents(filler), CLIENT)
        bar_x, bar_y, bar_width, bar_height = self.a11y.extents(bar)
        self.assertGreater(bar_height, 0)
        self.assertEqual((bar_x, bar_y + bar_height, bar_width), CLIENT[:3])
        previous = None
        for item in items:
            x, y, width, height = self.a11y.extents(item)
            self.assertTrue(width > 0 and height > 0, item.name)
            self.assertTrue(bar_x <= x and x + width <= bar_x + bar_width
                            and bar_y <= y and y + height <= bar_y + bar_height,
                            f"{item.name!r} at {(x, y, width, height)} is not inside the bar")
            if previous:  # reading order: left to right, row after row
                self.assertTrue(y > previous[1] or (y == previous[1] and x >= previous[0] + previous[2]),
                                f"{item.name!r} does not follow the item before it")
            previous = (x, y, width, height)
        self.assertEqual(self.a11y.extents(self.kapat(launcher)), (88, 539, 73, 33))

        # The same place as the window system has it.
        window = wait_until(lambda: DESKTOP.window_titled("Hızlı", self.process.pid),
                            what="the launcher's X window")
        self.assertEqual(window[1:5], (88, 539 - bar_height, 72, bar_height + 33))

    def test_kapat_ends_with_status_zero(self):
        for how in ("accessible press", "real click"):
            with self.subTest(how):
                self.fresh()
                self.start(stored(["a", "b"] * 9))
                launcher = self.wait_launcher()
                if how == "real click":
                    wait_until(lambda: DESKTOP.window_titled("Hızlı", self.process.pid))
                    DESKTOP.click_centre(self.a11y.extents(self.kapat(launcher)))
                else:
                    self.a11y.press(self.kapat(launcher))
                self.assertEqual(self.wait_exit(), 0)
                self.assertIsNone(DESKTOP.window_titled("Hızlı", self.process.pid))

    def test_launch_item_starts_its_own_record_and_exits(self):
        for position in (1, 6, 9):
            with self.subTest(item=LAUNCH_NAMES[position - 1]):
                self.fresh()
                trace = self.path("trace.txt")
                folder = self.path("iş klasörü")
                os.mkdir(folder)
                script = os.path.join(folder, "izle")
                with open(script, "w") as file:
                    file.write("#!/bin/sh\n"
                               f"{{ pwd; for a in \"$@\"; do echo \"$a\"; done; }} > '{trace}.part'\n"
                               f"mv '{trace}.part' '{trace}'\n")
                os.chmod(script, os.stat(script).st_mode | stat.S_IXUSR)
                fields = []
                for k in range(1, 10):
                    fields += [f"Öğe {k}", f"{script} kayıt{k}  a,b"]
                self.start(stored(fields))
                launcher = self.wait_launcher()
                item = self.nth_item(launcher, position)
                self.assertEqual(item.name, f"Öğe {position}")
                self.a11y.press(item)

                self.assertEqual(self.wait_exit(), 0)
                wait_until(lambda: os.path.exists(trace), what="the started program's trace")
                with open(trace, encoding="utf-8") as file:
                    self.assertEqual(file.read().splitlines(),
                                     [self.folder, f"kayıt{position}", "a,b"])
                self.assertEqual(DESKTOP.windows(self.process.pid), [])

    def test_omrak_shows_the_about_box_and_the_launcher_stays(self):
        self.start(stored(["a", "b"] * 9))
        launcher = self.wait_launcher()
        wait_until(lambda: DESKTOP.window_titled("Hızlı", self.process.pid))
        # A person's click on the item, found where the tree says it is.
        DESKTOP.click_centre(self.a11y.extents(self.item(launcher, "Omrak")))
        box = self.dialog("Hakkında")
        wait_until(lambda: DESKTOP.window_titled("Hakkında", self.process.pid),
                   what="the About box's X window")
        lines = self.label_text(box).split("\n")
        self.assertEqual(len(lines), 9, lines)
        self.assertEqual(lines[0], "Bu program ile kısayollarınız")
        self.assertEqual(lines[5], "diğer programları rahatça çağırın")
        self.assertEqual((lines[2], lines[6]), ("", ""))

        self.a11y.press(self.a11y.find(box, "push button", "Tamam"))
        self.wait_gone("Hakkında")
        self.assertIsNone(self.process.poll(), "closing the About box ended the program")
        self.assertIsNotNone(DESKTOP.window_titled("Hızlı", self.process.pid))
        self.a11y.press(self.kapat(self.wait_launcher()))
        self.assertEqual(self.wait_exit(), 0)


class Errors(HizliCase):
    def assert_error_box_only(self, mentions):
        box = self.dialog("Hızlı")
        text = self.label_text(box)
        for word in mentions:
            self.assertIn(word, text)
        self.assertIsNone(self.a11y.find(self.app, "menu bar"), "the launcher was built anyway")
        window = wait_until(lambda: DESKTOP.windows(self.process.pid), what="the box's window")
        self.assertEqual(len(window), 1, f"more than the box is on the screen: {window}")
        self.assertEqual(window[0][0], "Hızlı")
        return box, window[0]

    def test_missing_list_shows_the_error_then_ends(self):
        self.start()
        box, _ = self.assert_error_box_only(["data.txt", self.folder])
        self.assertIsNone(self.process.poll(), "the program ended before the box was closed")
        self.a11y.press(self.a11y.find(box, "push button", "Tamam"))
        self.assertNotEqual(self.wait_exit(), 0)
        self.assertFalse(os.path.exists(self.path("data.txt")), "a list was made up")

    def test_short_list_shows_the_error_and_return_closes_it(self):
        self.start(stored(["a", "b"] * 8))
        _, window = self.assert_error_box_only(["data.txt"])
        DESKTOP.focus_window(window[6])
        DESKTOP.key("Return")
        self.assertNotEqual(self.wait_exit(), 0)

    def test_program_that_cannot_start_is_reported(self):
        fields = ["a", "b"] * 9
        fields[5] = "/yok/böyle bir program"
        self.start(stored(fields))
        launcher = self.wait_launcher()
        self.a11y.press(self.nth_item(launcher, 3))
        box = self.dialog("Hızlı")
        self.assertIn("/yok/böyle bir program", self.label_text(box))
        self.a11y.press(self.a11y.find(box, "push button", "Tamam"))
        self.assertNotEqual(self.wait_exit(), 0)


class SettingsCase(HizliCase):
    """A case that opens the settings window on a list of nine known rows."""
    FIELDS = []
    for k in range(1, 10):
        FIELDS += [f"Başlık {k}", f"C:\\Program Files\\prog{k}.exe /ş {k}"]

    def open_settings(self, by_click):
        self.start(stored(self.FIELDS + ["Onuncu", "fazla"]))
        launcher = self.wait_launcher()
        item = self.item(launcher, "Ayarlar")
        if by_click:
            wait_until(lambda: DESKTOP.window_titled("Hızlı", self.process.pid))
            DESKTOP.click_centre(self.a11y.extents(item))
        else:
            self.a11y.press(item)
        window = self.a11y.wait_top_level(self.app, "frame", "Ayarlar")
        wait_until(lambda: DESKTOP.window_titled("Ayarlar", self.process.pid),
                   what="the settings window on the screen")
        self.assertIsNotNone(DESKTOP.window_titled("Hızlı", self.process.pid),
                             "the launcher went away")
        boxes = self.a11y.find_all(window, "text")
        self.assertEqual(len(boxes), 18)
        # Box 2k-1 holds record k's caption and box 2k its path, each where
        # its row stands.
        for number, box in enumerate(boxes, 1):
            row = (number + 1) // 2
            self.assertEqual(self.a11y.text(box), self.FIELDS[number - 1], f"Text{number}")
            x, y, _, _ = self.a11y.extents(box)
            self.assertEqual((x, y), (SETTINGS_CLIENT[0] + (8 if number % 2 else 88),
                                      SETTINGS_CLIENT[1] + 32 + 24 * (row - 1)), f"Text{number}")
        return window, boxes

    def expected(self, changes):
        fields = list(self.FIELDS)
        for number, text in changes.items():
            fields[number - 1] = text
        return stored(fields)

    def texts(self, boxes):
        return [self.a11y.text(box) for box in boxes]


class Settings(SettingsCase):
    def test_text_set_through_accessibility_is_saved_exactly(self):
        window, boxes = self.open_settings(by_click=False)
        self.a11y.set_text(boxes[0], "Yeni başlık İğ, ş")
        self.a11y.set_text(boxes[17], "/usr/bin/ölçü --a \\b")
        wait_until(lambda: self.a11y.text(boxes[0]) == "Yeni başlık İğ, ş")
        self.a11y.press(self.a11y.find(window, "push button", "Kaydet ve çık"))
        self.assertEqual(self.wait_exit(), 0)
        self.assertEqual(self.read("data.txt"),
                         self.expected({1: "Yeni başlık İğ, ş", 18: "/usr/bin/ölçü --a \\b"}))

    def test_typed_text_is_saved_exactly(self):
        window, boxes = self.open_settings(by_click=True)
        DESKTOP.click_centre(self.a11y.extents(boxes[1]))
        wait_until(lambda: boxes[1].getState().contains(pyatspi.STATE_FOCUSED),
                   what="the focus in Text2")
        DESKTOP.key("ctrl+a")
        DESKTOP.type_text("xterm -e top")
        wait_until(lambda: self.a11y.text(boxes[1]) == "xterm -e top",
                   what="the typed text in Text2")
        DESKTOP.click_centre(self.a11y.extents(
            self.a11y.find(window, "push button", "Kaydet ve çık")))
        self.assertEqual(self.wait_exit(), 0)
        self.assertEqual(self.read("data.txt"), self.expected({2: "xterm -e top"}))


def volume_root(folder):
    """The mount point that holds folder: the longest one that leads to it."""
    best = "/"
    with open("/proc/self/mounts") as mounts:
        for line in mounts:
            point = re.sub(r"\\([0-7]{3})", lambda m: chr(int(m.group(1), 8)), line.split()[1])
            if (folder == point or folder.startswith(point.rstrip("/") + "/")) \
                    and len(point) > len(best):
                best = point
    return best


def folder_chain(folder):
    """What the folder list shows above a folder's subfolders: the volume's
    root by its full path, then one item per folder down to this one."""
    root = volume_root(folder)
    rest = os.path.relpath(folder, root)
    return [root] + ([] if rest == "." else rest.split(os.sep))


class Picker(SettingsCase):
    """The browse buttons, the picker and the choice, from the settings row
    that asks to the list saved with the chosen program."""
    TOOLS = "araç kutusu"
    PROGRAM = "yardım aracı"
    PICKER = "Kısayol oluştur"

    def setUp(self):
        super().setUp()
        # The working folder holds one program of its own, so that what the
        # file list shows tells which folder is open.
        self.folder = os.path.realpath(self.folder)
        self.program(self.path("başka program"))
        self.tools = self.path(self.TOOLS)
        os.mkdir(self.tools)
        os.mkdir(os.path.join(self.tools, "alt klasör"))
        self.program(os.path.join(self.tools, self.PROGRAM))
        self.program(os.path.join(self.tools, "b.sh"))
        for name in ("Kur.exe", "oku.txt"):     # listed by its name alone; not listed
            open(os.path.join(self.tools, name), "wb").close()
        self.chosen = os.path.join(self.tools, self.PROGRAM)

    def program(self, name):
        with open(name, "w") as file:
            file.write("#!/bin/sh\nexit 0\n")
        os.chmod(name, os.stat(name).st_mode | stat.S_IXUSR)

    # ------------------------------------------------------------ looking

    def browse_button(self, window, row):
        """Row k's "Gözat", found where the row stands."""
        buttons = self.a11y.find_all(window, "push button", "Gözat")
        self.assertEqual(len(buttons), 9)
        top = SETTINGS_CLIENT[1] + 32 + 24 * (row - 1)
        for button in buttons:
            if self.a11y.extents(button) == (SETTINGS_CLIENT[0] + 384, top, 49, 17):
                return button
        self.fail(f"no browse button stands in row {row}: "
                  f"{[self.a11y.extents(b) for b in buttons]}")

    def controls(self, picker):
        """Drive1, Dir1, File1 and Command2, as the window's client holds them."""
        client = self.a11y.find(picker, "filler")
        children = self.a11y.children(client)
        self.assertEqual([c.getRoleName() for c in children],
                         ["combo box", "tree", "list", "push button"])
        return children

    def folder_names(self, tree):
        return [cell.name for cell in self.a11y.find_all(tree, "table cell")]

    def highlighted(self, tree):
        return [cell.name for cell in self.a11y.find_all(tree, "table cell")
                if self.a11y.has_state(cell, pyatspi.STATE_SELECTED)]

    def file_names(self, files):
        items = self.a11y.children(files)
        self.assertEqual({item.getRoleName() for item in items} - {"list item"}, set())
        return [item.name for item in items]

    def assert_picker_shows(self, picker, folder, subfolders, files):
        """The picker at its place, its four controls reachable by role and
        name, the folder list open on folder and the file list showing
        files."""
        self.assertEqual(self.a11y.extents(picker), (184, 141, 247, 327))
        drive, tree, file_list, choose = self.controls(picker)
        self.assertEqual([self.a11y.extents(c) for c in (drive, tree, file_list, choose)],
                         [(192, 149, 73, 21), (192, 173, 233, 96), (192, 269, 233, 162),
                          (312, 437, 97, 25)])
        root = volume_root(folder)
        self.assertTrue(drive.name == root or drive.name.startswith(root + " ["),
                        f"the drive list shows {drive.name!r}, not the volume of {folder}")
        self.assertEqual(choose.name, "Seç")
        self.assertIn("Press", self.a11y.action_names(choose))
        chain = folder_chain(folder)
        self.assertEqual(self.folder_names(tree), chain + subfolders)
        self.assertEqual(self.highlighted(tree), chain[-1:],
                         "the open folder is not the highlighted one")
        self.assertEqual(self.file_names(file_list), files)
        return drive, tree, file_list, choose

    def picker_windows(self):
        return [w for w in DESKTOP.windows(self.process.pid) if w[0] == self.PICKER]

    # ------------------------------------------------------------ acting

    def browse(self, window, row):
        """Presses row's "Gözat" and waits for its number in sil.txt and the
        picker on the screen."""
        self.a11y.press(self.browse_button(window, row))
        number = f'"{2 * row - 1}"\r\n'.encode()
        wait_until(lambda: os.path.exists(self.path("sil.txt")) and self.read("sil.txt") == number,
                   what=f"row {row}'s number in sil.txt")
        picker = self.a11y.wait_top_level(self.app, "frame", self.PICKER)
        window = wait_until(lambda: self.picker_windows(), what="the picker on the screen")
        self.assertEqual(len(window), 1, f"more than one picker: {window}")
        self.assertEqual([w.name for w in self.a11y.children(self.app)].count(self.PICKER), 1)
        self.assert_picker_shows(picker, self.folder, [self.TOOLS], ["başka program"])
        return picker, window[0]

    def choose_from_tools(self, open_by, choose_by):
        """Row 3 asks, then row 5 asks while the picker is open; the
        program in the subfolder is chosen. Returns the settings window, its
        eighteen boxes and the picker, once the picker has gone from the
        screen."""
        window, boxes = self.open_settings(by_click=False)
        self.browse(window, 3)
        picker, x_window = self.browse(window, 5)
        _, tree, file_list, choose = self.controls(picker)

        cell = [c for c in self.a11y.find_all(tree, "table cell") if c.name == self.TOOLS][0]
        if open_by == "double-click":
            DESKTOP.double_click_centre(self.a11y.extents(cell))
        else:
            # A single click only highlights the folder; Return opens it.
            DESKTOP.click_centre(self.a11y.extents(cell))
            wait_until(lambda: self.highlighted(tree) == [self.TOOLS], pump=self.a11y.pump,
                       what=f"{self.TOOLS!r} highlighted")
            self.assertEqual(self.file_names(file_list), ["başka program"],
                             "a single click opened the folder")
            self.assertEqual(self.folder_names(tree), folder_chain(self.folder) + [self.TOOLS],
                             "a single click opened the folder")
            DESKTOP.focus_window(x_window[6])
            DESKTOP.key("Return")
        files = ["b.sh", "Kur.exe", self.PROGRAM]
        wait_until(lambda: self.file_names(file_list) == files, pump=self.a11y.pump,
                   what=f"the programs of {self.TOOLS!r} in the file list")
        self.assert_picker_shows(picker, self.tools, ["alt klasör"], files)

        item = self.a11y.children(file_list)[files.index(self.PROGRAM)]
        if choose_by == "Seç":
            self.a11y.select_child(file_list, files.index(self.PROGRAM))
            wait_until(lambda: self.a11y.has_state(item, pyatspi.STATE_SELECTED),
                       pump=self.a11y.pump, what=f"{self.PROGRAM!r} selected")
            self.assertEqual(self.read("sil.txt"), b'"9"\r\n', "selecting alone chose the program")
            self.a11y.press(choose)
        else:
            DESKTOP.double_click_centre(self.a11y.extents(item))
        wait_until(lambda: not self.picker_windows(), what="the picker to hide")
        return window, boxes, picker

    def assert_row_5_filled(self, window, boxes, picker):
        self.assertFalse(self.a11y.has_state(picker, pyatspi.STATE_SHOWING)
                         or self.a11y.has_state(picker, pyatspi.STATE_VISIBLE),
                         "the picker still shows on the accessibility bus")
        self.assertEqual(self.read("sil.txt"),
                         b'"9"\r\n' + stored([self.PROGRAM, self.chosen]))
        # Row 5 has the choice, row 3 (asked first) and every other row
        # are as they were, and nothing is saved yet.
        fields = list(self.FIELDS)
        fields[8:10] = [self.PROGRAM, self.chosen]
        self.assertEqual(self.texts(boxes), fields)
        self.assertEqual(self.read("data.txt"), stored(self.FIELDS + ["Onuncu", "fazla"]))
        self.assertIsNone(self.process.poll(), "the choice ended the program")
        self.assertIsNotNone(DESKTOP.window_titled("Ayarlar", self.process.pid))

        self.a11y.press(self.a11y.find(window, "push button", "Kaydet ve çık"))
        self.assertEqual(self.wait_exit(), 0)
        self.assertEqual(self.read("data.txt"),
                         self.expected({9: self.PROGRAM, 10: self.chosen}))
        self.assertEqual(self.read("sil.txt"), b'"9"\r\n' + stored([self.PROGRAM, self.chosen]),
                         "the hand-off file did not outlive the program")

    def test_choice_with_sec_fills_the_row_that_asked_last(self):
        self.assert_row_5_filled(*self.choose_from_tools(open_by="double-click",
                                                         choose_by="Seç"))

    def test_double_click_on_the_file_chooses_as_sec_does(self):
        self.assert_row_5_filled(*self.choose_from_tools(open_by="Return",
                                                         choose_by="double-click"))


def main():
    global HIZLI
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--hizli", required=True)
    known, rest = parser.parse_known_args()
    HIZLI = os.path.abspath(known.hizli)
    if not os.access(HIZLI, os.X_OK):
        raise SystemExit(f"{HIZLI} is not an executable")
    # pyatspi warns of its own use of older libatspi calls on every look.
    warnings.filterwarnings("ignore", category=DeprecationWarning, module=r"pyatspi(\.|$)")
    unittest.main(argv=[sys.argv[0], *rest],
                  testRunner=unittest.TextTestRunner(verbosity=2, warnings=None))


if __name__ == "__main__":
    main()
