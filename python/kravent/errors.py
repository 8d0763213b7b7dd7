"""The exceptions of the package."""

from __future__ import annotations

import socket
from typing import Optional


NO_ERROR = "No Error"  # the library's last error while it has recorded no failure


def _shown(text: str) -> str:
    # Library messages end with a tab and the reporting function in parentheses.
    return text.replace("\t", " ")


class KraventError(Exception):
    """A failure reported by the library.

    ``last_error`` is the library's last-error text at the time (shown in the message
    unless it is "No Error"); ``cause`` is what the error log recorded before it for the
    same failure, when that says more (for example why a module test failed), else ``None``.
    """

    def __init__(self, message: str, last_error: str = "", cause: Optional[str] = None, *,
                 library_text_shown: bool = True) -> None:
        self.message = message
        self.last_error = last_error
        self.cause = cause
        text = message
        if library_text_shown and last_error and last_error != NO_ERROR:
            text += f": {_shown(last_error)}"
        if library_text_shown and cause:
            text += f" (cause: {_shown(cause)})"
        super().__init__(text)


class KraventConnectionError(KraventError, ConnectionError):
    """A connection could not be opened, or is gone."""


class KraventTimeoutError(KraventError, TimeoutError):
    """A module did not answer in time."""


# Opening a module: a failure says which step failed and what to try; the library's own
# words stay in ``last_error`` and ``cause``.
MODULE_TEST_PORT = 7010
_NOT_FOUND = "Address IP not found on the network"
_OTHER_TYPE = "This module is not compatible with this DLL"


def route_source(ip: str) -> Optional[str]:
    """The address this machine would send to ``ip`` from, or ``None`` without a route.

    Connecting a datagram socket sends nothing: the system only picks the route.
    """
    try:
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
            probe.connect((ip, MODULE_TEST_PORT))
            return probe.getsockname()[0]
    except OSError:
        return None


def no_route_error(ip: str) -> "KraventConnectionError":
    return KraventConnectionError(
        f"no route or interface towards {ip}: check the address, and this machine's addresses and routes "
        "(ip address, ip route)")


def open_refused_error(ip: str, last_error: str, cause: Optional[str], source: str) -> "KraventConnectionError":
    """The library refused the open: why, from the causes it logged."""
    logged = [c.split("\t")[0] for c in (cause or "").split("; ")]
    if _OTHER_TYPE in logged:
        text = (f"a module answered at {ip} but is of another type (not TYPE 2.2, the type this library serves): "
                "check that the address is the module's (kravent.scan() lists each module with its type)")
    elif _NOT_FOUND in logged:
        text = (f"nothing answered the module test on UDP 7010 at {ip} in time: run `kravent scan` (or "
                f"kravent.scan()) to list the modules and their addresses, and check that {ip} is on this "
                f"machine's subnet (this machine would send to it from {source})")
    else:
        text = f"cannot open a connection to {ip}"
    return KraventConnectionError(text, last_error, cause, library_text_shown=False)


def tcp_failure_error(ip: str, what: str) -> "KraventConnectionError":
    return KraventConnectionError(
        f"TCP 8010 at {ip} refused or did not connect (the connection {what}). The module answered on UDP 7010: "
        "check that it accepts a connection (it may hold another host's) and try again")


class KraventConnectionLost(KraventConnectionError):
    """The link failed while a request waited for its answer, or before it was sent.

    The request is never sent again by itself: after a reconnect the module may be in
    another state, and only the caller can tell whether the request still applies."""
