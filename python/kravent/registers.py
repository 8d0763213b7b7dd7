"""The module's registers: their names, access and value forms.

Values are given and returned in their natural Python form:

* 16.16 fixed-point registers (VOLTAGE, CURRENTMAX, OUPUTVOLTAGEMAX, KP, KI, KD): ``float``
* integer and byte registers: ``int``
* TYPE and VERSION: :class:`Halves` (``str()`` gives ``"2.2"``)
* WARNINGS, COMMUNICATIONOPTIONS, OPTIONS: :class:`Warnings` or :class:`Options`, flag sets
* IPADDRESS, SUBNETMASK: :class:`ipaddress.IPv4Address`
* ETHERNETMAC: text such as ``"02:4b:52:00:00:01"``
* MODULENAME: ``str`` of up to 16 characters
* HOMINGOPTIONS: :class:`HomingOptions`
"""

from __future__ import annotations

import enum
import ipaddress
import math
from dataclasses import dataclass
from typing import Any, Dict, List, NamedTuple, Optional


class Encoding(enum.Enum):
    """How a register's value travels and how the host holds it."""

    NONE = "none"  # commands
    BYTE = "byte"
    SIGNED32 = "signed32"
    FIXED16_16 = "fixed16_16"
    TWO_HALVES = "two_halves"
    BIT_SET = "bit_set"
    BYTE_LIST4 = "byte_list4"
    BYTE_LIST6 = "byte_list6"
    TEXT16 = "text16"
    HOMING_OPTIONS = "homing_options"


class Access(enum.Enum):
    """What a register accepts besides reading."""

    NO = "no"
    VALUE = "value"
    COMMAND = "command"


@dataclass(frozen=True)
class Register:
    """One register of the module."""

    name: str
    address: int
    encoding: Encoding
    readable: bool
    pollable: bool
    write: Access


