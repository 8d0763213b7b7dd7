"""kravent.aio against kravent-sim: requests off the loop, polling that stops with its loop."""

import asyncio
import threading

import pytest

import kravent
import kravent.aio


def run(coroutine):
    return asyncio.run(asyncio.wait_for(coroutine, 30))


@pytest.mark.kravent_sim("--delay-ms", "100")
def test_requests_leave_the_loop_free(kravent_module):
    async def main():
        async with kravent.aio.Module(kravent_module.ip) as m:
            reading = asyncio.ensure_future(m.read("KP", "VOLTAGE"))
            await asyncio.sleep(0)  # one turn of the loop: the read is under way, not done
            assert not reading.done()
            values = await reading
            await m.write(KP=2.5, INPUT=100)
            await m.command("RESET_WARNINGS")
            assert set(values) == {"KP", "VOLTAGE"} and await m.read("KP") == {"KP": 2.5}
        assert m.closed
    run(main())


def test_poll_samples_come_on_the_loop_and_cancelling_stops_the_poll(kravent_module):
    async def main():
        loop_thread = threading.get_ident()
        async with kravent.aio.Module(kravent_module.ip) as m:
            seqs = [s.seq async for s in m.poll(["POSITION"], period_ms=10, duration=0.3)]
            assert seqs and seqs == list(range(1, len(seqs) + 1))

            first = asyncio.Event()
            threads = []

            async def consume():
                async for sample in m.poll(["SPEED"], period_ms=10):
                    threads.append(threading.get_ident())
                    first.set()

            task = asyncio.ensure_future(consume())
            await first.wait()
            task.cancel()
            with pytest.raises(asyncio.CancelledError):
                await task
            assert set(threads) == {loop_thread}
            assert m.sync._poll_callback is None  # the library polls no more
    run(main())
