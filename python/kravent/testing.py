"""pytest fixtures for programs that drive KRAVENT modules, with kravent-sim as the module.

Installed with the package, this module is a pytest plugin (entry point ``pytest11``),
so a test only names the fixture::

    import kravent

    def test_gain_is_kept(kravent_module):
        with kravent.Module(kravent_module.ip) as m:
            m.write(KP=2.5)
            assert m.read("KP") == {"KP": 2.5}

``kravent_module`` runs one simulated module on a loopback address of its own
(127.x.y.z: every loopback address reaches the simulator's ports, so no root and no
network namespace are needed) and stops it after the test. The simulator's options
(faults, the motor, registers) come from the marker
``@pytest.mark.kravent_sim("--delay-ms", "50", "--set", "KP=2")``; ``kravent_simulator``
starts further modules: ``kravent_simulator("--silent")``.

The simulator is the one that ``--kravent-sim PATH`` or ``KRAVENT_SIM`` names, else the
one inside the package, else ``kravent-sim`` on the PATH.
"""

from __future__ import annotations

import os
import random
import select
import shutil
import socket
import subprocess
import tempfile
import threading
import time
from pathlib import Path
from typing import IO, Callable, Iterator, List, Optional, Sequence

import pytest

SIMULATOR_VARIABLE = "KRAVENT_SIM"
TCP_PORT, UDP_PORT = 8010, 7010
READY_TIMEOUT = 10.0
_PACKAGE = Path(__file__).resolve().parent
_BUNDLED = _PACKAGE / "bin" / "kravent-sim"


def find_simulator(chosen: Optional[str] = None) -> str:
    """The kravent-sim to run: ``chosen``, ``KRAVENT_SIM``, the packaged one or the PATH's."""
    for candidate in (chosen, os.environ.get(SIMULATOR_VARIABLE)):
        if candidate:
            return candidate
    if _BUNDLED.exists():
        return str(_BUNDLED)
    found = shutil.which("kravent-sim")
    if found:
        return found
    raise RuntimeError(f"kravent-sim not found: pass --kravent-sim PATH or set {SIMULATOR_VARIABLE}")


def _ports_free(ip: str) -> bool:
    tcp = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        # As the simulator binds: its UDP port is shared with the other simulators' wildcard one.
        tcp.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        udp.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        tcp.bind((ip, TCP_PORT))
        udp.bind((ip, UDP_PORT))
        return True
    except OSError:
        return False
    finally:
        tcp.close()
        udp.close()


def free_loopback_address(tries: int = 64) -> str:
    """A 127.x.y.z address whose module ports nobody holds. 127.0.0.* is left to programs
    that use the usual addresses (and to kravent-sim --modules)."""
    chance = random.SystemRandom()  # parallel test runs must not draw the same sequence
    for _ in range(tries):
        ip = f"127.{chance.randint(16, 250)}.{chance.randint(0, 255)}.{chance.randint(1, 254)}"
        if _ports_free(ip):
            return ip
    raise RuntimeError(f"no free loopback address for ports {TCP_PORT} and {UDP_PORT} after {tries} tries")