_E = Encoding
# Ascending address order, as the library's own register table.
REGISTERS: List[Register] = [
    Register(n, a, e, r, p, w)
    for n, a, e, r, p, w in [
        ("TYPE", 0x00, _E.TWO_HALVES, True, False, Access.NO),
        ("VERSION", 0x01, _E.TWO_HALVES, True, False, Access.NO),
        ("RESETCPU", 0x02, _E.NONE, False, False, Access.COMMAND),
        ("SAVEUSERPARAMETERS", 0x03, _E.NONE, False, False, Access.COMMAND),
        ("RESTOREUSERPARAMETERS", 0x04, _E.NONE, False, False, Access.COMMAND),
        ("RESTOREFACTORYPARAMETERS", 0x05, _E.NONE, False, False, Access.COMMAND),
        ("SAVEFACTORYPARAMETERS", 0x06, _E.NONE, False, False, Access.COMMAND),
        ("VOLTAGE", 0x07, _E.FIXED16_16, True, True, Access.NO),
        ("WARNINGS", 0x08, _E.BIT_SET, True, True, Access.VALUE),
        ("COMMUNICATIONOPTIONS", 0x10, _E.BIT_SET, True, False, Access.VALUE),
        ("ETHERNETMAC", 0x11, _E.BYTE_LIST6, True, False, Access.NO),
        ("IPADDRESS", 0x12, _E.BYTE_LIST4, True, False, Access.VALUE),
        ("SUBNETMASK", 0x13, _E.BYTE_LIST4, True, False, Access.VALUE),
        ("TCPTIMEOUT", 0x14, _E.BYTE, True, False, Access.VALUE),
        ("MODULENAME", 0x15, _E.TEXT16, True, False, Access.VALUE),
        ("TCPCONNECTIONSOPENED", 0x1A, _E.BYTE, True, False, Access.NO),
        ("REGULATIONMODE", 0x20, _E.BYTE, True, True, Access.VALUE),
        ("INPUT", 0x21, _E.SIGNED32, True, True, Access.VALUE),
        ("INPUTOFFSET", 0x22, _E.SIGNED32, False, False, Access.VALUE),
        ("INPUTOFFSETMEASURED", 0x23, _E.SIGNED32, False, False, Access.VALUE),
        ("INPUTMIN", 0x24, _E.SIGNED32, True, False, Access.VALUE),
        ("INPUTMAX", 0x25, _E.SIGNED32, True, False, Access.VALUE),
        ("POSITION", 0x26, _E.SIGNED32, True, True, Access.VALUE),
        ("POSITIONOFFSET", 0x27, _E.SIGNED32, False, False, Access.VALUE),
        ("SPEED", 0x28, _E.SIGNED32, True, True, Access.NO),
        ("CURRENTMAX", 0x2A, _E.FIXED16_16, True, False, Access.VALUE),
        ("OPTIONS", 0x2C, _E.BIT_SET, True, False, Access.VALUE),
        ("LOOPTIME", 0x2D, _E.BYTE, True, False, Access.VALUE),
        ("OUPUTVOLTAGEMAX", 0x2E, _E.FIXED16_16, True, False, Access.VALUE),
        ("DESIRED", 0x30, _E.SIGNED32, True, True, Access.NO),
        ("FEEDBACK", 0x31, _E.SIGNED32, True, True, Access.NO),
        ("COMMAND", 0x32, _E.SIGNED32, True, True, Access.NO),
        ("KP", 0x33, _E.FIXED16_16, True, False, Access.VALUE),
        ("KI", 0x34, _E.FIXED16_16, True, False, Access.VALUE),
        ("KD", 0x35, _E.FIXED16_16, True, False, Access.VALUE),
        ("ANTIRESETWINDUP", 0x36, _E.SIGNED32, True, False, Access.VALUE),
        ("INTEGRALDELTA", 0x37, _E.SIGNED32, True, True, Access.VALUE),
        ("DERIVATIONOFDELTA", 0x38, _E.SIGNED32, True, True, Access.NO),
        ("ACCELERATION", 0x40, _E.SIGNED32, True, False, Access.VALUE),
        ("DECELERATION", 0x41, _E.SIGNED32, True, False, Access.VALUE),
        ("TOPSPEED", 0x42, _E.SIGNED32, True, False, Access.VALUE),
        ("DEADZONE", 0x43, _E.SIGNED32, True, False, Access.VALUE),
        ("HOMINGOPTIONS", 0x48, _E.HOMING_OPTIONS, True, False, Access.VALUE),
        ("HOMING", 0x49, _E.NONE, False, False, Access.COMMAND),
        ("STOPHOMING", 0x4A, _E.NONE, False, False, Access.COMMAND),
        ("HOMINGPOSITION", 0x4B, _E.SIGNED32, True, False, Access.VALUE),
        ("HOMINGINPUT", 0x4C, _E.SIGNED32, True, False, Access.VALUE),
        ("LIMIT1SETUP", 0x50, _E.SIGNED32, True, False, Access.VALUE),
        ("LIMIT1REGULATIONMODE", 0x51, _E.BYTE, True, False, Access.VALUE),
        ("LIMIT1POSITION", 0x52, _E.SIGNED32, True, False, Access.VALUE),
        ("LIMIT1XINPUT", 0x53, _E.SIGNED32, True, False, Access.VALUE),
        ("LIMIT2SETUP", 0x58, _E.SIGNED32, True, False, Access.VALUE),
        ("LIMIT2REGULATIONMODE", 0x59, _E.BYTE, True, False, Access.VALUE),
        ("LIMIT2POSITION", 0x5A, _E.SIGNED32, True, False, Access.VALUE),
        ("LIMIT2XINPUT", 0x5B, _E.SIGNED32, True, False, Access.VALUE),
    ]
]
BY_NAME: Dict[str, Register] = {r.name: r for r in REGISTERS}

# The commands of Module.command(): the command registers, and the warning reset.
RESET_WARNINGS = "RESET_WARNINGS"
COMMANDS = [r.name for r in REGISTERS if r.write is Access.COMMAND] + [RESET_WARNINGS]


def register(name: str) -> Register:
    """The register called ``name`` (any case); ``KeyError`` for an unknown name."""
    try:
        return BY_NAME[name.upper()]
    except KeyError:
        raise KeyError(f"no register called {name!r}") from None


class Halves(NamedTuple):
    """TYPE or VERSION: two 16-bit halves."""

    high: int
    low: int

    def __str__(self) -> str:
        return f"{self.high}.{self.low}"


class HomingOptions(NamedTuple):
    """The six fields of HOMINGOPTIONS: the nibbles hold 0 to 15."""

    nibble0: int
    bit7: bool
    nibble2: int
    nibble3: int
    nibble4: int
    nibble5: int


def _bit_names(named: Dict[int, str]) -> Dict[str, int]:
    return {named.get(bit, f"BIT{bit}"): 1 << bit for bit in range(32)}


Warnings = enum.IntFlag(  # type: ignore[misc]
    "Warnings", _bit_names({0: "LIMIT1", 1: "LIMIT2", 2: "OVERCURRENT", 3: "UNDERVOLTAGE"}), module=__name__
)
Warnings.__doc__ = "The WARNINGS bits (latched until reset with the RESET_WARNINGS command)."
Options = enum.IntFlag("Options", _bit_names({}), module=__name__)  # type: ignore[misc]
Options.__doc__ = "The bits of OPTIONS and COMMUNICATIONOPTIONS."

