"""The package against kravent-sim: each test with a module of its own."""

import ipaddress
import statistics
import threading
import time

import pytest

import kravent
from kravent import Halves, HomingOptions, KraventConnectionError, Options, Warnings

LOCAL = "127.0.0.1"


def test_scan_lists_the_module_with_its_identity(simulator):
    simulator("--mac", "02:4B:52:00:00:07", "--name", "AXIS-7", "--version", "1.5")
    assert kravent.scan() == [
        kravent.ModuleInfo("02:4b:52:00:00:07", ipaddress.IPv4Address(LOCAL), Halves(2, 2), Halves(1, 5), "AXIS-7")
    ]
    assert kravent.version() == "Vorn-KRAVENT_DLLInterface_v1.00.00_140807"


HOMING = 5 << 20 | 4 << 16 | 3 << 12 | 2 << 8 | 1 << 7 | 1


@pytest.mark.kravent_sim("--name", "AXIS-1", "--set", "KP=2.5", "--set", "INPUTMIN=-40",
                         "--set", "OPTIONS=0x28", "--set", f"HOMINGOPTIONS={HOMING}", "--mask", "255.255.0.0")
def test_read_gives_each_register_in_its_python_form(kravent_module):
    with kravent.Module(kravent_module.ip) as m:
        values = m.read("TYPE", "VOLTAGE", "POSITION", "INPUTMIN", "KP", "MODULENAME", "IPADDRESS", "SUBNETMASK",
                        "ETHERNETMAC", "OPTIONS", "WARNINGS", "HOMINGOPTIONS")
    # The motor model moves VOLTAGE and POSITION: their forms only.
    assert isinstance(values.pop("VOLTAGE"), float) and isinstance(values.pop("POSITION"), int)
    assert values == {
        "TYPE": Halves(2, 2), "INPUTMIN": -40, "KP": 2.5, "MODULENAME": "AXIS-1",
        "IPADDRESS": ipaddress.IPv4Address(kravent_module.ip), "SUBNETMASK": ipaddress.IPv4Address("255.255.0.0"),
        "ETHERNETMAC": "02:4b:52:00:00:01", "OPTIONS": Options.BIT3 | Options.BIT5, "WARNINGS": Warnings(0),
        "HOMINGOPTIONS": HomingOptions(1, True, 2, 3, 4, 5),
    }
    assert str(values["TYPE"]) == "2.2"


def test_write_then_read_back_and_nothing_sent_when_a_value_is_out_of_range(kravent_module):
    written = dict(KP=1.5, INPUT=2000, TCPTIMEOUT=255, MODULENAME="AXIS-2", OPTIONS=Options.BIT0 | Options.BIT31,
                   HOMINGOPTIONS=HomingOptions(15, False, 0, 1, 2, 3), SUBNETMASK="255.255.255.0")
    with kravent.Module(kravent_module.ip) as m:
        ki = m.read("KI")
        m.write(**written)
        assert m.read(*written) == {k: ipaddress.IPv4Address(v) if k == "SUBNETMASK" else v
                                    for k, v in written.items()}
        for bad in (dict(TCPTIMEOUT=256), dict(REGULATIONMODE=6), dict(LOOPTIME=-1), dict(INPUT=2**31),
                    dict(KD=32768.0), dict(MODULENAME="x" * 17), dict(IPADDRESS="10.0.0.256"),
                    dict(HOMINGOPTIONS=(16, 0, 0, 0, 0, 0))):
            with pytest.raises(ValueError):
                m.write(KI=7.25, **bad)
        with pytest.raises(TypeError):
            m.write(KI=7.25, INPUT=1.5)
        with pytest.raises(ValueError):
            m.write(SPEED=1)
        m.command("savEUserParameters")
        assert m.read("KI") == ki


