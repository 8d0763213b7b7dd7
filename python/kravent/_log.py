"""Reading back what the library's error log recorded during one call.

The log lies where the library writes it: in the directory that VORN_KRAVENT_LOG_DIR
names; else beside the library when that directory is writable; else (Linux) in
$XDG_STATE_HOME/Vorn-KRAVENT_DLLInterface or ~/.local/state/Vorn-KRAVENT_DLLInterface.
"""

from __future__ import annotations

import os
import sys
from pathlib import Path
from typing import List, Optional

LOG_DIRECTORY_VARIABLE = "VORN_KRAVENT_LOG_DIR"
_LOG_FILE = "Error_Vorn-KRAVENT_DLLInterface.log"
_PRODUCT = "Vorn-KRAVENT_DLLInterface"


def log_path(library_path: Optional[str]) -> Optional[Path]:
    """The error log of the library loaded from ``library_path``."""
    if library_path is None:
        return None
    beside = Path(library_path).parent
    if sys.platform == "win32":
        return beside / _LOG_FILE
    chosen = os.environ.get(LOG_DIRECTORY_VARIABLE)
    if chosen:
        return Path(chosen) / _LOG_FILE
    if os.access(beside, os.W_OK):
        return beside / _LOG_FILE
    state = os.environ.get("XDG_STATE_HOME", "")
    base = Path(state) if state.startswith("/") else Path.home() / ".local" / "state"
    return base / _PRODUCT / _LOG_FILE


class LogWatch:
    """Remembers the end of the log, to read the records that follow it."""

    def __init__(self, path: Optional[Path]) -> None:
        self.path = path
        self.start = self._size()

    def _size(self) -> int:
        try:
            return self.path.stat().st_size if self.path else 0
        except OSError:
            return 0

    def messages(self, ip_text: Optional[str] = None) -> List[str]:
        """Messages of the records written since, those for ``ip_text`` only if given."""
        if self.path is None:
            return []
        try:
            with open(self.path, "rb") as log:
                log.seek(self.start)
                new = log.read().decode("latin-1")
        except OSError:
            return []
        found = []
        for record in new.split("\r\n\r\n"):
            fields = record.split("\t", 3)  # date, time, address field, message
            if len(fields) == 4 and (ip_text is None or fields[2].strip() == ip_text):
                found.append(fields[3])
        return found

    def cause(self, last_error: str, ip_text: Optional[str] = None) -> Optional[str]:
        """The records before ``last_error``, joined: what led to it."""
        earlier = [m for m in self.messages(ip_text) if m != last_error]
        return "; ".join(earlier) if earlier else None
