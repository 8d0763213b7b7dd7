"""The exceptions of the package."""

from __future__ import annotations

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

    def __init__(self, message: str, last_error: str = "", cause: Optional[str] = None) -> None:
        self.message = message
        self.last_error = last_error
        self.cause = cause
        text = message
        if last_error and last_error != NO_ERROR:
            text += f": {_shown(last_error)}"
        if cause:
            text += f" (cause: {_shown(cause)})"
        super().__init__(text)


class KraventConnectionError(KraventError, ConnectionError):
    """A connection could not be opened, or is gone."""


class KraventTimeoutError(KraventError, TimeoutError):
    """A module did not answer in time."""


class KraventConnectionLost(KraventConnectionError):
    """The link failed while a request waited for its answer, or before it was sent.

    The request is never sent again by itself: after a reconnect the module may be in
    another state, and only the caller can tell whether the request still applies."""
