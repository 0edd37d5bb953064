#!/usr/bin/env python3
"""The far end of a slow link between ssh and sshd, on loopback.

    far-relay.py [--udp] LISTEN_PORT TARGET_PORT DELAY_MS [RATE_BYTES_PER_S]

Every connection to 127.0.0.1:LISTEN_PORT is carried to 127.0.0.1:TARGET_PORT.
Each side is read at once, whatever the other side can take, so the sender
never meets a full buffer (as with sshd and a megabyte TCP send queue). Bytes
leave a direction's queue at RATE (when given; otherwise as fast as they
come) and are delivered DELAY_MS after they left, the way a link of that rate
and one-way delay hands them on. The kernel has no netem, hence this.
"""

import asyncio
import collections
import sys

# Pieces small enough that the rate shows within a few milliseconds even at
# 20 kB/s, large enough that a fast link costs few wake-ups.
PIECE = 1024


class Direction:
    """One way of one connection: a queue read at once, emptied at the
    link's rate, each piece delivered a fixed delay after it left."""

    def __init__(self, reader, writer, delay, rate):
        self.reader = reader
        self.writer = writer
        self.delay = delay
        self.rate = rate
        self.waiting = collections.deque()  # (arrival time, bytes) not yet on the wire
        self.sent_until = 0.0  # when the wire is free again
        self.flying = collections.deque()  # (due time, bytes) on the wire
        self.more = asyncio.Event()
        self.ended = False

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
            done = max(self.sent_until, arrival) + (len(piece) / self.rate if self.rate else 0.0)
            if done > now:
                return done
            self.waiting.popleft()
            self.sent_until = done
            self.flying.append((done + self.delay, piece))
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
        try:
            self.writer.write_eof()
        except (ConnectionError, OSError, RuntimeError):
            pass


async def carry(client_reader, client_writer, target_port, delay, rate):
    try:
        server_reader, server_writer = await asyncio.open_connection("127.0.0.1", target_port)
    except OSError:
        client_writer.close()
        return
    ways = [
        Direction(client_reader, server_writer, delay, rate),
        Direction(server_reader, client_writer, delay, rate),
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

    def __init__(self, delay, rate):
        self.delay = delay
        self.rate = rate
        self.sent_until = 0.0
        self.waiting = 0

    def send(self, loop, data, deliver):
        now = loop.time()
        size = len(data) + 28  # with its IP and UDP headers, as the link carries it
        if self.rate and self.waiting + size > QUEUE_LIMIT:
            return
        self.sent_until = max(self.sent_until, now) + (size / self.rate if self.rate else 0.0)
        self.waiting += size
        loop.call_at(self.sent_until, self.left, size)
        loop.call_at(self.sent_until + self.delay, deliver, data)

    def left(self, size):
        self.waiting -= size


class DatagramRelay(asyncio.DatagramProtocol):
    """The listening side: the client's datagrams go out through a second
    socket connected to the target, whose answers come back here."""

    def __init__(self, target_port, delay, rate):
        self.target_port = target_port
        self.up = DatagramWay(delay, rate)
        self.down = DatagramWay(delay, rate)
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


async def udp(listen_port, target_port, delay, rate):
    loop = asyncio.get_running_loop()
    _, relay = await loop.create_datagram_endpoint(
        lambda: DatagramRelay(target_port, delay, rate), local_addr=("127.0.0.1", listen_port))
    relay.inside, _ = await loop.create_datagram_endpoint(
        lambda: TargetSide(relay), remote_addr=("127.0.0.1", target_port))
    await asyncio.Event().wait()


async def main():
    args = sys.argv[1:]
    datagrams = args[:1] == ["--udp"]
    if datagrams:
        args = args[1:]
    listen_port, target_port = int(args[0]), int(args[1])
    delay = float(args[2]) / 1000.0
    rate = float(args[3]) if len(args) > 3 else 0.0
    shown_rate = f"{rate:.0f} B/s" if rate else "unlimited"
    if datagrams:
        print(f"far-relay: udp {listen_port} -> {target_port}, {delay * 1000:.0f} ms, {shown_rate}",
              file=sys.stderr, flush=True)
        await udp(listen_port, target_port, delay, rate)
        return
    server = await asyncio.start_server(
        lambda r, w: carry(r, w, target_port, delay, rate), "127.0.0.1", listen_port
    )
    print(f"far-relay: {listen_port} -> {target_port}, {delay * 1000:.0f} ms, {shown_rate}",
          file=sys.stderr, flush=True)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        pass
