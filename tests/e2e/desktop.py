"""A private desktop for driving the real program from outside.

One Desktop is an Xvfb server on a display number it picks itself, with an
X authority cookie, and a D-Bus session bus of its own on which the
accessibility bus is started on demand, exactly as in a desktop session.
Nothing of the user's session is used: the test process and every program it
starts see only this desktop, a temporary home and a temporary runtime folder.

The accessibility side is what a screen reader sees: the AT-SPI tree read
through pyatspi, and actions sent as AT-SPI method calls. The window side is
what a person sees: top-level X windows, their titles and places, and real
pointer clicks and key presses through xdotool (XTest).
"""

import os
import secrets
import shutil
import signal
import subprocess
import tempfile
import time

DEFAULT_TIMEOUT = 20.0


class DesktopError(RuntimeError):
    pass


def wait_until(condition, timeout=DEFAULT_TIMEOUT, interval=0.02, what="condition", pump=None):
    """Polls condition() until it returns something true and returns that.

    Every X, D-Bus and Qt step here is asynchronous, so a case waits for the
    state it needs instead of sleeping a fixed time that is either too short
    on a loaded CI machine or wasted everywhere else."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        if pump:
            pump()
        try:
            value = condition()
            if value:
                return value
        except Exception as error:  # the tree changes under us while we look
            last_error = error
        if time.monotonic() >= deadline:
            detail = f" (last error: {last_error})" if last_error else ""
            raise DesktopError(f"timed out after {timeout:.0f} s waiting for {what}{detail}")
        time.sleep(interval)


class Desktop:
    def __init__(self, width=1280, height=1024):
        self.size = (width, height)
        self.root = tempfile.mkdtemp(prefix="hizli-e2e-")
        self._xvfb = None
        self._bus_pid = None
        self.env = {}
        self._a11y_bus = None
        self._x = None

    # ------------------------------------------------------------ lifetime

    def start(self):
        try:
            self._start_x()
            self._start_bus()
        except BaseException:
            self.stop()
            raise
        # pyatspi and python-xlib read the environment when they connect, so
        # the test process itself joins the private desktop.
        os.environ.update(self.env)
        for name in ("WAYLAND_DISPLAY", "AT_SPI_BUS_ADDRESS", "SESSION_MANAGER"):
            os.environ.pop(name, None)
        return self

    def _start_x(self):
        home = os.path.join(self.root, "home")
        runtime = os.path.join(self.root, "runtime")
        os.makedirs(home)
        os.makedirs(runtime, mode=0o700)
        cookie = secrets.token_hex(16)
        server_auth = os.path.join(self.root, "server.auth")
        client_auth = os.path.join(self.root, "client.auth")
        # The server takes every cookie of its -auth file whatever display
        # it names; the display is only known once the server has chosen it.
        for name in (server_auth, client_auth):
            open(name, "wb").close()
        subprocess.run(["xauth", "-q", "-f", server_auth, "add", ":0", ".", cookie],
                       check=True)
        read_fd, write_fd = os.pipe()
        self._xvfb_log = open(os.path.join(self.root, "xvfb.log"), "wb")
        self._xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-auth", server_auth, "-nolisten", "tcp",
             "-noreset", "-screen", "0", f"{self.size[0]}x{self.size[1]}x24"],
            pass_fds=(write_fd,), stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=self._xvfb_log,
            start_new_session=True)
        os.close(write_fd)
        number = b""
        with os.fdopen(read_fd, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    raise DesktopError("Xvfb did not start: " + self._log("xvfb.log"))
                number += chunk
        display = ":" + number.decode().strip()
        subprocess.run(["xauth", "-q", "-f", client_auth, "add", display, ".", cookie],
                       check=True)
        self.env.update({
            "DISPLAY": display,
            "XAUTHORITY": client_auth,
            "HOME": home,
            "XDG_RUNTIME_DIR": runtime,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "GSETTINGS_BACKEND": "memory",
            "NO_AT_BRIDGE": "0",
        })

    def _start_bus(self):
        address_read, address_write = os.pipe()
        pid_read, pid_write = os.pipe()
        env = dict(os.environ)
        env.update(self.env)
        with open(os.path.join(self.root, "dbus.log"), "wb") as log:
            started = subprocess.run(
                ["dbus-daemon", "--session", "--fork", "--nopidfile",
                 f"--print-address={address_write}", f"--print-pid={pid_write}"],
                pass_fds=(address_write, pid_write), env=env, stdin=subprocess.DEVNULL,
                stdout=subprocess.DEVNULL, stderr=log)
        os.close(address_write)
        os.close(pid_write)
        with os.fdopen(address_read) as pipe:
            address = pipe.readline().strip()
        with os.fdopen(pid_read) as pipe:
            pid = pipe.readline().strip()
        if started.returncode != 0 or not address or not pid:
            raise DesktopError("dbus-daemon did not start: " + self._log("dbus.log"))
        self._bus_pid = int(pid)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address

    def stop(self):
        if self._x is not None:
            self._x.close()
            self._x = None
        # The accessibility bus launcher ends by itself once its session
        # bus is gone; the session bus and the X server are ours to end.
        if self._bus_pid:
            _kill(self._bus_pid)
            self._bus_pid = None
        if self._xvfb:
            self._xvfb.terminate()
            try:
                self._xvfb.wait(10)
            except subprocess.TimeoutExpired:
                self._xvfb.kill()
                self._xvfb.wait()
            self._xvfb = None
            self._xvfb_log.close()
        shutil.rmtree(self.root, ignore_errors=True)

    def _log(self, name):
        try:
            with open(os.path.join(self.root, name), errors="replace") as log:
                return log.read()[-2000:]
        except OSError:
            return ""

    # ---------------------------------------------------------- programs

    def child_env(self, extra=None):
        """The environment of a program under test: this desktop only.

        Nothing is inherited from the caller's session (no Wayland, no
        platform override from the unit tests, no user's home)."""
        env = {
            "PATH": "/usr/local/bin:/usr/bin:/bin",
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
        }
        env.update(self.env)
        env.pop("NO_AT_BRIDGE", None)
        env.update(extra or {})
        return env

    # ------------------------------------------------------------ X side

    @property
    def x(self):
        if self._x is None:
            from Xlib import display
            self._x = display.Display(self.env["DISPLAY"])
        return self._x

    def windows(self, pid=None, mapped_only=True):
        """Top-level windows as (title, x, y, width, height, mapped, id)."""
        from Xlib import X
        from Xlib.error import XError
        d = self.x
        root = d.screen().root
        net_name = d.intern_atom("_NET_WM_NAME")
        utf8 = d.intern_atom("UTF8_STRING")
        net_pid = d.intern_atom("_NET_WM_PID")
        result = []
        for window in root.query_tree().children:
            try:
                attributes = window.get_attributes()
                mapped = attributes.map_state == X.IsViewable
                if mapped_only and not mapped:
                    continue
                if pid is not None:
                    owner = window.get_full_property(net_pid, X.AnyPropertyType)
                    if not owner or owner.value[0] != pid:
                        continue
                name = window.get_full_property(net_name, utf8)
                title = name.value.decode("utf-8") if name else None
                geometry = window.get_geometry()
                origin = window.translate_coords(root, 0, 0)
                result.append((title, -origin.x, -origin.y, geometry.width, geometry.height,
                               mapped, window.id))
            except XError:
                continue  # gone while we looked
        return result

    def window_titled(self, title, pid=None):
        for window in self.windows(pid):
            if window[0] == title:
                return window
        return None

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.child_env(), check=True,
                       stdout=subprocess.DEVNULL)

    def move_pointer(self, x, y):
        """Moves the pointer to x, y and returns once it is there. xdotool's
        --sync waits for a motion event, which never comes when the pointer
        already stands on the spot (it gives up only after 15 s), so then
        there is nothing to move."""
        pointer = self.x.screen().root.query_pointer()
        if (pointer.root_x, pointer.root_y) != (x, y):
            self.xdotool("mousemove", "--sync", x, y)

    def click(self, x, y):
        self.move_pointer(x, y)
        self.xdotool("click", "1")

    def click_centre(self, extents):
        x, y, width, height = extents
        self.click(x + width // 2, y + height // 2)

    def double_click_centre(self, extents):
        """Two presses of the first button at one spot, well inside any
        toolkit's double-click interval."""
        x, y, width, height = extents
        self.move_pointer(x + width // 2, y + height // 2)
        self.xdotool("click", "--repeat", "2", "--delay", "60", "1")

    def focus_window(self, window_id):
        self.xdotool("windowfocus", "--sync", window_id)

    def key(self, *keys):
        self.xdotool("key", "--clearmodifiers", *keys)

    def type_text(self, text):
        self.xdotool("type", "--clearmodifiers", "--delay", "20", text)

    # -------------------------------------------------- accessibility side

    @property
    def atspi(self):
        from atspi import Accessibility
        if self._a11y_bus is None:
            self._a11y_bus = Accessibility()
        return self._a11y_bus


def _kill(pid):
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        return
    deadline = time.monotonic() + 5
    while time.monotonic() < deadline:
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            return
        time.sleep(0.02)
    try:
        os.kill(pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
