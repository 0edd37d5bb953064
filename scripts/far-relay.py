#!/usr/bin/env python3
"""The far end of a slow link between ssh and sshd, on loopback.

    far-relay.py [--udp] [--conf FILE] LISTEN_PORT TARGET_PORT DELAY_MS [RATE_BYTES_PER_S]

Every connection to 127.0.0.1:LISTEN_PORT is carried to 127.0.0.1:TARGET_PORT.
Each side is read at once, whatever the other side can take, so the sender
never meets a full buffer (as with sshd and a megabyte TCP send queue). Bytes
leave a direction's queue at RATE (when given; otherwise as fast as they
come) and are delivered DELAY_MS after they left, the way a link of that rate
and one-way delay hands them on. The kernel has no netem, hence this.

On SIGHUP the delay and rate are read again from FILE ("DELAY_MS RATE"), so
that a link can change under a running game, as a re-routed connection's
does; bytes already on the wire arrive as they were due.
"""

import asyncio
import collections
import signal
import sys

# Pieces small enough that the rate shows within a few milliseconds even at
# 20 kB/s, large enough that a fast link costs few wake-ups.
PIECE = 1024


class Link:
    """The delay (seconds) and rate (bytes/s, 0: unlimited) in force."""

    def __init__(self, delay, rate):
        self.delay = delay
        self.rate = rate
        self.ways = []  # every Direction and DatagramWay, to wake on a change

    def reread(self, path):
        try:
            with open(path) as conf:
                fields = conf.read().split()
            self.delay, self.rate = float(fields[0]) / 1000.0, float(fields[1])
        except (OSError, IndexError, ValueError) as problem:
            print(f"far-relay: {path}: {problem}", file=sys.stderr, flush=True)
            return
        print(f"far-relay: now {describe(self.delay, self.rate)}", file=sys.stderr, flush=True)
        for way in self.ways:
            way.changed()


def describe(delay, rate):
    return f"{delay * 1000:.0f} ms, " + (f"{rate:.0f} B/s" if rate else "unlimited")


class Direction:
    """One way of one connection: a queue read at once, emptied at the
    link's rate, each piece delivered a fixed delay after it left."""

    def __init__(self, reader, writer, link):
        self.reader = reader
        self.writer = writer
        self.link = link
        self.waiting = collections.deque()  # (arrival time, bytes) not yet on the wire
        self.sent_until = 0.0  # when the wire is free again
        self.flying = collections.deque()  # (due time, bytes) on the wire
        self.more = asyncio.Event()
        self.ended = False
        link.ways.append(self)

    def changed(self):
        self.more.set()

    async def read(self):
        try:
            while True:
                data = await self.reader.read(65536)
                if not data:
                    break
                now = asyncio.get_running_loop().time()
                for start in range(0, len(data), PIECE):
                    self.waiting.append((now, data[start : start + PIECE]))
                self.more.set()
        except (ConnectionError, OSError):
            pass
        self.ended = True
        self.more.set()

    def put_on_wire(self, now):
        """Moves what the rate has let through by now from waiting to flying;
        returns when the next piece will be through. Times come from the
        arrivals and the rate, not from when this runs, so a late wake-up
        delays nothing further."""
        while self.waiting:
            arrival, piece = self.waiting[0]
            rate = self.link.rate
            done = max(self.sent_until, arrival) + (len(piece) / rate if rate else 0.0)
            if done > now:
                return done
            self.waiting.popleft()
            self.sent_until = done
            self.flying.append((done + self.link.delay, piece))
        return None

    async def deliver(self):
        loop = asyncio.get_running_loop()
        try:
            while True:
                now = loop.time()
                next_leave = self.put_on_wire(now)
                out = []
                while self.flying and self.flying[0][0] <= now:
                    out.append(self.flying.popleft()[1])
                if out:
                    self.writer.write(b"".join(out))
                    await self.writer.drain()
                    continue
                if self.ended and not self.waiting and not self.flying:
                    break
                wake = [t for t in (next_leave, self.flying[0][0] if self.flying else None) if t]
                self.more.clear()
                timeout = max(0.0, min(wake) - now) if wake else None
                try:
                    await asyncio.wait_for(self.more.wait(), timeout)
                except asyncio.TimeoutError:
                    pass
        except (ConnectionError, OSError):
            pass
        self.link.ways.remove(self)
        try:
            self.writer.write_eof()
        except (ConnectionError, OSError, RuntimeError):
            pass