def test_poll_every_10_ms_gives_timestamped_counted_samples(kravent_module):
    with kravent.Module(kravent_module.ip) as m:
        samples = m.poll_to_list(["POSITION", "SPEED"], period_ms=10, duration=2.0)
    times = [s.time for s in samples]
    assert all(set(s.values) == {"POSITION", "SPEED"} for s in samples)
    assert times == sorted(times)
    assert [s.seq for s in samples] == list(range(1, len(samples) + 1))
    # 200 ticks in 2 s; the bounds leave room for a loaded machine (exact timing: bench/).
    assert 50 <= len(samples) <= 210
    assert 0.004 <= statistics.median(b - a for a, b in zip(times, times[1:])) <= 0.03


@pytest.mark.parametrize("option, cause, says", [
    (("--type", "2.3"), "This module is not compatible with this DLL\t(MakeInitialTYPETest)",
     "a module answered at {ip} but is of another type"),
    (("--silent",), "Address IP not found on the network\t(MakeInitialTYPETest)",
     "nothing answered the module test on UDP 7010 at {ip} in time: run `kravent scan`"),
])
def test_open_fails_with_what_to_try_and_the_library_words_in_its_fields(kravent_simulator, option, cause, says):
    module = kravent_simulator(*option)
    with pytest.raises(KraventConnectionError) as failure:
        kravent.Module(module.ip)
    assert str(failure.value).startswith(says.format(ip=module.ip))
    assert "MakeInitialTYPETest" not in str(failure.value)
    assert failure.value.last_error == "Initial Test failed\t(Vorn_KRAVENT_OpenConnection_MAINPORT)"
    assert failure.value.cause == cause
    assert isinstance(failure.value, ConnectionError)


def test_open_without_a_route_sends_nothing_and_says_so():
    with pytest.raises(KraventConnectionError) as failure:
        kravent.Module("10.99.0.1")
    assert str(failure.value).startswith("no route or interface towards 10.99.0.1")
    assert failure.value.last_error == "" and failure.value.cause is None


def test_a_callback_may_raise_and_may_close_its_module(kravent_module):
    closed = threading.Event()
    calls = []

    def callback(sample):
        calls.append(threading.get_ident())
        if len(calls) <= 30:
            raise RuntimeError(len(calls))
        m.close()
        closed.set()

    with kravent.Module(kravent_module.ip) as m:
        m.start_polling(["POSITION"], 1, callback)
        assert closed.wait(10)
        assert m.closed
        with pytest.raises(KraventConnectionError):
            m.read("POSITION")
    assert len(calls) == 31 and calls[0] != threading.get_ident()
    # The first few are kept, the others only counted: a callback that always raises
    # must not fill the memory.
    assert [str(e) for e in m.callback_errors] == [str(n) for n in range(1, 11)]
    assert m.callback_error_count == 30


def test_a_callback_is_refused_every_call_that_waits_for_an_answer(simulator):
    # Its answer would come on the thread the callback holds, that of every module.
    simulator("--modules", "2")
    refused = []
    done = threading.Event()

    def callback(sample):
        if done.is_set():
            return
        for call in (lambda: m.read("VOLTAGE", timeout=1), lambda: other.read("VOLTAGE", timeout=1),
                     lambda: m.write(KP=2.0, timeout=1), lambda: m.command("HOMING", timeout=1),
                     lambda: m.poll_to_list(["SPEED"], 10, 0.5), lambda: kravent.Module("127.0.0.2", timeout=1)):
            started = time.monotonic()
            try:
                call()
            except Exception as error:
                refused.append((type(error), str(error), time.monotonic() - started))
        done.set()

    with kravent.Module(LOCAL) as m, kravent.Module("127.0.0.2") as other:
        m.start_polling(["POSITION"], 10, callback)
        assert done.wait(60)
        m.stop_polling()
        assert other.read("KP") == {"KP": 1.5}
    assert m.callback_errors == []
    assert [(kind, text) for kind, text, _ in refused] == [
        (RuntimeError, f"{name}() waits for an answer, which cannot come while a kravent callback runs")
        for name in ("read", "read", "write", "command", "poll", "Module")]
    assert max(took for _, _, took in refused) < 0.5
