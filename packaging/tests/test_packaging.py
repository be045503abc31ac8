#!/usr/bin/python3
"""What an install puts on disk, and what the desktop menu then starts.

    test_packaging.py --build BUILD --source SOURCE [Install|Wrapper|DebianPackage]

Every case installs into its own temporary folder; nothing is installed on
the machine and no user's folder is touched (HOME and XDG_DATA_HOME point
into the case's folder).
"""

import argparse
import os
import re
import shutil
import stat
import struct
import subprocess
import sys
import tempfile
import time
import unittest

BUILD = None
SOURCE = None

# Relative to the prefix: every file an install must hold, and no other.
FILES = {
    "bin/hizli": 0o755,
    "lib/hizli/hizli-desktop": 0o755,
    "share/applications/hizli.desktop": 0o644,
    "share/icons/hicolor/16x16/apps/hizli.png": 0o644,
    "share/icons/hicolor/32x32/apps/hizli.png": 0o644,
    "share/hizli/data.txt": 0o644,
}

# A stand-in for the program: records its process id, its working folder
# and its arguments, one a line.
FAKE_HIZLI = """#!/bin/sh
{ echo "$$"; pwd; for a in "$@"; do echo "$a"; done; } > "$HIZLI_FAKE_TRACE.part"
mv "$HIZLI_FAKE_TRACE.part" "$HIZLI_FAKE_TRACE"
"""


def run(args, **kwargs):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kwargs)


def read_bytes(path):
    with open(path, "rb") as file:
        return file.read()


def write(path, data):
    with open(path, "wb") as file:
        file.write(data)


def example_list():
    return read_bytes(os.path.join(SOURCE, "examples", "data.txt"))


def files_under(root):
    found = {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            found[os.path.relpath(path, root)] = stat.S_IMODE(os.lstat(path).st_mode)
    return found


def desktop_entry(path):
    values = {}
    with open(path, encoding="utf-8") as file:
        lines = file.read().splitlines()
    assert lines[0] == "[Desktop Entry]", lines[0]
    for line in lines[1:]:
        if line and not line.startswith("#"):
            key, _, value = line.partition("=")
            values[key] = value
    return values


def png_size(path):
    data = read_bytes(path)
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise AssertionError(f"{path} is not a PNG file")
    return struct.unpack(">II", data[16:24])


def owner_of(library):
    """The package that holds a library, whichever name of it (merged /usr,
    links to the versioned file) the package lists."""
    real = os.path.realpath(library)
    names = {library, real}
    for name in list(names):
        if name.startswith("/usr/"):
            names.add(name[4:])
    for name in sorted(names):
        found = subprocess.run(["dpkg-query", "-S", name], capture_output=True, text=True)
        if found.returncode == 0:
            return found.stdout.split(":")[0]
    raise AssertionError(f"no package holds {library}")


def install(prefix, destdir=None):
    env = dict(os.environ)
    env.pop("DESTDIR", None)
    if destdir:
        env["DESTDIR"] = destdir
    run(["cmake", "--install", BUILD, "--prefix", prefix], env=env)


class Case(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="hizli-packaging-")
        self.addCleanup(shutil.rmtree, self.tmp, True)

    def assert_entry(self, path, wrapper):
        checked = subprocess.run(["desktop-file-validate", path], capture_output=True, text=True)
        self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)
        self.assertEqual(checked.stdout + checked.stderr, "", "desktop-file-validate has hints")
        entry = desktop_entry(path)
        self.assertEqual(entry["Type"], "Application")
        self.assertEqual(entry["Name"], "Hızlı")
        self.assertEqual(entry["Icon"], "hizli")
        self.assertIn("Utility", entry["Categories"].split(";"))
        self.assertTrue(entry.get("Comment"), "no comment")
        self.assertTrue(set(entry["Comment"]) & set("çğıöşüÇĞİÖŞÜ"), "the comment is not Turkish")
        self.assertEqual(self.exec_argv(path), [wrapper])
        return entry

    @staticmethod
    def exec_argv(path):
        """The command line a desktop runs for the entry: the value's own
        escapes undone by GLib's key file reader, then the quoting."""
        import gi
        gi.require_version("GLib", "2.0")
        from gi.repository import GLib
        keys = GLib.KeyFile()
        keys.load_from_file(path, GLib.KeyFileFlags.NONE)
        _, argv = GLib.shell_parse_argv(keys.get_string("Desktop Entry", "Exec"))
        return [word.replace("%%", "%") for word in argv]

    def assert_tree(self, root):
        self.assertEqual(files_under(root), FILES)
        self.assertEqual(read_bytes(os.path.join(root, "share/hizli/data.txt")), example_list())
        for size in (16, 32):
            self.assertEqual(png_size(os.path.join(
                root, f"share/icons/hicolor/{size}x{size}/apps/hizli.png")), (size, size))


