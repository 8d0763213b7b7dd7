"""The records the library shares with its host, as ctypes structures.

``RegisterValues`` is derived from the register table by the rule the C header follows:
per register in address order, when it can be read, its value fields and ``_Received``,
then ``_Written`` when it can be written. A test holds both against the header's layout.
"""

from __future__ import annotations

import ctypes
from typing import Any, List, Tuple

from .registers import REGISTERS, Access, Encoding, Register

_c_bool = ctypes.c_bool
_int32 = ctypes.c_int32

_VALUE_FIELDS = {
    Encoding.NONE: [],
    Encoding.BYTE: [("Value", _int32)],
    Encoding.SIGNED32: [("Value", _int32)],
    Encoding.FIXED16_16: [("Value", ctypes.c_float)],
    Encoding.TWO_HALVES: [("ValueHigh", _int32), ("ValueLow", _int32)],
    Encoding.BIT_SET: [("Bits", _c_bool * 32)],
    Encoding.BYTE_LIST4: [("Bytes", _int32 * 4)],
    Encoding.BYTE_LIST6: [("Bytes", _int32 * 6)],
    Encoding.TEXT16: [("Text", ctypes.c_ubyte * 16)],
    Encoding.HOMING_OPTIONS: [
        ("HomingNibble0", _int32),
        ("HomingBit7", _c_bool),
        ("HomingNibble2", _int32),
        ("HomingNibble3", _int32),
        ("HomingNibble4", _int32),
        ("HomingNibble5", _int32),
    ],
}


def value_field_names(reg: Register) -> List[str]:
    """The record fields that hold the value of ``reg``."""
    return [f"{reg.name}_{suffix}" for suffix, _ in _VALUE_FIELDS[reg.encoding]]


def _register_values_fields() -> List[Tuple[str, Any]]:
    fields: List[Tuple[str, Any]] = []
    for reg in REGISTERS:
        if reg.readable:
            fields += [(f"{reg.name}_{suffix}", kind) for suffix, kind in _VALUE_FIELDS[reg.encoding]]
            fields.append((f"{reg.name}_Received", _c_bool))
        if reg.write is not Access.NO:
            fields.append((f"{reg.name}_Written", _c_bool))
    return fields + [("Reserved", ctypes.c_uint8 * 2)]


class RegisterValues(ctypes.Structure):
    """The 520-byte record of register values that every answer delivers."""

    _fields_ = _register_values_fields()


class ModuleScanRecord(ctypes.Structure):
    """One module found by a scan (72 bytes)."""

    _fields_ = [
        ("TypeHigh", _int32),
        ("TypeLow", _int32),
        ("VersionHigh", _int32),
        ("VersionLow", _int32),
        ("ModuleMac", _int32 * 6),
        ("ModuleIP", _int32 * 4),
        ("ModuleName", ctypes.c_ubyte * 16),
    ]


def field_values(record: RegisterValues, reg: Register) -> List[Any]:
    """The raw value fields of ``reg`` in ``record``."""
    return [getattr(record, name) for name in value_field_names(reg)]
