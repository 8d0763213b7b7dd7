"""A connection to one module: reads, writes, commands and polling."""

from __future__ import annotations

import contextlib
import ctypes
import enum
import ipaddress
import queue
import threading
import time
from typing import Any, Callable, Dict, Iterable, Iterator, List, NamedTuple, Optional, Type

from ._autotune import AutotuneResult, run_autotune
from ._library import DataCallback, EventCallback, library
from ._log import LogWatch, log_path
from ._records import RegisterValues, field_values
from .errors import (KraventConnectionError, KraventConnectionLost, KraventError, KraventTimeoutError,
                     no_route_error, open_refused_error, route_source, tcp_failure_error)
from .registers import COMMANDS, RESET_WARNINGS, Access, Register, check_value, from_host, readable, register

CONNECTED, ERROR = 1, 2  # Com_Event values; 0 is "disconnected"
CALLBACK_ERRORS_KEPT = 10

# How many user callbacks of any module run on this thread. On Linux one thread of the
# library delivers every module's answers: a callback that waited for one would hold it.
_callbacks = threading.local()


def _refuse_in_callback(what: str) -> None:
    if getattr(_callbacks, "depth", 0):
        raise RuntimeError(f"{what}() waits for an answer, which cannot come while a kravent callback runs")


class Sample(NamedTuple):
    """One answer of a poll: ``time`` is ``time.monotonic()`` at its arrival, ``seq``
    counts the module's poll answers from 1 (across reconnects). A period that brought
    no answer shows as a step in ``time`` of several periods between consecutive ``seq``."""

    time: float
    values: Dict[str, Any]
    seq: int = 0


class LinkState(str, enum.Enum):
    """The link of a module: ``connected`` at the open, ``lost`` when the module closed it
    or the network failed, ``retrying`` before each attempt to reopen, ``back`` once
    reopened. Compares equal to its text: ``m.link_state == "back"``."""

    CONNECTED = "connected"
    LOST = "lost"
    RETRYING = "retrying"
    BACK = "back"

    def __str__(self) -> str:
        return self.value


def _flag(record: RegisterValues, reg: Register, kind: str) -> bool:
    return bool(getattr(record, f"{reg.name}_{kind}", False))


def _decode(record: RegisterValues, regs: Iterable[Register]) -> Dict[str, Any]:
    return {r.name: from_host(r, field_values(record, r)) for r in regs if _flag(record, r, "Received")}


class _Pending:
    """The one exchange a module waits for: the first answer that ``done`` accepts."""

    def __init__(self, done: Callable[[RegisterValues], bool]) -> None:
        self.done = done
        self.record: Optional[RegisterValues] = None