async def carry(client_reader, client_writer, target_port, link):
    try:
        server_reader, server_writer = await asyncio.open_connection("127.0.0.1", target_port)
    except OSError:
        client_writer.close()
        return
    ways = [
        Direction(client_reader, server_writer, link),
        Direction(server_reader, client_writer, link),
    ]
    await asyncio.gather(*(task for way in ways for task in (way.read(), way.deliver())))
    for writer in (client_writer, server_writer):
        writer.close()


# About two seconds of the slow link: deep enough for any burst mosh sends,
# shallow enough that a sender that ignored the rate would see losses.
QUEUE_LIMIT = 40000


class DatagramWay:
    """One way of the UDP link: datagrams leave at the rate, in order, and
    arrive the delay later; past QUEUE_LIMIT waiting bytes they are lost."""

    def __init__(self, link):
        self.link = link
        self.sent_until = 0.0
        self.waiting = 0
        link.ways.append(self)

    def changed(self):
        pass  # datagrams on their way keep their times

    def send(self, loop, data, deliver):
        now = loop.time()
        size = len(data) + 28  # with its IP and UDP headers, as the link carries it
        rate = self.link.rate
        if rate and self.waiting + size > QUEUE_LIMIT:
            return
        self.sent_until = max(self.sent_until, now) + (size / rate if rate else 0.0)
        self.waiting += size
        loop.call_at(self.sent_until, self.left, size)
        loop.call_at(self.sent_until + self.link.delay, deliver, data)

    def left(self, size):
        self.waiting -= size


class DatagramRelay(asyncio.DatagramProtocol):
    """The listening side: the client's datagrams go out through a second
    socket connected to the target, whose answers come back here."""

    def __init__(self, target_port, link):
        self.target_port = target_port
        self.up = DatagramWay(link)
        self.down = DatagramWay(link)
        self.client = None
        self.outside = None
        self.inside = None

    def connection_made(self, transport):
        self.outside = transport

    def datagram_received(self, data, addr):
        self.client = addr
        self.up.send(asyncio.get_running_loop(), data, self.to_target)

    def to_target(self, data):
        if self.inside is not None:
            self.inside.sendto(data)

    def to_client(self, data):
        if self.client is not None:
            self.outside.sendto(data, self.client)


class TargetSide(asyncio.DatagramProtocol):
    def __init__(self, relay):
        self.relay = relay

    def datagram_received(self, data, addr):
        self.relay.down.send(asyncio.get_running_loop(), data, self.relay.to_client)

    def error_received(self, exc):
        pass  # nothing listens yet, or any more: the link loses the datagram


async def udp(listen_port, target_port, link):
    loop = asyncio.get_running_loop()
    _, relay = await loop.create_datagram_endpoint(
        lambda: DatagramRelay(target_port, link), local_addr=("127.0.0.1", listen_port))
    relay.inside, _ = await loop.create_datagram_endpoint(
        lambda: TargetSide(relay), remote_addr=("127.0.0.1", target_port))
    await asyncio.Event().wait()


async def main():
    args = sys.argv[1:]
    datagrams = args[:1] == ["--udp"]
    if datagrams:
        args = args[1:]
    conf = None
    if args[:1] == ["--conf"]:
        conf, args = args[1], args[2:]
    listen_port, target_port = int(args[0]), int(args[1])
    link = Link(float(args[2]) / 1000.0, float(args[3]) if len(args) > 3 else 0.0)
    if conf:
        asyncio.get_running_loop().add_signal_handler(signal.SIGHUP, link.reread, conf)
    if datagrams:
        print(f"far-relay: udp {listen_port} -> {target_port}, {describe(link.delay, link.rate)}",
              file=sys.stderr, flush=True)
        await udp(listen_port, target_port, link)
        return
    server = await asyncio.start_server(
        lambda r, w: carry(r, w, target_port, link), "127.0.0.1", listen_port
    )
    print(f"far-relay: {listen_port} -> {target_port}, {describe(link.delay, link.rate)}",
          file=sys.stderr, flush=True)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        pass
