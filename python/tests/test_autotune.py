"""Module.autotune runs the tool's experiment and hands back its proposal and figures."""

import pytest

import kravent

LOCAL = "127.0.0.1"
QUICK_PROFILE = ("--set", "ACCELERATION=100000000", "--set", "DECELERATION=100000000", "--set", "TOPSPEED=10000000")


def test_autotune_applies_the_gains_it_reports(simulator):
    simulator("--bind", LOCAL, *QUICK_PROFILE)
    with kravent.Module(LOCAL) as m:
        result = m.autotune(excursion=100, apply=True)
        assert (result.mode, result.rule, result.applied, result.saved) == ("position", "no-overshoot", True, False)
        assert result.found["KP"] == 1.5 and result.step == {"start": pytest.approx(0, abs=3), "target": 50}
        assert result.after["settling_s"] is not None and result.experiment_s < 20
        gains = m.read("KP", "KI", "KD", "ANTIRESETWINDUP")
        assert gains["KP"] == pytest.approx(result.proposed["KP"], rel=1e-5)
        assert gains["ANTIRESETWINDUP"] == result.proposed["ANTIRESETWINDUP"]


def test_autotune_refuses_bad_options_before_it_runs(simulator):
    simulator("--bind", LOCAL)
    with kravent.Module(LOCAL) as m:
        for options in ({"mode": "torque"}, {"rule": "slow"}, {"excursion": 1}, {"save": True}):
            with pytest.raises(ValueError):
                m.autotune(**options)
        assert m.read("KP")["KP"] == 1.5