class Install(Case):
    def test_prefix_with_reserved_characters_and_menu_start(self):
        # Blanks and a dollar sign in the prefix must survive the entry's
        # quoting rules, or the menu starts nothing.
        prefix = os.path.join(self.tmp, "pre fix $HOME `x` \"ş\"")
        install(prefix)
        self.assert_tree(prefix)
        entry = os.path.join(prefix, "share/applications/hizli.desktop")
        self.assert_entry(entry, os.path.join(prefix, "lib/hizli/hizli-desktop"))

        # Started the way a GLib desktop starts a menu entry.
        fake = os.path.join(prefix, "bin/hizli")
        with open(fake, "w") as file:
            file.write(FAKE_HIZLI)
        home = os.path.join(self.tmp, "home")
        os.mkdir(home)
        trace = os.path.join(self.tmp, "trace")
        launcher = ("import sys, gi; gi.require_version('Gio', '2.0');"
                    "from gi.repository import Gio;"
                    "sys.exit(0 if Gio.DesktopAppInfo.new_from_filename(sys.argv[1])"
                    ".launch([], None) else 1)")
        run([sys.executable, "-c", launcher, entry],
            env={"PATH": "/usr/bin:/bin", "HOME": home, "HIZLI_FAKE_TRACE": trace})
        deadline = time.monotonic() + 20
        while not os.path.exists(trace) and time.monotonic() < deadline:
            time.sleep(0.02)
        with open(trace) as file:
            lines = file.read().splitlines()
        folder = os.path.join(home, ".local/share/hizli")
        self.assertEqual(lines[1:], [folder])
        self.assertEqual(read_bytes(os.path.join(folder, "data.txt")), example_list())

    def test_destdir_stages_under_the_final_prefix(self):
        stage = os.path.join(self.tmp, "stage")
        install("/opt/hizli", destdir=stage)
        self.assertEqual(os.listdir(stage), ["opt"])
        self.assert_tree(os.path.join(stage, "opt/hizli"))
        entry = desktop_entry(os.path.join(stage, "opt/hizli/share/applications/hizli.desktop"))
        self.assertEqual(entry["Exec"], "/opt/hizli/lib/hizli/hizli-desktop")


