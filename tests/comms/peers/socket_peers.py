#!/usr/bin/env python3
"""Peers for the socket tests, on 127.0.0.1 only.

Listens on port 0 for each role and writes one line "role=port ..." to the port file:
  echo       sends back every byte it receives
  sink       keeps what it receives; 'sinktotal' on the control port answers how many bytes the
             last finished connection brought
  sendclose  sends GREETING and closes
  reset      resets each connection 0.3 s after accepting it
  held       a listening port nobody else may take
  closed     a port where nothing listens
  udp        a datagram socket that sends every datagram back to its sender
  control    line commands:
               clients PORT N   N clients connect to PORT, each sends "client K\\n", waits for the
                                line to come back and closes
               hold PORT N      N clients connect to PORT one after another and stay until the
                                server closes them
               status           "served=A refused=B open=C"
               sinktotal        the byte count of the last finished sink connection, or "pending"
The peer exits after CONNECTIONS accepted connections in all, or at the deadline.
"""
import argparse
import selectors
import socket
import struct
import time

GREETING = b"hello from the peer"


class Peers:
    def __init__(self, connections, deadline):
        self.selector = selectors.DefaultSelector()
        self.connections_left = connections
        self.deadline = time.monotonic() + deadline
        self.timers = []  # (when, function)
        self.sink_total = None
        self.served = 0
        self.refused = 0
        self.open_clients = []
        self.ports = {}

    def listen(self, role):
        server = socket.socket()
        server.bind(("127.0.0.1", 0))
        server.listen(16)
        server.setblocking(False)
        self.ports[role] = server.getsockname()[1]
        if role != "held":
            self.selector.register(server, selectors.EVENT_READ, ("accept", role))
        return server

    def udp_echo(self):
        echo = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        echo.bind(("127.0.0.1", 0))
        echo.setblocking(False)
        self.ports["udp"] = echo.getsockname()[1]
        self.selector.register(echo, selectors.EVENT_READ, ("udp", None))
        return echo

    def closed_port(self):
        probe = socket.socket()
        probe.bind(("127.0.0.1", 0))
        self.ports["closed"] = probe.getsockname()[1]
        probe.close()

    def accept(self, server, role):
        connection, _ = server.accept()
        connection.setblocking(False)
        if role != "control":
            self.connections_left -= 1
        if role == "sendclose":
            connection.setblocking(True)
            connection.sendall(GREETING)
            connection.close()
            return
        if role == "reset":
            self.selector.register(connection, selectors.EVENT_READ, ("ignore", bytearray()))
            self.timers.append((time.monotonic() + 0.3, lambda: self.reset(connection)))
            return
        state = {"echo": ("echo", bytearray()), "sink": ("sink", [0]),
                 "control": ("control", bytearray())}[role]
        self.selector.register(connection, selectors.EVENT_READ, state)

    def reset(self, connection):
        connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.drop(connection)

    def drop(self, connection):
        try:
            self.selector.unregister(connection)
        except (KeyError, ValueError):
            pass
        connection.close()

    def readable(self, connection, kind, state):
        if kind == "udp":
            try:
                data, sender = connection.recvfrom(65536)
                connection.sendto(data, sender)
            except (BlockingIOError, ConnectionResetError):
                pass
            return
        try:
            data = connection.recv(1 << 20)
        except (ConnectionResetError, BlockingIOError):
            data = b""
        if kind == "echo":
            if not data:
                self.drop(connection)
                return
            connection.setblocking(True)
            connection.sendall(data)
            connection.setblocking(False)
        elif kind == "sink":
            if not data:
                self.sink_total = state[0]
                self.drop(connection)
                return
            state[0] += len(data)
        elif kind == "control":
            if not data:
                self.drop(connection)
                return
            state.extend(data)
            while b"\n" in state:
                line, _, rest = bytes(state).partition(b"\n")
                state[:] = rest
                connection.setblocking(True)
                connection.sendall(self.command(line.decode().split()) + b"\n")
                connection.setblocking(False)
        elif kind == "client":
            index, received = state
            if not data:
                self.drop(connection)
                return
            received.extend(data)
            if received.endswith(b"\n"):
                if bytes(received) == b"client %d\n" % index:
                    self.served += 1
                self.drop(connection)
        elif kind == "holder":
            if not data:
                # The server closed this client.
                if connection in self.open_clients:
                    self.open_clients.remove(connection)
                    self.refused += 1
                self.drop(connection)
        else:
            if not data:
                self.drop(connection)

    def command(self, words):
        if words[:1] == ["clients"]:
            port, count = int(words[1]), int(words[2])
            for index in range(count):
                client = socket.create_connection(("127.0.0.1", port), timeout=5)
                client.sendall(b"client %d\n" % index)
                client.setblocking(False)
                self.selector.register(client, selectors.EVENT_READ, ("client", (index, bytearray())))
            return b"ok"
        if words[:1] == ["hold"]:
            port, count = int(words[1]), int(words[2])
            for _ in range(count):
                client = socket.create_connection(("127.0.0.1", port), timeout=5)
                client.setblocking(False)
                self.open_clients.append(client)
                self.selector.register(client, selectors.EVENT_READ, ("holder", None))
            return b"ok"
        if words[:1] == ["release"]:
            # The first held client leaves.
            if self.open_clients:
                self.drop(self.open_clients.pop(0))
            return b"ok"
        if words[:1] == ["status"]:
            return b"served=%d refused=%d open=%d" % (self.served, self.refused, len(self.open_clients))
        if words[:1] == ["sinktotal"]:
            return b"pending" if self.sink_total is None else b"%d" % self.sink_total
        return b"unknown"

    def run(self):
        while time.monotonic() < self.deadline and self.connections_left > 0:
            now = time.monotonic()
            for timer in [t for t in self.timers if t[0] <= now]:
                self.timers.remove(timer)
                timer[1]()
            for key, _ in self.selector.select(timeout=0.05):
                kind, state = key.data
                if kind == "accept":
                    self.accept(key.fileobj, state)
                else:
                    self.readable(key.fileobj, kind, state)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--connections", type=int, default=64)
    parser.add_argument("--deadline", type=float, default=120)
    args = parser.parse_args()
    peers = Peers(args.connections, args.deadline)
    servers = [peers.listen(role) for role in ("echo", "sink", "sendclose", "reset", "held", "control")]
    servers.append(peers.udp_echo())
    peers.closed_port()
    with open(args.port_file + ".tmp", "w") as f:
        f.write(" ".join("%s=%d" % item for item in peers.ports.items()) + "\n")
    import os
    os.replace(args.port_file + ".tmp", args.port_file)
    peers.run()
    for server in servers:
        server.close()


if __name__ == "__main__":
    main()
