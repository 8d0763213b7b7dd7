"""The package's register table and records against the C sources they mirror."""

import ctypes
import re
from pathlib import Path

from kravent import REGISTERS
from kravent._records import ModuleScanRecord, RegisterValues

SOURCE = Path(__file__).resolve().parents[2]
C_TYPES = {"int32_t": ctypes.c_int32, "float": ctypes.c_float, "bool": ctypes.c_bool,
           "char": ctypes.c_ubyte, "uint8_t": ctypes.c_uint8}


def header_fields(structure):
    """(name, ctypes type, offset) of each field of `structure` in the public header."""
    header = (SOURCE / "include" / "Vorn-KRAVENT_DLLInterface.h").read_text()
    body = re.search(r"typedef struct %s \{(.*?)\} %s;" % (structure, structure), header, re.S).group(1)
    fields = []
    for kind, name, count, offset in re.findall(r"(\w+) (\w+)(?:\[(\d+)\])?;\s*/\*\s*(\d+)", body):
        fields.append((name, C_TYPES[kind] * int(count) if count else C_TYPES[kind], int(offset)))
    return fields


def python_fields(structure):
    return [(name, kind, getattr(structure, name).offset) for name, kind in structure._fields_]


def test_records_have_the_layout_of_the_c_header():
    for structure, size in ((RegisterValues, 520), (ModuleScanRecord, 72)):
        expected = header_fields(structure.__name__)
        actual = python_fields(structure)
        assert [(n, o) for n, _, o in actual] == [(n, o) for n, _, o in expected]
        for (name, kind, _), (_, c_kind, _) in zip(actual, expected):
            assert ctypes.sizeof(kind) == ctypes.sizeof(c_kind), name
            assert getattr(kind, "_type_", kind) == getattr(c_kind, "_type_", c_kind), name
        assert ctypes.sizeof(structure) == size


def test_register_table_matches_the_library():
    table = next(SOURCE.glob("*/register_map.h")).read_text()
    rows = re.findall(r'\{"(\w+)", 0x([0-9A-F]{2}), Encoding::(\w+), (true|false), (true|false), Write::(\w+)\}', table)
    assert len(rows) == 55
    assert [(r.name, r.address, r.encoding.name.replace("_", ""), r.readable, r.pollable, r.write.name)
            for r in REGISTERS] == [
        (n, int(a, 16), e.upper().replace("_", ""), rd == "true", p == "true", w.upper()) for n, a, e, rd, p, w in rows]
