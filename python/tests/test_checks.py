"""What the package refuses or words itself, before anything reaches the library."""

import pytest

from kravent import KraventError
from kravent.network import _mac_bytes
from kravent.registers import check_value, register


def test_mac_text_has_exactly_two_hex_digits_per_octet():
    assert _mac_bytes("02:4b:52:00:00:0A") == [2, 0x4B, 0x52, 0, 0, 10]
    assert _mac_bytes("02-4B-52-00-00-0a") == [2, 0x4B, 0x52, 0, 0, 10]
    for bad in (" 2:4b:52:00:00:07", "+2:4b:52:00:00:07", "02:4b:52:00:00:0x", "02:4b:52:00:00:_7",
                "02:4b:52:00:00:\u0661\u0662", "02:4b:52:00:00:07\n", "02:4b:52:00:00", "02:4b:52:00:00:007"):
        with pytest.raises(ValueError) as refused:
            _mac_bytes(bad)
        assert repr(bad) in str(refused.value)


def test_ip_text_has_only_decimal_digits():
    for bad in ("10.0.0. 1", "10.0.0.+1", "10.0.0.1_0", "10.0.0.\u0661", "10.0.0.1\n"):
        with pytest.raises(ValueError) as refused:
            check_value(register("IPADDRESS"), bad)
        assert repr(bad) in str(refused.value)


def test_no_message_ends_in_the_librarys_no_error():
    # The library's last error says "No Error" when it recorded no failure.
    assert str(KraventError("no answer from 127.0.0.1 within 2 s", "No Error")) == "no answer from 127.0.0.1 within 2 s"
    assert str(KraventError("cannot read KP (127.0.0.1)", "Send failed\t(SendData)")) == \
        "cannot read KP (127.0.0.1): Send failed (SendData)"
