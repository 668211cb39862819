"""Finding libponderix.so, declaring its functions and calling them."""

from __future__ import annotations

import ctypes
import os
import sys
import sysconfig
import threading
from ctypes import POINTER, c_char_p, c_int32, c_size_t, c_uint32, c_void_p
from pathlib import Path
from typing import Any, Callable, Iterator, Optional

LIBRARY_NAME = "libponderix.so"
TEXT_SIZE = 256  # PDX_TEXT_SIZE: every text read from a scale fits

CORRECT = 0
INCORRECT_ARGUMENTS = 3
ENGLISH = 2
RUSSIAN = 1


class LibraryNotFound(ImportError):
    """libponderix.so could not be found or loaded."""


class Reading(ctypes.Structure):
    _fields_ = [
        ("net", ctypes.c_int64),
        ("tare", ctypes.c_int64),
        ("decimals", c_int32),
        ("unit", c_int32),
        ("has_tare", c_int32),
        ("stable", c_int32),
        ("zero", c_int32),
        ("overload", c_int32),
    ]


_size_p = POINTER(c_size_t)
_TEXT_OUT = [ctypes.c_char_p, c_size_t, _size_p]
_HANDLE = [c_void_p]

# Each function's arguments before its text output, and whether it ends with one.
_SIGNATURES: dict[str, tuple[list[Any], bool]] = {
    "pdx_version": ([], True),
    "pdx_error_name": ([c_int32], True),
    "pdx_error_description": ([c_int32, c_int32], True),
    "pdx_create": ([POINTER(c_void_p)], False),
    "pdx_destroy": (_HANDLE, False),
    "pdx_open_logic_device": (_HANDLE + [c_uint32], False),
    "pdx_open_current": (_HANDLE, False),
    "pdx_open_end_point": (_HANDLE + [c_char_p, c_char_p, c_char_p, c_uint32], False),
    "pdx_close": (_HANDLE, False),
    "pdx_is_open": (_HANDLE + [POINTER(c_int32)], False),
    "pdx_protocol": (_HANDLE, True),
    "pdx_read": (_HANDLE + [POINTER(Reading)], False),
    "pdx_tare": (_HANDLE, False),
    "pdx_zero": (_HANDLE, False),
    "pdx_specify_tare": (_HANDLE + [c_uint32], False),
    "pdx_setting_get": (_HANDLE + [c_int32], True),
    "pdx_setting_set": (_HANDLE + [c_int32, c_char_p], False),
    "pdx_setting_list": ([POINTER(c_int32), c_size_t, _size_p], False),
    "pdx_setting_name": ([c_int32], True),
    "pdx_setting_from_name": ([c_char_p, POINTER(c_int32)], False),
    "pdx_calibrate_zero": (_HANDLE, False),
    "pdx_calibrate_weight": (_HANDLE + [c_uint32], False),
    "pdx_calibration_count": (_HANDLE + [POINTER(c_uint32)], False),
    "pdx_logic_device_list": ([POINTER(c_uint32), c_size_t, _size_p], False),
    "pdx_logic_device_add": ([POINTER(c_uint32)], False),
    "pdx_logic_device_delete": ([c_uint32], False),
    "pdx_logic_device_get": ([c_uint32, c_int32], True),
    "pdx_logic_device_set": ([c_uint32, c_int32, c_char_p], False),
    "pdx_logic_device_current": ([POINTER(c_uint32)], False),
    "pdx_logic_device_use": ([c_uint32], False),
}


def _candidates() -> Iterator[str]:
    yield str(Path(__file__).resolve().parent / LIBRARY_NAME)
    multiarch = sysconfig.get_config_var("MULTIARCH")
    for prefix in dict.fromkeys([sys.prefix, sys.base_prefix, "/usr"]):
        yield os.path.join(prefix, "lib", "ponderix", LIBRARY_NAME)
        if multiarch:
            yield os.path.join(prefix, "lib", multiarch, "ponderix", LIBRARY_NAME)


def _load() -> ctypes.CDLL:
    chosen = os.environ.get("PONDERIX_LIBRARY")
    if chosen:
        try:
            return ctypes.CDLL(os.path.realpath(chosen) if os.path.exists(chosen) else chosen)
        except OSError as error:
            raise LibraryNotFound(f"PONDERIX_LIBRARY={chosen} cannot be loaded: {error}") from error
    for path in _candidates():
        if os.path.exists(path):
            try:
                # Through a link, the library's $ORIGIN must be its own folder, where its
                # private libraries are, not the link's.
                return ctypes.CDLL(os.path.realpath(path))
            except OSError as error:
                raise LibraryNotFound(f"{path} cannot be loaded: {error}") from error
    try:
        return ctypes.CDLL(LIBRARY_NAME)
    except OSError as error:
        raise LibraryNotFound(
            f"{LIBRARY_NAME} was not found beside the package, in the private library folders or by "
            "the loader; set PONDERIX_LIBRARY to its path"
        ) from error


def _declare(lib: ctypes.CDLL) -> ctypes.CDLL:
    for name, (arguments, text) in _SIGNATURES.items():
        function = getattr(lib, name)
        function.argtypes = arguments + (_TEXT_OUT if text else [])
        function.restype = c_int32
    return lib


_lock = threading.Lock()
_lib: Optional[ctypes.CDLL] = None


def library() -> ctypes.CDLL:
    """The loaded library, loaded on first use so that the package imports without it."""
    global _lib
    if _lib is None:
        with _lock:
            if _lib is None:
                _lib = _declare(_load())
    return _lib


def text(function: Callable[..., int], *arguments: Any) -> tuple[int, str]:
    """Calls a function with a text output; a longer text than the buffer is asked for again."""
    size = TEXT_SIZE
    while True:
        buffer = ctypes.create_string_buffer(size)
        length = c_size_t(0)
        code = function(*arguments, buffer, size, ctypes.byref(length))
        if code == INCORRECT_ARGUMENTS and length.value >= size:
            size = length.value + 1
            continue
        if code != CORRECT:
            return code, ""
        return code, buffer.raw[: length.value].decode("utf-8")