class SimulatedModule:
    """One kravent-sim on its own loopback address: ``ip``, ``stop()``, ``start()``,
    ``restart()``. Its standard output after "ready" (the frames, with ``--trace``) is
    kept in ``output``; ``wait_for_output`` waits for a line."""

    def __init__(self, options: Sequence[str] = (), ip: Optional[str] = None,
                 simulator: Optional[str] = None) -> None:
        self.ip = ip or free_loopback_address()
        self.options: List[str] = list(options)
        self.simulator = find_simulator(simulator)
        self.output: List[str] = []
        self._output_changed = threading.Condition()
        self._process: Optional[subprocess.Popen] = None
        self._reader: Optional[threading.Thread] = None
        self._errors: Optional[IO[bytes]] = None

    @property
    def running(self) -> bool:
        return self._process is not None and self._process.poll() is None

    def start(self) -> "SimulatedModule":
        """Starts the simulator and returns once it listens; does nothing if it runs."""
        if self.running:
            return self
        environment = dict(os.environ)
        if Path(self.simulator).resolve() == _BUNDLED.resolve():
            # The packaged simulator takes the library that lies beside the package.
            environment["LD_LIBRARY_PATH"] = os.pathsep.join(
                p for p in (str(_PACKAGE), environment.get("LD_LIBRARY_PATH", "")) if p)
        # Its messages go to a file: a pipe that nobody reads could fill and stop it.
        errors = tempfile.TemporaryFile()
        process = subprocess.Popen([self.simulator, "--bind", self.ip, *self.options], env=environment,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=errors)
        line = self._first_line(process)
        if line != "ready":
            process.kill()
            process.wait(READY_TIMEOUT)
            errors.seek(0)
            told = errors.read().decode(errors="replace").strip()
            errors.close()
            raise RuntimeError(f"kravent-sim did not start on {self.ip}: {line!r} {told}")
        self._errors = errors
        self._process = process
        self._reader = threading.Thread(target=self._read_output, args=(process,), daemon=True,
                                        name=f"kravent-sim {self.ip}")
        self._reader.start()
        return self

    def stop(self) -> None:
        """Stops the simulator (its connections close as a module's would); safe twice."""
        process, self._process = self._process, None
        if process is None:
            return
        if process.poll() is None:
            process.terminate()
        try:
            process.wait(READY_TIMEOUT)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        if self._reader is not None:
            self._reader.join(READY_TIMEOUT)
        if self._errors is not None:
            self._errors.close()
            self._errors = None

    def restart(self) -> "SimulatedModule":
        """Stops and starts again on the same address: a module that was switched off."""
        self.stop()
        return self.start()

    def wait_for_output(self, found: Callable[[str], bool], timeout: float = 10.0) -> Optional[str]:
        """The first line of ``output`` that ``found`` accepts, waiting for it up to ``timeout``."""
        def match() -> Optional[str]:
            return next((line for line in self.output if found(line)), None)
        with self._output_changed:
            self._output_changed.wait_for(lambda: match() is not None, timeout)
            return match()

    def _first_line(self, process: subprocess.Popen) -> str:
        deadline = time.monotonic() + READY_TIMEOUT
        line = b""
        assert process.stdout is not None
        while not line.endswith(b"\n"):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([process.stdout], [], [], left)[0]:
                break
            byte = os.read(process.stdout.fileno(), 1)  # unbuffered: the rest is the reader's
            if not byte:
                break
            line += byte
        return line.decode(errors="replace").strip()

    def _read_output(self, process: subprocess.Popen) -> None:
        assert process.stdout is not None
        with process.stdout:
            for raw in process.stdout:
                with self._output_changed:
                    self.output.append(raw.decode(errors="replace").rstrip("\n"))
                    self._output_changed.notify_all()

    def __enter__(self) -> "SimulatedModule":
        return self.start()

    def __exit__(self, *exc: object) -> None:
        self.stop()

    def __repr__(self) -> str:
        return f"SimulatedModule(ip={self.ip!r}, options={self.options!r}, running={self.running})"


def pytest_addoption(parser: pytest.Parser) -> None:
    parser.addoption("--kravent-sim", default=None, help="the kravent-sim program of the kravent fixtures")


def pytest_configure(config: pytest.Config) -> None:
    config.addinivalue_line("markers", "kravent_sim(*options): kravent-sim options of the kravent_module fixture")


@pytest.fixture
def kravent_simulator(request: pytest.FixtureRequest) -> Iterator[Callable[..., SimulatedModule]]:
    """Starts simulated modules, each on a free loopback address: ``kravent_simulator("--silent")``."""
    started: List[SimulatedModule] = []
    chosen = request.config.getoption("--kravent-sim")

    def start(*options: str) -> SimulatedModule:
        for attempt in range(3):  # another program may take the address between check and start
            module = SimulatedModule(options, simulator=chosen)
            started.append(module)
            try:
                return module.start()
            except RuntimeError:
                if attempt == 2:
                    raise
        raise AssertionError("unreachable")

    yield start
    for module in started:
        module.stop()


@pytest.fixture
def kravent_module(request: pytest.FixtureRequest,
                   kravent_simulator: Callable[..., SimulatedModule]) -> SimulatedModule:
    """A simulated module on a free loopback address, with the options of ``kravent_sim`` markers."""
    options: List[str] = []
    for marker in reversed(list(request.node.iter_markers("kravent_sim"))):
        options.extend(str(option) for option in marker.args)
    return kravent_simulator(*options)
