#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The .deb's files, its dependencies, and what the desktop's validators say."""
import os, struct, subprocess, sys, tempfile, unittest

BUILD = sys.argv.pop()
# Every file of the package; only the program is executable.
EXECUTABLES = {"usr/bin/hizli"}
FILES = EXECUTABLES | {"usr/share/" + name for name in [
    "applications/hizli.desktop", "hizli/data.txt", "lintian/overrides/hizli",
    "doc/hizli/changelog.gz", "doc/hizli/copyright",
    "man/man1/hizli.1.gz", "man/tr/man1/hizli.1.gz",
    "metainfo/io.github.hizli.hizli.metainfo.xml", "icons/hicolor/scalable/apps/hizli.svg",
    *(f"icons/hicolor/{side}x{side}/apps/hizli.png" for side in (16, 32, 48, 64, 128))]}
# Linked libraries, and the plugins Qt loads at run time that no linker sees.
DEPENDS = {"libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6",
           "qt6-qpa-plugins", "qt6-wayland"}
VALIDATORS = [["desktop-file-validate", "usr/share/applications/hizli.desktop"],
              ["appstreamcli", "validate", "--no-net", "--pedantic", "--format", "yaml",
               "usr/share/metainfo/io.github.hizli.hizli.metainfo.xml"]]


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True).stdout


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        run("cpack", "-G", "DEB", "--config", f"{BUILD}/CPackConfig.cmake", "-B", cls.tmp.name)
        [cls.deb] = [f"{cls.tmp.name}/{n}" for n in os.listdir(cls.tmp.name) if n.endswith(".deb")]
        cls.root = f"{cls.tmp.name}/root"
        run("dpkg-deb", "-x", cls.deb, cls.root)

    def test_files_modes_and_icon_sizes(self):
        listed = {}
        for line in run("dpkg-deb", "-c", self.deb).splitlines():
            mode, owner, *_, name = line.split(None, 5)
            if not mode.startswith("d"):
                listed[name.removeprefix("./")] = (mode, owner)
        self.assertEqual(listed, {name: ("-rwxr-xr-x" if name in EXECUTABLES else "-rw-r--r--",
                                         "root/root") for name in FILES})
        for name in (n for n in FILES if n.endswith(".png")):
            with open(f"{self.root}/{name}", "rb") as png:
                side = struct.unpack(">II", png.read(24)[16:])
            self.assertEqual("%dx%d" % side, name.split("/")[4], name)

    def test_menu_entry_keeps_the_list_in_the_data_folder(self):
        with open(f"{self.root}/usr/share/applications/hizli.desktop", encoding="utf-8") as entry:
            self.assertIn("\nExec=/usr/bin/hizli --desktop\n", entry.read())

    def test_dependencies(self):
        fields = run("dpkg-deb", "-f", self.deb, "Depends").split(",")
        self.assertLessEqual(DEPENDS, {field.split()[0] for field in fields})

    def test_validators_find_nothing(self):
        for *command, path in VALIDATORS:
            done = subprocess.run([*command, f"{self.root}/{path}"], capture_output=True, text=True)
            self.assertEqual((done.returncode, done.stdout + done.stderr), (0, ""), path)


unittest.main(verbosity=2)