class Wrapper(Case):
    """The desktop entry's wrapper, with a stand-in for the program."""

    def setUp(self):
        super().setUp()
        self.prefix = os.path.join(self.tmp, "prefix")
        install(self.prefix)
        with open(os.path.join(self.prefix, "bin/hizli"), "w") as file:
            file.write(FAKE_HIZLI)
        self.home = os.path.join(self.tmp, "home")
        os.mkdir(self.home)
        self.trace = os.path.join(self.tmp, "trace")

    def start(self, *args, wrapper=None, **env):
        if os.path.exists(self.trace):
            os.remove(self.trace)
        environment = {"PATH": "/usr/bin:/bin", "HOME": self.home,
                       "HIZLI_FAKE_TRACE": self.trace}
        environment.update(env)
        process = subprocess.Popen(
            [wrapper or os.path.join(self.prefix, "lib/hizli/hizli-desktop"), *args],
            env=environment, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        out, err = process.communicate(timeout=20)
        self.stderr = err
        self.status = process.returncode
        if not os.path.exists(self.trace):
            return None
        with open(self.trace) as file:
            lines = file.read().splitlines()
        # The wrapper hands its own process over to the program.
        self.assertEqual(int(lines[0]), process.pid, "hizli was not exec'd by the wrapper")
        return lines[1:]

    def default_folder(self):
        return os.path.join(self.home, ".local/share/hizli")

    def test_first_start_makes_and_seeds_the_folder(self):
        ran = self.start("bir iki", "üç")
        folder = self.default_folder()
        self.assertEqual(ran, [folder, "bir iki", "üç"])
        self.assertEqual(os.listdir(folder), ["data.txt"])
        self.assertEqual(read_bytes(os.path.join(folder, "data.txt")), example_list())
        # The next start finds it and runs there again.
        self.assertEqual(self.start(), [folder])

    def test_xdg_data_home(self):
        data_home = os.path.join(self.tmp, "veri evi")
        self.assertEqual(self.start(XDG_DATA_HOME=data_home), [os.path.join(data_home, "hizli")])
        self.assertEqual(read_bytes(os.path.join(data_home, "hizli/data.txt")), example_list())
        for ignored in ("", "relative/data"):
            with self.subTest(XDG_DATA_HOME=ignored):
                self.assertEqual(self.start(XDG_DATA_HOME=ignored), [self.default_folder()])
                self.assertFalse(os.path.exists(os.path.join(self.home, "relative")))

    def test_existing_list_is_never_overwritten(self):
        folder = self.default_folder()
        os.makedirs(folder)
        path = os.path.join(folder, "data.txt")
        cases = {
            "a list of the user's": lambda: write(path, b'"Benim","xterm"\r\n' * 9),
            "an empty file": lambda: write(path, b""),
            "a link to a list kept elsewhere": lambda: os.symlink("/nowhere/data.txt", path),
        }
        for name, make in cases.items():
            with self.subTest(name):
                if os.path.lexists(path):
                    os.remove(path)
                make()
                before = os.lstat(path)
                content = read_bytes(path) if not os.path.islink(path) else os.readlink(path)
                self.assertEqual(self.start(), [folder])
                after = os.lstat(path)
                self.assertEqual((after.st_ino, after.st_mtime_ns, after.st_size),
                                 (before.st_ino, before.st_mtime_ns, before.st_size))
                self.assertEqual(read_bytes(path) if not os.path.islink(path)
                                 else os.readlink(path), content)
                self.assertEqual(os.listdir(folder), ["data.txt"])

    def test_existing_folder_without_a_list_is_seeded(self):
        folder = self.default_folder()
        os.makedirs(folder)
        with open(os.path.join(folder, "sil.txt"), "wb") as file:
            file.write(b'"3"\r\n')
        self.assertEqual(self.start(), [folder])
        self.assertEqual(read_bytes(os.path.join(folder, "data.txt")), example_list())
        self.assertEqual(read_bytes(os.path.join(folder, "sil.txt")), b'"3"\r\n')

    def test_started_through_a_link(self):
        link = os.path.join(self.tmp, "hizli-desktop")
        os.symlink(os.path.join(self.prefix, "lib/hizli/hizli-desktop"), link)
        self.assertEqual(self.start(wrapper=link), [self.default_folder()])

    def test_without_an_example_the_program_still_starts(self):
        # The program itself then says that the list is missing.
        os.remove(os.path.join(self.prefix, "share/hizli/data.txt"))
        self.assertEqual(self.start(), [self.default_folder()])
        self.assertEqual(os.listdir(self.default_folder()), [])

    def test_a_folder_that_cannot_be_made_is_an_error(self):
        blocker = os.path.join(self.tmp, "a file")
        open(blocker, "w").close()
        self.assertIsNone(self.start(XDG_DATA_HOME=blocker))
        self.assertNotEqual(self.status, 0)
        self.assertIn("hizli", self.stderr)


class DebianPackage(Case):
    def test_package_files_and_dependencies(self):
        out = os.path.join(self.tmp, "out")
        run(["cpack", "-G", "DEB", "--config", os.path.join(BUILD, "CPackConfig.cmake"),
             "-B", out])
        debs = [name for name in os.listdir(out) if name.endswith(".deb")]
        self.assertEqual(len(debs), 1, debs)
        deb = os.path.join(out, debs[0])
        arch = run(["dpkg", "--print-architecture"]).stdout.strip()
        self.assertRegex(debs[0], rf"^hizli_[0-9][^_]*_{arch}\.deb$")
        self.assertEqual(run(["dpkg-deb", "-f", deb, "Package"]).stdout.strip(), "hizli")

        # The file list: exactly the install's files under /usr, each with
        # its mode, and no folder that holds none of them.
        listed_files, listed_dirs = {}, set()
        for line in run(["dpkg-deb", "-c", deb]).stdout.splitlines():
            mode, owner, _size, _date, _time, name = line.split(None, 5)
            self.assertEqual(owner, "root/root", line)
            name = name[2:] if name.startswith("./") else name
            if mode.startswith("d"):
                listed_dirs.add(name.rstrip("/"))
            else:
                self.assertTrue(mode.startswith("-"), f"not a plain file: {line}")
                listed_files[name] = mode
        expected = {f"usr/{path}": "-rwxr-xr-x" if mode == 0o755 else "-rw-r--r--"
                    for path, mode in FILES.items()}
        self.assertEqual(listed_files, expected)
        needed_dirs = {os.path.dirname(path) for path in expected}
        for path in list(needed_dirs):
            while "/" in path:
                path = os.path.dirname(path)
                needed_dirs.add(path)
        self.assertEqual(listed_dirs - {""}, needed_dirs)

        root = os.path.join(self.tmp, "root")
        run(["dpkg-deb", "-x", deb, root])
        self.assert_tree(os.path.join(root, "usr"))
        self.assertEqual(desktop_entry(os.path.join(root, "usr/share/applications/hizli.desktop"))
                         ["Exec"], "/usr/lib/hizli/hizli-desktop")
        self.assert_entry(os.path.join(root, "usr/share/applications/hizli.desktop"),
                          "/usr/lib/hizli/hizli-desktop")

        # Every library the program links comes from a package it depends
        # on, and so does the platform plugin Qt loads at run time.
        depends = {part.strip().split(" ")[0]
                   for part in run(["dpkg-deb", "-f", deb, "Depends"]).stdout.split(",")}
        needed = {"qt6-qpa-plugins"}
        program = os.path.join(root, "usr/bin/hizli")
        linked = re.findall(r"\(NEEDED\)\s+Shared library: \[([^]]+)\]",
                            run(["readelf", "-d", program]).stdout)
        self.assertTrue(linked, "the program links no library")
        found = {}
        for line in run(["ldd", program]).stdout.splitlines():
            soname, arrow, rest = line.strip().partition(" => ")
            if arrow:
                found[soname] = rest.split(" (")[0]
        for soname in linked:
            self.assertIn(soname, found, f"{soname} is not found on this system")
            needed.add(owner_of(found[soname]))
        self.assertTrue({"libqt6widgets6", "libqt6gui6", "libqt6core6", "libc6"} <= needed,
                        needed)
        self.assertTrue(needed <= depends, f"missing from Depends: {needed - depends}")

        # The package installs on this system as it stands.
        simulated = subprocess.run(["apt-get", "install", "--simulate", "--no-download", deb],
                                   capture_output=True, text=True)
        self.assertEqual(simulated.returncode, 0, simulated.stdout + simulated.stderr)


def main():
    global BUILD, SOURCE
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    known, rest = parser.parse_known_args()
    BUILD = os.path.abspath(known.build)
    SOURCE = os.path.abspath(known.source)
    unittest.main(argv=[sys.argv[0], *rest],
                  testRunner=unittest.TextTestRunner(verbosity=2, warnings=None))


if __name__ == "__main__":
    main()
