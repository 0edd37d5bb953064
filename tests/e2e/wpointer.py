"""A virtual pointer on a wlroots compositor, kept until this process ends.

A headless sway has no input devices, so its seat offers no pointer and a
client binds none; with this one alive the seat has a pointer, which
`swaymsg seat seat0 cursor set X Y` then moves. Speaks the Wayland wire
protocol itself (no bindings are packaged): get the registry, bind the
virtual pointer manager, create a pointer, print "ready", wait.
"""
import os
import socket
import struct
import sys
import time


def message(obj, opcode, payload):
    return struct.pack("=II", obj, (8 + len(payload)) << 16 | opcode) + payload


def string(text):
    data = text.encode() + b"\0"
    return struct.pack("=I", len(data)) + data + b"\0" * (-len(data) % 4)


def events(sock):
    """(object, opcode, payload) as they come."""
    buffer = b""
    while True:
        while len(buffer) >= 8:
            obj, word = struct.unpack_from("=II", buffer)
            size = word >> 16
            if len(buffer) < size:
                break
            yield obj, word & 0xFFFF, buffer[8:size]
            buffer = buffer[size:]
        chunk = sock.recv(4096)
        if not chunk:
            raise SystemExit("wpointer: the compositor closed the connection")
        buffer += chunk


def main():
    path = os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ.get("WAYLAND_DISPLAY", "wayland-0"))
    sock = socket.socket(socket.AF_UNIX)
    sock.connect(path)
    display, registry, callback, manager, pointer = 1, 2, 3, 4, 5
    sock.sendall(message(display, 1, struct.pack("=I", registry)) +  # get_registry
                 message(display, 0, struct.pack("=I", callback)))   # sync: globals end before done
    name = None
    for obj, opcode, payload in events(sock):
        if obj == registry and opcode == 0:  # global(name, interface, version)
            length = struct.unpack_from("=I", payload, 4)[0]
            if payload[8:8 + length - 1] == b"zwlr_virtual_pointer_manager_v1":
                name = struct.unpack_from("=I", payload)[0]
        elif obj == display and opcode == 0:
            raise SystemExit("wpointer: protocol error")
        elif obj == callback:
            break
    if name is None:
        raise SystemExit("wpointer: the compositor has no virtual pointers")
    sock.sendall(message(registry, 0, struct.pack("=I", name) + string("zwlr_virtual_pointer_manager_v1") +
                         struct.pack("=II", 1, manager)) +
                 message(manager, 0, struct.pack("=II", 0, pointer)))  # create_virtual_pointer(no seat)
    print("ready", flush=True)
    while True:
        time.sleep(3600)


if __name__ == "__main__":
    sys.exit(main())
