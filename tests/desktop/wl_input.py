#!/usr/bin/python3
"""A mouse and a keyboard for a Wayland compositor that has none (headless sway).

A headless wlroots compositor has no input device, so its seat offers no pointer and no
keyboard, and no client sees a click or a key. This client makes one of each through the
virtual-pointer and virtual-keyboard protocols and keeps them for as long as it runs: the seat
never loses its pointer under an open menu, and the keymap is sent once (Xwayland drops the first
key after a keyboard's keymap arrives, which a new keyboard per key would hit every time). It
speaks the Wayland wire protocol itself: Debian packages no Python binding, and the few messages
needed are simpler than one.

Reads commands from standard input, one a line, and answers each with "ok" once the compositor
has handled it (a round trip), or "error ...":
  move X Y            the pointer to X,Y of the output (absolute, layout pixels)
  click BUTTON [N]    BUTTON 1 (left), 2 (middle) or 3 (right), N times in a row (a double click)
  key NAME...         each key pressed and released in turn; "shift+NAME" holds Shift
Exits 2 when the compositor offers neither protocol.
"""
import array
import os
import socket
import struct
import sys
import time

BUTTON_CODES = {"1": 0x110, "2": 0x112, "3": 0x111}  # BTN_LEFT, BTN_MIDDLE, BTN_RIGHT
# Linux input key codes of the keys the tests press.
KEY_CODES = {"Escape": 1, "Tab": 15, "Return": 28, "space": 57, "Up": 103, "Left": 105,
             "Right": 106, "Down": 108}
KEY_CODES.update({chr(ord("a") + i): code for i, code in enumerate(
    [30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50, 49, 24, 25, 16, 19, 31, 20, 22, 47, 17,
     45, 21, 44])})
SHIFT_MASK = 1
POINTER_MANAGER = "zwlr_virtual_pointer_manager_v1"
KEYBOARD_MANAGER = "zwp_virtual_keyboard_manager_v1"
# The compositor compiles the keymap, includes resolved, as it does for a real keyboard.
KEYMAP = b"""xkb_keymap {
    xkb_keycodes { include "evdev" };
    xkb_types { include "complete" };
    xkb_compat { include "complete" };
    xkb_symbols { include "pc+us" };
};
\0"""
XKB_V1 = 1
# Requests by opcode.
MOTION_ABSOLUTE, BUTTON, FRAME = 1, 2, 4
KEYMAP_REQUEST, KEY, MODIFIERS = 0, 1, 2


class Connection:
    def __init__(self):
        name = os.environ.get("WAYLAND_DISPLAY", "wayland-0")
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(name if name.startswith("/") else
                          os.path.join(os.environ["XDG_RUNTIME_DIR"], name))
        self.next_id = 2  # 1 is wl_display
        self.buffer = b""
        self.globals = {}

    def new_id(self):
        self.next_id += 1
        return self.next_id - 1

    def send(self, obj, opcode, payload=b"", fd=None):
        message = struct.pack("<II", obj, (8 + len(payload)) << 16 | opcode) + payload
        if fd is None:
            self.sock.sendall(message)
        else:
            self.sock.sendmsg([message], [(socket.SOL_SOCKET, socket.SCM_RIGHTS,
                                           array.array("i", [fd]))])

    def events(self):
        while True:
            while len(self.buffer) >= 8:
                obj, word = struct.unpack_from("<II", self.buffer)
                size = word >> 16
                if len(self.buffer) < size:
                    break
                body, self.buffer = self.buffer[8:size], self.buffer[size:]
                yield obj, word & 0xFFFF, body
            data = self.sock.recv(65536)
            if not data:
                raise ConnectionError("the compositor closed the connection")
            self.buffer += data

    def roundtrip(self, registry=None):
        callback = self.new_id()
        self.send(1, 0, struct.pack("<I", callback))  # wl_display.sync
        for obj, opcode, body in self.events():
            if obj == callback:
                return
            if obj == 1 and opcode == 0:  # wl_display.error
                raise ConnectionError("protocol error: %s" % read_string(body, 8)[0])
            if obj == registry and opcode == 0:  # wl_registry.global
                name = struct.unpack_from("<I", body)[0]
                interface, offset = read_string(body, 4)
                self.globals[interface] = name

    def bind(self, registry, interface, version):
        new = self.new_id()
        self.send(registry, 0, struct.pack("<I", self.globals[interface]) +
                  string_arg(interface) + struct.pack("<II", version, new))
        return new


