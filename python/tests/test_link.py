"""Reconnect: a module that restarts under a running poll and a pending write."""

import queue
import threading
import time

import pytest

import kravent
from kravent import KraventConnectionLost, LinkState

WAIT = 20  # seconds; generous bounds for a loaded machine


# Answers come 100 ms late, so that a write is still waiting for its answer when the
# module goes away; the poll leaves the write room between its exchanges.
@pytest.mark.kravent_sim("--trace", "--delay-ms", "100")
def test_a_restart_resumes_the_poll_and_never_replays_the_pending_write(kravent_module):
    states: "queue.SimpleQueue[LinkState]" = queue.SimpleQueue()
    samples: "queue.SimpleQueue[kravent.Sample]" = queue.SimpleQueue()
    period, first_retry = 0.2, 0.5
    with kravent.Module(kravent_module.ip, reconnect=True, reconnect_delay=first_retry, reconnect_delay_max=1.0,
                        on_state=states.put) as m:
        m.start_polling(["POSITION"], int(period * 1000), samples.put)
        received = [samples.get(timeout=WAIT) for _ in range(2)]
        failures = []
        writer = threading.Thread(target=lambda: _record_failure(failures, lambda: m.write(INPUT=1234)))
        writer.start()
        assert kravent_module.wait_for_output(lambda line: "write request: INPUT=1234" in line, WAIT)
        restarted = time.monotonic()
        kravent_module.restart()
        writer.join(WAIT)
        assert [type(f) for f in failures] == [KraventConnectionLost]
        assert [states.get(timeout=WAIT) for _ in range(4)] == [
            LinkState.CONNECTED, LinkState.LOST, LinkState.RETRYING, LinkState.BACK]
        assert m.link_state == "back" and m.wait_for_link(0)
        received += [samples.get(timeout=WAIT) for _ in range(2)]
        m.stop_polling()
        m.write(INPUT=5)  # the link serves requests again
    while not samples.empty():
        received.append(samples.get())
    assert [s.seq for s in received] == list(range(1, len(received) + 1))
    # seq goes on by one where time jumps by several periods: the link was down.
    last_before = max(s.time for s in received if s.time < restarted)
    first_after = min(s.time for s in received if s.time > restarted)
    assert first_after - last_before >= max(first_retry, 2 * period)
    assert sum("INPUT=1234" in line for line in kravent_module.output) == 1


def test_without_reconnect_a_lost_link_stays_lost(kravent_module):
    states = []
    lost = threading.Event()
    m = kravent.Module(kravent_module.ip,
                       on_state=lambda state: (states.append(state), state == LinkState.LOST and lost.set()))
    try:
        kravent_module.stop()
        assert lost.wait(WAIT)
        with pytest.raises(KraventConnectionLost):
            m.read("KP")
        assert states == [LinkState.CONNECTED, LinkState.LOST] and m.link_state == LinkState.LOST
        assert not m.wait_for_link(0)
    finally:
        m.close()


def _record_failure(failures, call):
    try:
        call()
    except Exception as error:  # the test looks at its type
        failures.append(error)
