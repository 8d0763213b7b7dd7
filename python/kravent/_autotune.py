"""Gains found by experiment (``Module.autotune``).

The experiment, its safety stops, the identification of the motor and the design of the
gains are those of the ``kravent`` tool's ``autotune`` command, which this runs on a
connection of its own and reads back as JSON: there is one method, not a copy of it.
The tool is looked up through ``KRAVENT_TOOL`` (a file path), then beside the library
(the Windows package), in the package's ``bin`` folder (the wheel), in the ``bin``
folder of the library's install prefix, in the
build tree's ``cli`` folder, and on ``PATH``.
"""

from __future__ import annotations

import json
import os
import shutil
import signal
import subprocess
import sys
from pathlib import Path
from typing import Any, Dict, List, NamedTuple, Optional

from ._library import library
from .errors import KraventError, KraventTimeoutError

TOOL_VARIABLE = "KRAVENT_TOOL"
MODES = ("position", "speed")
RULES = ("no-overshoot", "fast")
_WINDOWS = sys.platform == "win32"
_TOOL = "kravent.exe" if _WINDOWS else "kravent"
_STOP_WAIT = 30.0  # seconds the tool may take to put the module's settings back


class AutotuneResult(NamedTuple):
    """What ``kravent autotune --json`` reports: the motor found, the gains found and
    proposed (``KP``, ``KI``, ``KD``, ``ANTIRESETWINDUP``), and the figures of the step
    under each (``rise_s``, ``overshoot_percent``, ``settling_s``, ``final_error``;
    ``None`` for a time never reached)."""

    mode: str
    rule: str
    motor: Dict[str, float]  # gain, time_constant_s, friction, intervals, residual
    loop_time_ms: int
    crossover: float  # rad/s
    found: Dict[str, float]
    proposed: Dict[str, float]
    step: Dict[str, float]  # start, target
    before: Dict[str, Optional[float]]
    after: Dict[str, Optional[float]]
    experiment_s: float
    applied: bool
    saved: bool


def find_tool() -> str:
    """The path of the ``kravent`` program that ``Module.autotune`` runs."""
    chosen = os.environ.get(TOOL_VARIABLE)
    if chosen:
        return chosen
    candidates: List[Path] = []
    loaded = library().path()
    if loaded:
        here = Path(loaded).resolve().parent
        candidates += [here / _TOOL, here / "bin" / _TOOL, here.parent / "bin" / _TOOL, here.parent.parent / "bin" / _TOOL,
                       here.parent / "cli" / _TOOL]
    for candidate in candidates:
        if candidate.is_file() and os.access(candidate, os.X_OK):
            return str(candidate)
    found = shutil.which(_TOOL)
    if found:
        return found
    raise KraventError(f"cannot find the kravent tool (set {TOOL_VARIABLE} to its path)")


def _arguments(ip: str, mode: str, excursion: Optional[int], rule: Optional[str], apply: bool, save: bool,
               plot: Optional[str]) -> List[str]:
    if mode not in MODES:
        raise ValueError(f"mode must be one of {', '.join(MODES)}, not {mode!r}")
    if rule is not None and rule not in RULES:
        raise ValueError(f"rule must be one of {', '.join(RULES)}, not {rule!r}")
    if excursion is not None and (isinstance(excursion, bool) or not isinstance(excursion, int)
                                  or not 20 <= excursion <= 2**31 - 1):
        raise ValueError(f"excursion must be a whole number of counts from 20, not {excursion!r}")
    if save and not apply:
        raise ValueError("save saves the gains that apply writes: give both")
    args = ["autotune", ip, "--json", "--mode", mode]
    args += ["--excursion", str(excursion)] if excursion is not None else []
    args += ["--rule", rule] if rule is not None else []
    args += ["--apply"] if apply else []
    args += ["--save"] if save else []
    args += ["--plot", str(plot)] if plot is not None else []
    return args


def _stop(process: "subprocess.Popen[str]") -> None:
    # As Ctrl-C would: the tool ends the experiment and puts back what it found.
    process.send_signal(signal.CTRL_BREAK_EVENT if _WINDOWS else signal.SIGINT)  # type: ignore[attr-defined]
    try:
        process.communicate(timeout=_STOP_WAIT)
    except subprocess.TimeoutExpired:
        process.kill()
        process.communicate()


def _failure(stderr: str, status: int) -> KraventError:
    for line in reversed(stderr.splitlines()):
        try:
            report: Dict[str, Any] = json.loads(line)
        except ValueError:
            continue
        if "error" in report:
            causes = report.get("causes") or []
            return KraventError(report["error"], report.get("lastError") or "", causes[-1] if causes else None)
        if "summary" in report:
            return KraventError(f"autotune: {report.get('text', '')}")
    return KraventError(f"kravent autotune ended with status {status}: {stderr.strip()}")


def run_autotune(ip: str, mode: str = "position", excursion: Optional[int] = None, rule: Optional[str] = None,
                 apply: bool = False, save: bool = False, plot: Optional[str] = None,
                 timeout: float = 120.0) -> AutotuneResult:
    """Runs the experiment on the module at ``ip``; see ``Module.autotune``."""
    command = [find_tool(), *_arguments(ip, mode, excursion, rule, apply, save, plot)]
    flags = subprocess.CREATE_NEW_PROCESS_GROUP if _WINDOWS else 0  # type: ignore[attr-defined]
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                               creationflags=flags)
    try:
        out, err = process.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        _stop(process)
        raise KraventTimeoutError(f"kravent autotune took longer than {timeout} s") from None
    except BaseException:  # KeyboardInterrupt above all: the module gets its settings back first
        _stop(process)
        raise
    if process.returncode != 0:
        raise _failure(err, process.returncode)
    report = json.loads(out.splitlines()[-1])
    return AutotuneResult(**{field: report[field] for field in AutotuneResult._fields})
