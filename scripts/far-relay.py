#!/usr/bin/env python3
"""The far end of a slow link between ssh and sshd, on loopback.

    far-relay.py LISTEN_PORT TARGET_PORT DELAY_MS [RATE_BYTES_PER_S]

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


async def main():
    listen_port, target_port = int(sys.argv[1]), int(sys.argv[2])
    delay = float(sys.argv[3]) / 1000.0
    rate = float(sys.argv[4]) if len(sys.argv) > 4 else 0.0
    server = await asyncio.start_server(
        lambda r, w: carry(r, w, target_port, delay, rate), "127.0.0.1", listen_port
    )
    shown_rate = f"{rate:.0f} B/s" if rate else "unlimited"
    print(f"far-relay: {listen_port} -> {target_port}, {delay * 1000:.0f} ms, {shown_rate}",
          file=sys.stderr, flush=True)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        pass
