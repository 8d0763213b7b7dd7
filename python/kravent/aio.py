"""The module for asyncio programs::

    import asyncio
    import kravent.aio

    async def main():
        async with kravent.aio.Module("127.0.0.1") as m:
            print(await m.read("VOLTAGE"))
            await m.write(KP=1.5)
            async for sample in m.poll(["POSITION"], period_ms=10, duration=1.0):
                print(sample.seq, sample.time, sample.values)

    asyncio.run(main())

No call blocks the event loop: opening, closing and every request run on the loop's
default executor, and the library's callbacks reach the loop through
``call_soon_threadsafe``, so ``on_state``, ``on_event`` and the samples are handled on
the loop's own thread. Leaving or cancelling an ``async for`` over :meth:`Module.poll`
stops the polling. Errors, reconnect and samples are those of :class:`kravent.Module`.
"""

from __future__ import annotations

import asyncio
import functools
from typing import Any, AsyncIterator, Callable, Dict, Iterable, List, Optional

from . import module as _sync
from .module import LinkState, Sample

_LOST_CHECK_S = 0.5  # how often a poll without samples looks whether the link is gone


class Module:
    """A connection to the module at ``ip``, opened by ``async with``. The arguments are
    those of :class:`kravent.Module`; ``on_state`` and ``on_event`` run on the loop."""

    def __init__(self, ip: str, timeout: float = 5.0, on_event: Optional[Callable[[int], Any]] = None, *,
                 reconnect: bool = False, reconnect_delay: float = 0.1, reconnect_delay_max: float = 5.0,
                 on_state: Optional[Callable[[LinkState], Any]] = None) -> None:
        self.ip = ip
        self._options: Dict[str, Any] = dict(timeout=timeout, reconnect=reconnect, reconnect_delay=reconnect_delay,
                                             reconnect_delay_max=reconnect_delay_max)
        self._on_event, self._on_state = on_event, on_state
        self._module: Optional[_sync.Module] = None
        self._loop: Optional[asyncio.AbstractEventLoop] = None

    @property
    def sync(self) -> _sync.Module:
        """The underlying :class:`kravent.Module` (its calls block: use them off the loop)."""
        if self._module is None:
            raise RuntimeError("the module is not open: use `async with kravent.aio.Module(ip) as m`")
        return self._module

    @property
    def link_state(self) -> LinkState:
        return self.sync.link_state

    @property
    def closed(self) -> bool:
        return self._module is None or self._module.closed

    async def open(self) -> "Module":
        self._loop = asyncio.get_running_loop()
        to_loop = functools.partial(self._to_loop, self._loop)
        self._module = await self._run(functools.partial(
            _sync.Module, self.ip, on_event=to_loop(self._on_event), on_state=to_loop(self._on_state),
            **self._options))
        return self

    async def close(self) -> None:
        if self._module is not None:
            await self._run(self._module.close)

    async def __aenter__(self) -> "Module":
        return await self.open()

    async def __aexit__(self, *exc: Any) -> None:
        await self.close()

    async def read(self, *names: str, timeout: Optional[float] = None) -> Dict[str, Any]:
        return await self._run(functools.partial(self.sync.read, *names, timeout=timeout))

    async def write(self, timeout: Optional[float] = None, **values: Any) -> None:
        await self._run(functools.partial(self.sync.write, timeout, **values))

    async def command(self, name: str, timeout: Optional[float] = None) -> None:
        await self._run(functools.partial(self.sync.command, name, timeout))

    async def poll(self, registers: Iterable[str], period_ms: int = 100,
                   duration: Optional[float] = None) -> AsyncIterator[Sample]:
        """Yields each :class:`kravent.Sample` of a poll, for ``duration`` seconds or until
        the ``async for`` ends or its task is cancelled."""
        module, loop = self.sync, asyncio.get_running_loop()
        samples: "asyncio.Queue[Sample]" = asyncio.Queue()
        active = [True]

        def deliver(sample: Sample) -> None:  # on the library's thread
            if active[0]:
                loop.call_soon_threadsafe(samples.put_nowait, sample)

        names: List[str] = list(registers)
        await self._run(functools.partial(module.start_polling, names, period_ms, deliver))
        end = None if duration is None else loop.time() + duration
        try:
            while True:
                wait = _LOST_CHECK_S if end is None else min(_LOST_CHECK_S, end - loop.time())
                if wait <= 0:
                    return
                try:
                    sample = await asyncio.wait_for(samples.get(), wait)
                except asyncio.TimeoutError:
                    if module.closed or not module.reconnect:
                        module._check_open()
                    continue
                yield sample
        finally:
            active[0] = False  # nothing more reaches the queue, even before the stop is done
            # Shielded: a cancelled poll still stops the module's polling.
            await asyncio.shield(self._run(module.stop_polling))

    async def _run(self, call: Callable[[], Any]) -> Any:
        return await asyncio.get_running_loop().run_in_executor(None, call)

    @staticmethod
    def _to_loop(loop: asyncio.AbstractEventLoop,
                 callback: Optional[Callable[[Any], Any]]) -> Optional[Callable[[Any], None]]:
        if callback is None:
            return None
        return lambda argument: loop.call_soon_threadsafe(callback, argument)
