"""Finding and loading the shared library, and the prototypes of its functions."""

from __future__ import annotations

import ctypes
import ctypes.util
import os
import struct
import sys
from pathlib import Path
from typing import Any, List, Optional

from ._records import ModuleScanRecord, RegisterValues
from .registers import REGISTERS, Access, Encoding

LIBRARY_VARIABLE = "VORN_KRAVENT_LIBRARY"
_WINDOWS = sys.platform == "win32"
_FILE_NAME = "Vorn-KRAVENT_DLLInterface.dll" if _WINDOWS else "libVorn-KRAVENT_DLLInterface.so"
_SONAME = _FILE_NAME if _WINDOWS else _FILE_NAME + ".1"

# The host callbacks, with the C calling convention (cdecl on 32-bit Windows).
DataCallback = ctypes.CFUNCTYPE(None, ctypes.POINTER(RegisterValues), ctypes.c_void_p)
EventCallback = ctypes.CFUNCTYPE(None, ctypes.c_int32, ctypes.c_void_p)


def _candidates() -> List[str]:
    chosen = os.environ.get(LIBRARY_VARIABLE)
    if chosen:
        return [chosen]  # named explicitly: nothing else is tried
    here = Path(__file__).resolve().parent
    found = []
    if _WINDOWS:
        # A package may carry both DLLs; the interpreter's width picks one.
        width = "x64" if struct.calcsize("P") == 8 else "x86"
        found.append(str(here / width / _FILE_NAME))
    found += [str(here / _SONAME), str(here / _FILE_NAME)]
    return [path for path in found if os.path.exists(path)] + [_SONAME]


def _load() -> ctypes.CDLL:
    errors = []
    for candidate in _candidates():
        try:
            return ctypes.CDLL(candidate)
        except OSError as error:
            errors.append(f"{candidate}: {error}")
    raise ImportError(
        f"cannot load {_FILE_NAME} (set {LIBRARY_VARIABLE} to its path, or install it where the "
        "system finds libraries): " + "; ".join(errors)
    )


class Library:
    """The loaded library with typed functions; ``library.Vorn_KRAVENT_X(...)``."""

    def __init__(self) -> None:
        self.cdll = _load()
        self._path: Optional[str] = None
        self._declare()

    def function(self, name: str) -> Any:
        # The 32-bit DLL exports its cdecl names only, with the leading underscore.
        try:
            return getattr(self.cdll, name)
        except AttributeError:
            return getattr(self.cdll, "_" + name)

    def _define(self, name: str, result: Any, *arguments: Any) -> None:
        function = self.function(name)
        function.restype = result
        function.argtypes = list(arguments)
        setattr(self, name, function)

    def _declare(self) -> None:
        b, i32, com = ctypes.c_bool, ctypes.c_int32, ctypes.c_void_p
        ints = ctypes.POINTER(i32)
        self._define("Vorn_KRAVENT_ScanNetwork", i32, ctypes.POINTER(ModuleScanRecord), i32)
        self._define("Vorn_KRAVENT_ChangeIPAddress", b, ints, ints, ints)
        self._define("Vorn_KRAVENT_OpenConnection_MAINPORT", b, ints, DataCallback, EventCallback,
                     ctypes.POINTER(com))
        self._define("Vorn_KRAVENT_CloseConnection", b, ctypes.POINTER(com))
        self._define("Vorn_KRAVENT_GetStateCommunication", i32, com)
        for name in ("Read_AllRegister", "ResetAllRegisterRead", "SendData_MAINPORT", "RepetitiveAskStart",
                     "RepetitiveAskStop", "RepetitiveAskReset", "Reset_WARNINGS"):
            self._define("Vorn_KRAVENT_" + name, b, com)
        self._define("Vorn_KRAVENT_RepetitiveAskSetTime", b, i32, com)
        self._define("Vorn_KRAVENT_VersionDLL", None, ctypes.c_char_p, ctypes.POINTER(i32))
        self._define("Vorn_KRAVENT_GetLastError", None, ctypes.c_char_p, ctypes.POINTER(i32))
        value_types = {
            Encoding.NONE: [],
            Encoding.BYTE: [i32],
            Encoding.SIGNED32: [i32],
            Encoding.FIXED16_16: [ctypes.c_float],
            Encoding.BIT_SET: [ctypes.POINTER(ctypes.c_uint8)],
            Encoding.BYTE_LIST4: [ints],
            Encoding.TEXT16: [ctypes.c_char_p],
            Encoding.HOMING_OPTIONS: [i32, b, i32, i32, i32, i32],
        }
        for reg in REGISTERS:
            if reg.readable:
                self._define(f"Vorn_KRAVENT_Read_{reg.name}", b, *([b] if reg.pollable else []), com)
            if reg.write is not Access.NO and reg.name != "WARNINGS":
                self._define(f"Vorn_KRAVENT_Write_{reg.name}", b, *value_types[reg.encoding], com)

    def text(self, name: str) -> str:
        """The text that VersionDLL or GetLastError copies out."""
        buffer = ctypes.create_string_buffer(1024)
        length = ctypes.c_int32(len(buffer))
        getattr(self, name)(buffer, ctypes.byref(length))
        return buffer.raw[: length.value].decode("latin-1")

    def last_error(self) -> str:
        return self.text("Vorn_KRAVENT_GetLastError")

    def path(self) -> Optional[str]:
        """The file the library was loaded from, as the system resolved it."""
        if self._path is None:
            self._path = self._find_path()
        return self._path

    def _find_path(self) -> Optional[str]:
        if _WINDOWS:
            buffer = ctypes.create_unicode_buffer(1024)
            kernel32 = ctypes.WinDLL("kernel32", use_last_error=True)  # type: ignore[attr-defined]
            kernel32.GetModuleFileNameW.argtypes = [ctypes.c_void_p, ctypes.c_wchar_p, ctypes.c_uint32]
            length = kernel32.GetModuleFileNameW(self.cdll._handle, buffer, len(buffer))
            return buffer.value if length else None
        try:
            with open("/proc/self/maps", encoding="utf-8", errors="replace") as maps:
                for line in maps:
                    path = line.rstrip("\n").split(None, 5)[-1]
                    if os.path.basename(path).startswith(_FILE_NAME):
                        return path
        except OSError:
            pass
        return None


_library: Optional[Library] = None


def library() -> Library:
    """The library, loaded on first use."""
    global _library
    if _library is None:
        _library = Library()
    return _library
