"""Python interface of Vorn-KRAVENT_DLLInterface, the host library of KRAVENT
DC-motor controller modules (distribution ``vorn-kravent``).

>>> import kravent
>>> with kravent.Module("127.0.0.1") as m:
...     m.write(KP=1.5)
...     m.read("KP", "VOLTAGE")
{'KP': 1.5, 'VOLTAGE': 24.0}

The shared library is looked up through ``VORN_KRAVENT_LIBRARY`` (a file path), then
beside this package (where the wheel puts it), then on the system's library path.
``kravent.aio`` is the same for asyncio programs; ``kravent.testing`` is a pytest plugin
whose fixture ``kravent_module`` runs kravent-sim for a test.
"""

from ._autotune import AutotuneResult
from .errors import KraventConnectionError, KraventConnectionLost, KraventError, KraventTimeoutError
from .module import LinkState, Module, Sample
from .network import ModuleInfo, change_ip, last_error, scan, version
from .registers import COMMANDS, REGISTERS, Halves, HomingOptions, Options, Register, Warnings

__version__ = "1.0.0"
__all__ = [
    "AutotuneResult", "COMMANDS", "REGISTERS", "Halves", "HomingOptions", "KraventConnectionError", "KraventConnectionLost",
    "KraventError", "KraventTimeoutError", "LinkState", "Module", "ModuleInfo", "Options", "Register", "Sample", "Warnings",
    "change_ip", "last_error", "scan", "version",
]
