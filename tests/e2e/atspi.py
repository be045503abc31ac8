"""The accessibility tree of running programs, as a screen reader reads it.

Reading goes through pyatspi with its cache switched off: the test process
runs no main loop, so a cache would never hear of the changes the program
announces, and every look has to ask the program itself.

Actions go out as plain AT-SPI method calls that expect no answer. An item
whose handler opens a modal box answers only once the box is closed, and one
that ends the program never answers at all; waiting for the reply would stall
the test on exactly the behaviour it is there to watch. What the action did is
then checked by looking, like everything else.
"""

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402

import pyatspi  # noqa: E402

from desktop import DEFAULT_TIMEOUT, wait_until  # noqa: E402


class Accessibility:
    def __init__(self):
        self.desktop = pyatspi.Registry.getDesktop(0)
        self.desktop.set_cache_mask(Atspi.Cache.NONE)
        self._bus = None

    def pump(self):
        context = GLib.MainContext.default()
        while context.pending():
            context.iteration(False)

    # ------------------------------------------------------------ reading

    def application(self, pid):
        for index in range(self.desktop.childCount):
            app = self.desktop.getChildAtIndex(index)
            try:
                if app is not None and app.get_process_id() == pid:
                    app.set_cache_mask(Atspi.Cache.NONE)
                    return app
            except GLib.Error:
                continue
        return None

    def wait_application(self, pid, timeout=DEFAULT_TIMEOUT):
        return wait_until(lambda: self.application(pid), timeout, pump=self.pump,
                          what=f"process {pid} on the accessibility bus")

    @staticmethod
    def children(node):
        return [node.getChildAtIndex(i) for i in range(node.childCount)]

    def find_all(self, node, role=None, name=None):
        found = []
        stack = [node]
        while stack:
            current = stack.pop()
            if current is None:
                continue
            if (role is None or current.getRoleName() == role) and (
                    name is None or current.name == name):
                found.append(current)
            stack.extend(reversed(self.children(current)))
        return found

    def find(self, node, role=None, name=None):
        found = self.find_all(node, role, name)
        return found[0] if found else None

    def wait_find(self, node, role=None, name=None, timeout=DEFAULT_TIMEOUT):
        return wait_until(lambda: self.find(node, role, name), timeout, pump=self.pump,
                          what=f"{role or 'object'} {name!r}")

    def top_level(self, app, role, name):
        """A window of app (frame or dialog) with that name, or None."""
        for window in self.children(app):
            if window is not None and window.getRoleName() == role and window.name == name:
                return window
        return None

    def wait_top_level(self, app, role, name, timeout=DEFAULT_TIMEOUT):
        return wait_until(lambda: self.top_level(app, role, name), timeout, pump=self.pump,
                          what=f"{role} {name!r}")

    @staticmethod
    def extents(node):
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return (box.x, box.y, box.width, box.height)

    @staticmethod
    def text(node):
        text = node.queryText()
        return text.getText(0, text.characterCount)

    @staticmethod
    def has_state(node, state):
        return node.getState().contains(state)

    @staticmethod
    def action_names(node):
        action = node.queryAction()
        return [action.getName(i) for i in range(action.nActions)]

    # ------------------------------------------------------------ acting

    def _a11y_bus(self):
        if self._bus is None:
            session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
            reply = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus",
                                      "GetAddress", None, GLib.VariantType("(s)"),
                                      Gio.DBusCallFlags.NONE, 5000, None)
            self._bus = Gio.DBusConnection.new_for_address_sync(
                reply.unpack()[0],
                Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
                | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION,
                None, None)
        return self._bus

    def _send(self, node, interface, method, arguments):
        message = Gio.DBusMessage.new_method_call(node.app.bus_name, node.path, interface,
                                                  method)
        message.set_body(arguments)
        message.set_flags(Gio.DBusMessageFlags.NO_REPLY_EXPECTED)
        bus = self._a11y_bus()
        bus.send_message(message, Gio.DBusSendMessageFlags.NONE)
        bus.flush_sync(None)

    def do_action(self, node, name):
        names = self.action_names(node)
        if name not in names:
            raise AssertionError(f"{node.getRoleName()} {node.name!r} has no action {name!r}: "
                                 f"{names}")
        self._send(node, "org.a11y.atspi.Action", "DoAction",
                   GLib.Variant("(i)", (names.index(name),)))

    def press(self, node):
        self.do_action(node, "Press")

    def select_child(self, view, index):
        """Selects one item of a list or tree view, as a screen reader's user
        does. Views that offer the Selection interface are asked through it;
        Qt's bridge before 6.5 offers item views only the Table interface,
        whose row selection is the same choice."""
        try:
            done = view.querySelection().selectChild(index)
        except NotImplementedError:
            done = view.queryTable().addRowSelection(index)
        if not done:
            raise AssertionError(f"{view.getRoleName()} refused to select its item {index}")

    def set_text(self, node, text):
        """Replaces the whole text of an editable text, as a screen reader's
        user does through the EditableText interface."""
        if not node.queryEditableText().setTextContents(text):
            raise AssertionError(f"{node.getRoleName()} refused its new text")
