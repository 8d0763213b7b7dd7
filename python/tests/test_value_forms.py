"""The package's value forms and ranges against the C++ value-text codec's table."""

import json
import math
import os
import subprocess
from pathlib import Path

import pytest

from kravent import REGISTERS
from kravent.registers import Encoding, HomingOptions, Options, Warnings, check_value

SOURCE = Path(__file__).resolve().parents[2]
TABLE_PROGRAM = os.environ.get("KRAVENT_VALUE_TEXT_TABLE",
                               str(SOURCE / "build" / "tests" / "value_text" / "value_text_table"))


@pytest.fixture(scope="module")
def table():
    return json.loads(subprocess.run([TABLE_PROGRAM], check=True, capture_output=True, text=True).stdout)


def refused(reg, value):
    with pytest.raises(ValueError):
        check_value(reg, value)


def test_encodings_are_the_codecs(table):
    assert [(r.name, r.encoding.name.replace("_", "")) for r in REGISTERS] == [
        (t["name"], t["encoding"].upper().replace("_", "")) for t in table["registers"]]


def test_writes_take_the_codecs_ranges(table):
    low, high = table["fixed"]
    for reg, row in zip(REGISTERS, table["registers"]):
        if reg.encoding in (Encoding.BYTE, Encoding.SIGNED32):
            first, last = row["range"]
            assert check_value(reg, first) == first and check_value(reg, last) == last, reg.name
            refused(reg, first - 1)
            refused(reg, last + 1)
        elif reg.encoding is Encoding.FIXED16_16:
            assert check_value(reg, low) == low and check_value(reg, high) == high, reg.name
            refused(reg, math.nextafter(low, -math.inf))
            refused(reg, math.nextafter(high, math.inf))


def test_bits_homing_fields_and_text_as_the_codec_names_them(table):
    rows = {row["name"]: row for row in table["registers"]}
    assert [Warnings(1 << bit).name.lower() for bit in range(32)] == rows["WARNINGS"]["bits"]
    for name in ("OPTIONS", "COMMUNICATIONOPTIONS"):
        assert [Options(1 << bit).name.lower() for bit in range(32)] == rows[name]["bits"]
    assert list(HomingOptions._fields) == table["homing_fields"]
    homing = next(r for r in REGISTERS if r.encoding is Encoding.HOMING_OPTIONS)
    top = table["nibble_max"]
    check_value(homing, (top, True, top, top, top, top))
    refused(homing, (top + 1, False, 0, 0, 0, 0))
    text = next(r for r in REGISTERS if r.encoding is Encoding.TEXT16)
    assert len(check_value(text, "x" * table["text_length"])) == table["text_length"]
    refused(text, "x" * (table["text_length"] + 1))
