# SPDX-License-Identifier: MIT
import os
import shutil
import socket
import struct
import subprocess
import tempfile
import threading
import time

import pytest

import qvm


@pytest.fixture
def evb():
    """A three-device daisy chain on the simulated board, on virtual time."""
    with qvm.open(sim="daisy:52400x3", virtual_time=True) as board:
        yield board


BROKER_PROGRAM = "/usr/sbin/mosquitto"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Broker:
    """A real mosquitto on a free loopback port, in a folder of its own; `users` maps user names
    to passwords (then only they may connect)."""

    def __init__(self, users=None):
        self.port = free_port()
        # A broker started as root reads its files as the mosquitto user.
        self.folder = tempfile.mkdtemp(prefix="qvm-pybroker-")
        os.chmod(self.folder, 0o777)
        lines = [f"listener {self.port} 127.0.0.1", "log_dest none"]
        if users:
            passwords = os.path.join(self.folder, "passwords")
            for user, password in users.items():
                flags = ["-b"] if os.path.exists(passwords) else ["-c", "-b"]
                subprocess.run(["mosquitto_passwd", *flags, passwords, user, password],
                               check=True, capture_output=True)
            os.chmod(passwords, 0o644)
            lines += ["allow_anonymous false", f"password_file {passwords}"]
        else:
            lines.append("allow_anonymous true")
        config = os.path.join(self.folder, "broker.conf")
        with open(config, "w") as f:
            f.write("\n".join(lines) + "\n")
        self.process = subprocess.Popen([BROKER_PROGRAM, "-c", config])
        for _ in range(500):
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=1).close()
                return
            except OSError:
                time.sleep(0.01)
        self.stop()
        raise RuntimeError(f"mosquitto did not listen on port {self.port}")

    def url(self, topic):
        return f"mqtt://127.0.0.1:{self.port}/{topic}"

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=10)
        shutil.rmtree(self.folder, ignore_errors=True)


class Subscriber:
    """A bare MQTT 3.1.1 client that subscribes to `topic_filter` at QoS 0 and keeps every
    (topic, payload) it receives, read on a thread of its own."""

    def __init__(self, port, topic_filter, user=None, password=None):
        self.messages = []
        self._lock = threading.Lock()
        self._socket = socket.create_connection(("127.0.0.1", port), timeout=5)
        flags = 0x02
        payload = self._text(b"qvm-pytest-%d" % os.getpid())
        if user is not None:
            flags |= 0x80 | 0x40
            payload += self._text(user.encode()) + self._text(password.encode())
        header = self._text(b"MQTT") + bytes([4, flags, 0, 60])
        self._send(0x10, header + payload)
        kind, body = self._read()
        if kind != 0x20 or body[1] != 0:
            raise RuntimeError(f"the broker refused the subscriber: {body!r}")
        self._send(0x82, struct.pack("!H", 1) + self._text(topic_filter.encode()) + b"\x00")
        kind, _ = self._read()
        if kind != 0x90:
            raise RuntimeError("the broker did not acknowledge the subscription")
        self._thread = threading.Thread(target=self._receive, daemon=True)
        self._thread.start()

    @staticmethod
    def _text(data):
        return struct.pack("!H", len(data)) + data

    def _send(self, kind, body):
        length, size = b"", len(body)
        while True:
            digit, size = size % 128, size // 128
            length += bytes([digit | (0x80 if size else 0)])
            if not size:
                break
        self._socket.sendall(bytes([kind]) + length + body)

    def _exactly(self, n):
        data = b""
        while len(data) < n:
            chunk = self._socket.recv(n - len(data))
            if not chunk:
                raise EOFError
            data += chunk
        return data

    def _read(self):
        kind = self._exactly(1)[0]
        size, shift = 0, 0
        while True:
            digit = self._exactly(1)[0]
            size |= (digit & 0x7F) << shift
            shift += 7
            if not digit & 0x80:
                break
        return kind & 0xF0, self._exactly(size)

    def _receive(self):
        self._socket.settimeout(None)
        try:
            while True:
                kind, body = self._read()
                if kind == 0x30:
                    (length,) = struct.unpack("!H", body[:2])
                    with self._lock:
                        self.messages.append((body[2:2 + length].decode(), body[2 + length:]))
        except (EOFError, OSError):
            pass

    def wait_for(self, done, timeout=10.0):
        """The messages received once `done(messages)` holds, or when `timeout` is over."""
        end = time.monotonic() + timeout
        while True:
            with self._lock:
                messages = list(self.messages)
            if done(messages) or time.monotonic() > end:
                return messages
            time.sleep(0.01)

    def close(self):
        try:
            self._send(0xE0, b"")
        except OSError:
            pass
        try:
            self._socket.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self._socket.close()
        self._thread.join(timeout=5)


@pytest.fixture
def broker():
    """A mosquitto broker for one test; skipped where mosquitto is not installed."""
    if not os.access(BROKER_PROGRAM, os.X_OK):
        pytest.skip(f"{BROKER_PROGRAM} is not installed")
    running = Broker()
    yield running
    running.stop()
