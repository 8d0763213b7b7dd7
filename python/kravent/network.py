"""Services that need no connection: the scan, the address change, the version."""

from __future__ import annotations

import ctypes
import ipaddress
import re
from typing import List, NamedTuple, Union

from ._library import library
from ._log import LogWatch, log_path
from ._records import ModuleScanRecord
from .errors import KraventError
from .registers import Halves

Address = Union[str, ipaddress.IPv4Address]


class ModuleInfo(NamedTuple):
    """One module that answered a scan."""

    mac: str
    ip: ipaddress.IPv4Address  # the address the answer came from
    type: Halves
    version: Halves
    name: str


def version() -> str:
    """The library's version text, e.g. ``Vorn-KRAVENT_DLLInterface_v1.00.00_140807``."""
    return library().text("Vorn_KRAVENT_VersionDLL")


def last_error() -> str:
    """The library's last-error text ("No Error" until the first failure)."""
    return library().last_error()


def scan(capacity: int = 64) -> List[ModuleInfo]:
    """Broadcasts a scan on every network interface and lists the modules that answer
    (at most ``capacity``). Takes at least 200 ms."""
    records = (ModuleScanRecord * capacity)()
    found = library().Vorn_KRAVENT_ScanNetwork(records, capacity)
    return [
        ModuleInfo(
            mac=":".join(f"{b & 0xFF:02x}" for b in r.ModuleMac),
            ip=ipaddress.IPv4Address(bytes(b & 0xFF for b in r.ModuleIP)),
            type=Halves(r.TypeHigh, r.TypeLow),
            version=Halves(r.VersionHigh, r.VersionLow),
            name=bytes(r.ModuleName).rstrip(b"\0").decode("latin-1"),
        )
        for r in records[: max(0, min(found, capacity))]
    ]


# int() would also take " 2", "+2", "0x" prefixes, "_" and non-ASCII digits.
_MAC = re.compile(r"(?:[0-9A-Fa-f]{2}[:-]){5}[0-9A-Fa-f]{2}")


def _mac_bytes(mac: str) -> List[int]:
    if not isinstance(mac, str) or not _MAC.fullmatch(mac):
        raise ValueError(f"a MAC address is written xx:xx:xx:xx:xx:xx, not {mac!r}")
    return list(bytes.fromhex(mac.replace("-", "").replace(":", "")))


def change_ip(mac: str, ip: Address, mask: Address) -> None:
    """Gives the module with MAC address ``mac`` the address ``ip`` and subnet ``mask``
    (UDP broadcast; the library first checks that nothing answers at ``ip``)."""
    lib = library()
    arrays = [(ctypes.c_int32 * n)(*values) for n, values in (
        (6, _mac_bytes(mac)),
        (4, ipaddress.IPv4Address(ip).packed),
        (4, ipaddress.IPv4Address(mask).packed),
    )]
    watch = LogWatch(log_path(lib.path()))
    if not lib.Vorn_KRAVENT_ChangeIPAddress(*arrays):
        last = lib.last_error()
        raise KraventError(f"cannot give {mac} the address {ip}", last, watch.cause(last))