def read_string(body, offset):
    length = struct.unpack_from("<I", body, offset)[0]
    text = body[offset + 4:offset + 4 + length - 1].decode()
    return text, offset + 4 + (length + 3) // 4 * 4


def string_arg(text):
    raw = text.encode() + b"\0"
    return struct.pack("<I", len(raw)) + raw + b"\0" * (-len(raw) % 4)


def now_ms():
    return int(time.monotonic() * 1000) & 0xFFFFFFFF


class Devices:
    def __init__(self, connection, extent):
        self.c = connection
        registry = connection.new_id()
        connection.send(1, 1, struct.pack("<I", registry))  # wl_display.get_registry
        connection.roundtrip(registry)
        missing = {POINTER_MANAGER, KEYBOARD_MANAGER, "wl_seat"} - set(connection.globals)
        if missing:
            print("error the compositor offers no %s" % ", ".join(sorted(missing)), flush=True)
            sys.exit(2)
        seat = connection.bind(registry, "wl_seat", 1)
        pointers = connection.bind(registry, POINTER_MANAGER, 1)
        keyboards = connection.bind(registry, KEYBOARD_MANAGER, 1)
        self.pointer = connection.new_id()
        connection.send(pointers, 0, struct.pack("<II", seat, self.pointer))
        self.keyboard = connection.new_id()
        connection.send(keyboards, 0, struct.pack("<II", seat, self.keyboard))
        fd = os.memfd_create("keymap")
        os.write(fd, KEYMAP)
        connection.send(self.keyboard, KEYMAP_REQUEST, struct.pack("<II", XKB_V1, len(KEYMAP)),
                        fd)
        os.close(fd)
        connection.roundtrip()
        self.extent = extent

    def pointer_event(self, opcode, payload):
        self.c.send(self.pointer, opcode, payload)
        self.c.send(self.pointer, FRAME)

    def move(self, x, y):
        self.pointer_event(MOTION_ABSOLUTE, struct.pack("<IIIII", now_ms(), x, y, *self.extent))

    def button(self, button, pressed):
        self.pointer_event(BUTTON, struct.pack("<III", now_ms(), BUTTON_CODES[button],
                                               int(pressed)))

    def modifiers(self, depressed):
        self.c.send(self.keyboard, MODIFIERS, struct.pack("<IIII", depressed, 0, 0, 0))

    def key(self, name):
        shift = name.startswith("shift+")
        code = KEY_CODES[name[6:] if shift else name]
        if shift:
            self.modifiers(SHIFT_MASK)
        for pressed in (1, 0):
            self.c.send(self.keyboard, KEY, struct.pack("<III", now_ms(), code, pressed))
        if shift:
            self.modifiers(0)


def run(devices, words):
    if words[0] == "move":
        devices.move(int(words[1]), int(words[2]))
    elif words[0] == "click":
        for _ in range(int(words[2]) if len(words) > 2 else 1):
            devices.button(words[1], True)
            devices.button(words[1], False)
    elif words[0] == "key":
        for name in words[1:]:
            devices.key(name)
    else:
        raise KeyError(words[0])


def main():
    # Absolute positions are fractions of this box: the output's size.
    extent = tuple(int(n) for n in os.environ.get("WL_INPUT_EXTENT", "1024x768").split("x"))
    devices = Devices(Connection(), extent)
    print("ready", flush=True)
    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        try:
            run(devices, words)
        except (KeyError, IndexError, ValueError) as unknown:
            print("error unknown command or key %s" % unknown, flush=True)
            continue
        devices.c.roundtrip()
        print("ok", flush=True)


if __name__ == "__main__":
    main()