class Module:
    """An open connection to the module at ``ip``; best used as a context manager::

        with kravent.Module("192.168.0.20") as m:
            print(m.read("VOLTAGE", "POSITION"))

    Opening runs the library's module test and waits up to ``timeout`` seconds for the
    TCP connection; it raises :class:`KraventConnectionError` when either fails.

    Callbacks (``on_event`` and those of :meth:`start_polling`) run on the library's
    threads, one at a time, holding the interpreter lock like any Python thread. An
    exception they raise never reaches the library: the first ten are kept in
    :attr:`callback_errors`, and :attr:`callback_error_count` counts them all. A
    callback may call :meth:`close`: the connection is then closed on a thread of its
    own once the callback has returned. Inside a callback, :meth:`read`, :meth:`write`,
    :meth:`command` and :meth:`poll` of any module, and opening a module, raise
    ``RuntimeError`` at once: what they would wait for is delivered by the thread that
    runs the callback.

    With ``reconnect=True`` a link that the module closed or the network broke is opened
    again, first after ``reconnect_delay`` seconds, then after twice as long each time up
    to ``reconnect_delay_max``, until it is back or :meth:`close` is called. The polling
    that ran resumes by itself. A read, write or command that waited for its answer when
    the link failed, or that is called while it is down, raises
    :class:`KraventConnectionLost` and is never sent again by itself. Each change of
    :attr:`link_state` (:class:`LinkState`) is handed to ``on_state``: ``connected`` on the
    opening thread, the others on a thread of the module's own (without ``reconnect``,
    ``lost`` comes on the library's thread).
    """

    def __init__(self, ip: str, timeout: float = 5.0, on_event: Optional[Callable[[int], None]] = None, *,
                 reconnect: bool = False, reconnect_delay: float = 0.1, reconnect_delay_max: float = 5.0,
                 on_state: Optional[Callable[[LinkState], None]] = None) -> None:
        _refuse_in_callback("Module")  # the connected event comes on the callbacks' thread
        self.ip = str(ipaddress.IPv4Address(ip))
        self.timeout = timeout
        if reconnect and not 0 < reconnect_delay <= reconnect_delay_max:
            raise ValueError("reconnect delays must satisfy 0 < reconnect_delay <= reconnect_delay_max")
        self.reconnect = reconnect
        self.reconnect_delay, self.reconnect_delay_max = reconnect_delay, reconnect_delay_max
        self.link_state = LinkState.CONNECTED
        self._on_state = on_state
        self._up = False  # once the first open has succeeded
        self._lost = False  # set on the library's thread, cleared once reopened
        self._link = threading.Lock()  # held while the connection handle is replaced or closed
        self._supervisor: Optional[threading.Thread] = None
        self._poll_period = 0
        self._seq = 0
        self.callback_errors: List[BaseException] = []  # the first CALLBACK_ERRORS_KEPT
        self.callback_error_count = 0
        self._errors = threading.Lock()
        self._library = library()
        self._com = ctypes.c_void_p()
        self._changed = threading.Condition()
        self._event: Optional[int] = None
        self._pending: Optional[_Pending] = None
        self._poll_callback: Optional[Callable[[Sample], None]] = None
        self._poll_registers: List[Register] = []
        self._on_event = on_event
        self._closing = False
        self._closer: Optional[threading.Thread] = None
        self._request = threading.Lock()  # one request at a time per connection
        self._in_callback = threading.local()
        # Kept for as long as the library may call them.
        self._data_callback = DataCallback(self._on_data)
        self._event_callback = EventCallback(self._on_com_event)
        failure = self._connect()
        if failure is not None:
            self._close_now()
            raise failure
        self._set_state(LinkState.CONNECTED)
        if reconnect:
            self._supervisor = threading.Thread(target=self._keep_link, name=f"kravent-link {self.ip}", daemon=True)
            self._supervisor.start()

    # -- opening and closing ----------------------------------------------------------

    def _connect(self) -> Optional[KraventConnectionError]:
        """Opens the connection (closing the one the handle held); the failure, if any."""
        address = (ctypes.c_int32 * 4)(*ipaddress.IPv4Address(self.ip).packed)
        source = route_source(self.ip)
        if source is None:
            return no_route_error(self.ip)
        watch = self._watch()
        with self._link:
            if self._closing:
                return KraventConnectionError(f"the connection to {self.ip} is closed")
            # Closed first, so that its disconnected event cannot pass for the new one's.
            self._library.Vorn_KRAVENT_CloseConnection(ctypes.byref(self._com))
            with self._changed:
                self._event = None
            opened = self._library.Vorn_KRAVENT_OpenConnection_MAINPORT(
                address, self._data_callback, self._event_callback, ctypes.byref(self._com))
        if not opened:
            last = self._library.last_error()
            return open_refused_error(self.ip, last, watch.cause(last, self.ip), source)
        with self._changed:
            self._changed.wait_for(lambda: self._event is not None or self._closing, self.timeout)
            event = self._event
            self._up = self._up or event == CONNECTED  # a later loss counts from here
        if event != CONNECTED:
            return tcp_failure_error(self.ip, "timed out" if event is None else "failed")
        return None

    @property
    def closed(self) -> bool:
        """True once :meth:`close` has been called."""
        return self._closing

    def close(self) -> None:
        """Closes the connection; safe to call twice and from inside a callback."""
        if getattr(self._in_callback, "active", False):
            with self._changed:
                if self._closing:
                    return
                self._closing = True
                self._closer = threading.Thread(target=self._close_now, name="kravent-close", daemon=True)
                self._closer.start()
            return
        with self._changed:
            first = not self._closing
            self._closing = True
            closer = self._closer
        if closer is not None:
            closer.join()
        elif first:
            self._close_now()

    def _close_now(self) -> None:
        with self._changed:
            self._closing = True
            self._changed.notify_all()
        with self._link:
            self._library.Vorn_KRAVENT_CloseConnection(ctypes.byref(self._com))

    def __del__(self) -> None:
        # The library must not keep calling callbacks that are being freed.
        if getattr(self, "_com", None) and not getattr(self, "_closing", True):
            self.close()

    def __enter__(self) -> "Module":
        return self

    def __exit__(self, *exc: Any) -> None:
        self.close()

    # -- requests ---------------------------------------------------------------------

    def read(self, *names: str, timeout: Optional[float] = None) -> Dict[str, Any]:
        """Reads registers once: ``{"VOLTAGE": 24.0, "POSITION": 0}``."""
        _refuse_in_callback("read")
        regs = [readable(name) for name in names]
        with self._open_request():
            for reg in regs:
                read = getattr(self._library, f"Vorn_KRAVENT_Read_{reg.name}")
                self._require(read(False, self._com) if reg.pollable else read(self._com), f"read {reg.name}")
            record = self._exchange(lambda rec: all(_flag(rec, r, "Received") for r in regs), timeout)
        return _decode(record, regs)

    def write(self, timeout: Optional[float] = None, **values: Any) -> None:
        """Writes registers in one request: ``m.write(KP=1.5, INPUT=2000)``.

        Every value is checked first (``TypeError``/``ValueError``); nothing is sent
        unless all of them are valid.
        """
        _refuse_in_callback("write")
        checked = []
        for name, value in values.items():
            reg = register(name)
            if reg.write is not Access.VALUE or reg.name == "WARNINGS":
                hint = f" (use command({RESET_WARNINGS!r}))" if reg.name == "WARNINGS" else ""
                raise ValueError(f"{reg.name} cannot be written{hint}")
            checked.append((reg, check_value(reg, value)))
        if not checked:
            return
        with self._open_request():
            for reg, value in checked:
                self._require(self._call_write(reg, value), f"write {reg.name}")
            self._exchange(lambda rec: all(_flag(rec, r, "Written") for r, _ in checked), timeout)

    def command(self, name: str, timeout: Optional[float] = None) -> None:
        """Runs a command: RESETCPU, SAVEUSERPARAMETERS, ..., HOMING, STOPHOMING, RESET_WARNINGS."""
        _refuse_in_callback("command")
        name = name.upper()
        if name not in COMMANDS:
            raise ValueError(f"no command {name!r}; the commands are {', '.join(COMMANDS)}")
        reg = register("WARNINGS" if name == RESET_WARNINGS else name)
        function = "Vorn_KRAVENT_Reset_WARNINGS" if name == RESET_WARNINGS else f"Vorn_KRAVENT_Write_{name}"
        with self._open_request():
            self._require(getattr(self._library, function)(self._com), name)
            self._exchange(lambda rec: _flag(rec, reg, "Written"), timeout)

    def _call_write(self, reg: Register, value: Any) -> bool:
        write = getattr(self._library, f"Vorn_KRAVENT_Write_{reg.name}")
        if reg.name in ("IPADDRESS", "SUBNETMASK"):
            return write((ctypes.c_int32 * 4)(*value), self._com)
        if reg.name in ("OPTIONS", "COMMUNICATIONOPTIONS"):
            return write((ctypes.c_uint8 * 32)(*value), self._com)
        if reg.name == "HOMINGOPTIONS":
            return write(*value, self._com)
        return write(value, self._com)

    def _exchange(self, done: Callable[[RegisterValues], bool], timeout: Optional[float]) -> RegisterValues:
        pending = _Pending(done)
        with self._changed:
            self._pending = pending
        watch = self._watch()
        try:
            self._require(self._library.Vorn_KRAVENT_SendData_MAINPORT(self._com), "send the request", watch)
            with self._changed:
                answered = self._changed.wait_for(
                    lambda: pending.record is not None or self._event != CONNECTED or self._closing,
                    self.timeout if timeout is None else timeout)
        finally:
            with self._changed:
                self._pending = None
        if pending.record is not None:
            return pending.record
        if not answered:
            waited = self.timeout if timeout is None else timeout
            raise self._error(KraventTimeoutError, f"no answer from {self.ip} within {waited:g} s", watch)
        if self._closing:
            raise KraventConnectionError(f"the connection to {self.ip} is closed")
        raise KraventConnectionLost(f"the connection to {self.ip} was lost before the answer came; "
                                    "the request is not sent again")

    # -- polling ----------------------------------------------------------------------

    def autotune(self, **options: Any) -> AutotuneResult:
        """Gains found by experiment (``kravent autotune`` on a connection of its own):
        ``mode`` "position" or "speed", ``excursion`` counts, ``rule`` "no-overshoot" or
        "fast", ``apply``, ``save``, ``plot`` (an SVG file), ``timeout`` seconds."""
        _refuse_in_callback("autotune")
        self._check_open()
        return run_autotune(self.ip, **options)

    def start_polling(self, registers: Iterable[str], period_ms: int, callback: Callable[[Sample], None]) -> None:
        """Has the library ask for ``registers`` every ``period_ms`` milliseconds and hands
        each answer to ``callback`` as a :class:`Sample`, on the library's thread."""
        regs = [readable(name, pollable=True) for name in registers]
        if isinstance(period_ms, bool) or not isinstance(period_ms, int) or period_ms <= 0:
            raise ValueError(f"period_ms must be a positive int, not {period_ms!r}")
        with self._open_request():
            with self._changed:
                self._poll_registers, self._poll_callback, self._poll_period = regs, callback, period_ms
            self._start_polling_now()

    def _start_polling_now(self) -> None:
        regs, period_ms = self._poll_registers, self._poll_period
        self._require(self._library.Vorn_KRAVENT_RepetitiveAskReset(self._com), "reset the poll")
        for reg in regs:
            self._require(getattr(self._library, f"Vorn_KRAVENT_Read_{reg.name}")(True, self._com), "poll")
        self._require(self._library.Vorn_KRAVENT_RepetitiveAskSetTime(period_ms, self._com), "set the period")
        self._require(self._library.Vorn_KRAVENT_RepetitiveAskStart(self._com), "start the poll")

    def stop_polling(self) -> None:
        """Stops the poll; no callback of it starts after this returns (one running may finish)."""
        with self._request:
            with self._changed:
                self._poll_callback, self._poll_registers = None, []
            if not self._closing and not self._lost:
                self._library.Vorn_KRAVENT_RepetitiveAskReset(self._com)

    def poll(self, registers: Iterable[str], period_ms: int = 100,
             duration: Optional[float] = None) -> Iterator[Sample]:
        """Polls ``registers`` and yields each :class:`Sample`, for ``duration`` seconds or
        until the loop ends::

            for sample in m.poll(["POSITION", "SPEED"], period_ms=10, duration=2.0):
                print(sample.time, sample.values["POSITION"])
        """
        _refuse_in_callback("poll")
        samples: "queue.SimpleQueue[Sample]" = queue.SimpleQueue()
        self.start_polling(registers, period_ms, samples.put)
        end = None if duration is None else time.monotonic() + duration
        try:
            while end is None or time.monotonic() < end:
                wait = 0.5 if end is None else min(0.5, max(0.0, end - time.monotonic()))
                try:
                    yield samples.get(timeout=wait)
                except queue.Empty:
                    if self._closing or not self.reconnect:
                        self._check_open()  # with reconnect, the poll outlives a lost link
        finally:
            self.stop_polling()

    def poll_to_list(self, registers: Iterable[str], period_ms: int = 100, duration: float = 1.0) -> List[Sample]:
        """All samples of a poll of ``duration`` seconds, for analysis."""
        return list(self.poll(registers, period_ms, duration))

    # -- the library's callbacks --------------------------------------------------------

    def _on_data(self, values: Any, com: Any) -> None:
        try:
            arrived = time.monotonic()
            record = RegisterValues.from_buffer_copy(values.contents)  # the library keeps its own
            with self._changed:
                if self._pending is not None and self._pending.record is None and self._pending.done(record):
                    self._pending.record = record
                    self._changed.notify_all()
                callback = None if self._closing else self._poll_callback
                regs = self._poll_registers
                values = _decode(record, regs) if callback is not None else {}
                if values:
                    self._seq += 1
                    sample = Sample(arrived, values, self._seq)
            if values:
                self._run_user(callback, sample)
        except BaseException as error:  # nothing may unwind into the library
            self._keep(error)

    def _on_com_event(self, event: int, com: Any) -> None:
        try:
            with self._changed:
                if self._com.value is not None and com != self._com.value:
                    return  # the connection that a reconnect replaced
                self._event = event
                lost = event != CONNECTED and self._up and not self._closing and not self._lost
                if lost:
                    self._lost = True
                self._changed.notify_all()
            if self._on_event is not None and not self._closing:
                self._run_user(self._on_event, event)
            if lost and not self.reconnect:  # with reconnect, the link's thread reports it
                self.link_state = LinkState.LOST
                if self._on_state is not None:
                    self._run_user(self._on_state, LinkState.LOST)
        except BaseException as error:
            self._keep(error)

    # -- keeping the link ---------------------------------------------------------------

    def wait_for_link(self, timeout: Optional[float] = None) -> bool:
        """Waits until the link is up (at once when it is); False after ``timeout`` or a close."""
        _refuse_in_callback("wait_for_link")
        with self._changed:
            self._changed.wait_for(lambda: not self._lost or self._closing, timeout)
            return not self._lost and not self._closing


    def _keep_link(self) -> None:
        """The reconnect loop, on a thread of its own for the module's life."""
        while True:
            with self._changed:
                self._changed.wait_for(lambda: self._lost or self._closing)
                if self._closing:
                    return
            self._set_state(LinkState.LOST)
            delay = self.reconnect_delay
            while True:
                with self._changed:
                    if self._changed.wait_for(lambda: self._closing, delay):
                        return
                self._set_state(LinkState.RETRYING)
                # The new connection starts with no request: the dead one's go with it.
                with self._request:
                    back = self._connect() is None and self._resume_polling()
                if back:
                    with self._changed:
                        back = self._event == CONNECTED  # not lost again meanwhile
                        self._lost = not back
                        self._changed.notify_all()
                    if back:
                        break
                delay = min(2 * delay, self.reconnect_delay_max)
            self._set_state(LinkState.BACK)

    def _resume_polling(self) -> bool:
        if not self._poll_registers:
            return True
        try:
            self._start_polling_now()
            return True
        except KraventError:
            return False

    def _set_state(self, state: LinkState) -> None:
        self.link_state = state
        if self._on_state is not None and not self._closing:
            try:
                self._on_state(state)
            except BaseException as error:
                self._keep(error)

    def _run_user(self, callback: Callable[[Any], None], argument: Any) -> None:
        self._in_callback.active = True
        _callbacks.depth = getattr(_callbacks, "depth", 0) + 1
        try:
            callback(argument)
        except BaseException as error:
            self._keep(error)
        finally:
            _callbacks.depth -= 1
            self._in_callback.active = False

    def _keep(self, error: BaseException) -> None:
        # A callback that raises on every poll tick must not fill the memory.
        with self._errors:
            self.callback_error_count += 1
            if len(self.callback_errors) < CALLBACK_ERRORS_KEPT:
                self.callback_errors.append(error)

    # -- helpers ----------------------------------------------------------------------

    def state(self) -> int:
        """The connection state: 0 not connected, 1 connected, 2 error, 3 connecting, 4 closing."""
        return 0 if self._closing else int(self._library.Vorn_KRAVENT_GetStateCommunication(self._com))

    @contextlib.contextmanager
    def _open_request(self) -> Iterator[None]:
        """The connection's one request slot, on an open link."""
        self._check_open()  # at once while the link is down, not after a reconnect attempt
        with self._request:
            self._check_open()
            yield

    def _check_open(self) -> None:
        if self._closing:
            raise KraventConnectionError(f"the connection to {self.ip} is closed")
        if self._lost or self._event != CONNECTED:
            again = "; reconnecting" if self.reconnect else ""
            raise KraventConnectionLost(f"the connection to {self.ip} is lost (event {self._event}){again}")

    def _watch(self) -> LogWatch:
        return LogWatch(log_path(self._library.path()))

    def _require(self, ok: bool, what: str, watch: Optional[LogWatch] = None) -> None:
        if not ok:
            raise self._error(KraventError, f"cannot {what} ({self.ip})", watch)

    def _error(self, kind: Type[KraventError], message: str, watch: Optional[LogWatch]) -> KraventError:
        last = self._library.last_error()
        return kind(message, last, watch.cause(last, self.ip) if watch else None)
