"""Every test that needs a module runs in a private network namespace of its own with
kravent-sim as the module, so scans and fixed ports touch nothing outside it."""

import ctypes
import importlib.metadata
import os
import select
import subprocess
import tempfile
import time
from pathlib import Path

import pytest

# The package's own fixtures; an installed wheel registers them through its entry point.
if "kravent.testing" not in {e.value for e in importlib.metadata.entry_points(group="pytest11")}:
    pytest_plugins = ["kravent.testing"]

SOURCE = Path(__file__).resolve().parents[2]
SIMULATOR = os.environ.get("KRAVENT_SIM", str(SOURCE / "build" / "sim" / "kravent-sim"))
CLONE_NEWNET = 0x40000000

# The library's log goes to a directory of this run: the records each test reads are its own.
os.environ.setdefault("VORN_KRAVENT_LOG_DIR", tempfile.mkdtemp(prefix="kravent-pytest-log-"))


@pytest.fixture
def network():
    """A fresh network namespace for this thread: loopback up, broadcast routed to it."""
    if os.environ.get("KRAVENT_IN_NETNS") != "1":
        pytest.fail("run under tests/netns/run-in-netns.sh: these tests broadcast")
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.unshare(CLONE_NEWNET) != 0:
        pytest.fail(f"unshare: {os.strerror(ctypes.get_errno())}")
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    subprocess.run(["ip", "route", "add", "255.255.255.255/32", "dev", "lo"], check=True)


class Simulator:
    """kravent-sim as a child process, started once it has printed "ready"."""

    def __init__(self, *options: str) -> None:
        self.process = subprocess.Popen([SIMULATOR, *options], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        deadline = time.monotonic() + 10
        line = b""
        while not line.endswith(b"\n") and time.monotonic() < deadline:
            if select.select([self.process.stdout], [], [], deadline - time.monotonic())[0]:
                byte = os.read(self.process.stdout.fileno(), 1)
                if not byte:
                    break
                line += byte
        if line.strip() != b"ready":
            self.stop()
            raise RuntimeError(f"kravent-sim did not start: {line!r}")

    def stop(self) -> None:
        self.process.terminate()
        self.process.wait(10)


@pytest.fixture
def simulator(network):
    """Starts kravent-sim with the given options: ``simulator("--silent")``."""
    started = []

    def start(*options: str) -> Simulator:
        started.append(Simulator(*options))
        return started[-1]

    yield start
    for sim in started:
        sim.stop()