_FIXED_MIN = -32768.0
_FIXED_MAX = 32768.0 - 1.0 / 65536
_INT32_MIN, _INT32_MAX = -(2**31), 2**31 - 1
# Byte registers that the library itself checks more narrowly.
_BYTE_RANGES = {"TCPTIMEOUT": (0, 255), "REGULATIONMODE": (0, 5)}


def _integer(name: str, value: Any, low: int, high: int) -> int:
    if isinstance(value, bool) or not isinstance(value, int):
        raise TypeError(f"{name} takes an int, not {type(value).__name__}")
    if not low <= value <= high:
        raise ValueError(f"{name} must lie in {low} to {high}, not {value}")
    return int(value)


def _address(name: str, value: Any) -> List[int]:
    try:
        return list(ipaddress.IPv4Address(value).packed)
    except (ipaddress.AddressValueError, ValueError) as error:
        raise ValueError(f"{name} takes an IPv4 address: {error}") from None


def check_value(reg: Register, value: Any) -> Any:
    """Checks ``value`` for a write of ``reg`` and returns it in the form the library takes.

    Raises ``TypeError`` or ``ValueError``; nothing is sent for a value that fails.
    """
    name, e = reg.name, reg.encoding
    if e is Encoding.SIGNED32:
        return _integer(name, value, _INT32_MIN, _INT32_MAX)
    if e is Encoding.BYTE:
        return _integer(name, value, *_BYTE_RANGES.get(name, (0, 255)))
    if e is Encoding.FIXED16_16:
        if isinstance(value, bool) or not isinstance(value, (int, float)):
            raise TypeError(f"{name} takes a real number, not {type(value).__name__}")
        if not math.isfinite(value) or not _FIXED_MIN <= value <= _FIXED_MAX:
            raise ValueError(f"{name} must lie in {_FIXED_MIN} to {_FIXED_MAX}, not {value}")
        return float(value)
    if e is Encoding.BIT_SET:
        word = _integer(name, int(value) if isinstance(value, enum.IntFlag) else value, 0, 2**32 - 1)
        return [(word >> bit) & 1 for bit in range(32)]
    if e is Encoding.BYTE_LIST4:
        return _address(name, value)
    if e is Encoding.TEXT16:
        data = value.encode("latin-1") if isinstance(value, str) else value
        if not isinstance(data, (bytes, bytearray)):
            raise TypeError(f"{name} takes a str or bytes")
        if len(data) > 16:
            raise ValueError(f"{name} has at most 16 characters, not {len(data)}")
        return bytes(data).ljust(16, b"\0")
    if e is Encoding.HOMING_OPTIONS:
        fields = HomingOptions(*value)
        for field in ("nibble0", "nibble2", "nibble3", "nibble4", "nibble5"):
            _integer(f"{name}.{field}", getattr(fields, field), 0, 15)
        if not isinstance(fields.bit7, (bool, int)) or fields.bit7 not in (0, 1):
            raise ValueError(f"{name}.bit7 is a bool")
        return fields._replace(bit7=bool(fields.bit7))
    raise ValueError(f"{name} takes no value")


def from_host(reg: Register, fields: List[Any]) -> Any:
    """The Python form of a register's value fields as the record holds them."""
    e = reg.encoding
    if e in (Encoding.SIGNED32, Encoding.BYTE):
        return int(fields[0])
    if e is Encoding.FIXED16_16:
        return float(fields[0])
    if e is Encoding.TWO_HALVES:
        return Halves(int(fields[0]), int(fields[1]))
    if e is Encoding.BIT_SET:
        word = sum(1 << bit for bit, on in enumerate(fields[0]) if on)
        return Warnings(word) if reg.name == "WARNINGS" else Options(word)
    if e is Encoding.BYTE_LIST4:
        return ipaddress.IPv4Address(bytes(b & 0xFF for b in fields[0]))
    if e is Encoding.BYTE_LIST6:
        return ":".join(f"{b & 0xFF:02x}" for b in fields[0])
    if e is Encoding.TEXT16:
        return bytes(fields[0]).rstrip(b"\0").decode("latin-1")
    if e is Encoding.HOMING_OPTIONS:
        n0, bit7, n2, n3, n4, n5 = fields
        return HomingOptions(int(n0), bool(bit7), int(n2), int(n3), int(n4), int(n5))
    return None


def readable(name: str, pollable: Optional[bool] = None) -> Register:
    """The readable register ``name``; with ``pollable`` true, one that can be polled."""
    reg = register(name)
    if not reg.readable:
        raise ValueError(f"{reg.name} cannot be read")
    if pollable and not reg.pollable:
        pollable_names = ", ".join(r.name for r in REGISTERS if r.pollable)
        raise ValueError(f"{reg.name} cannot be polled; these can: {pollable_names}")
    return reg
