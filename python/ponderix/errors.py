"""The exceptions: every non-zero result code of the library raises one of these."""

from __future__ import annotations

from typing import Any, Callable, Optional

from . import _library


class Error(Exception):
    """A result code of the driver other than success.

    Attributes:
        code: the driver's number (``4``).
        name: its identifier (``"ConnectionError"``).
        description: what it means, in English.
        description_ru: the same in Russian, as the driver's terminal shows it.
        detail: what this package adds about the call, or ``None``.
    """

    def __init__(self, code: int, detail: Optional[str] = None) -> None:
        self.code = code
        self.name = _describe(_library.library().pdx_error_name, code, f"Code{code}")
        self.description = _describe(_library.library().pdx_error_description, code, "", _library.ENGLISH)
        self.description_ru = _describe(_library.library().pdx_error_description, code, "", _library.RUSSIAN)
        self.detail = detail
        message = f"{self.name} ({code}): {self.description}"
        super().__init__(f"{message} ({detail})" if detail else message)

    def __reduce__(self) -> tuple[Any, ...]:
        # Rebuilt from the code, so it crosses process boundaries (multiprocessing) whole.
        return (type(self), (self.code, self.detail))


class LineError(Error):
    """The line to the scale could not be opened or was lost (codes 4, 5, 6)."""


class Timeout(Error):
    """The scale did not answer in time (code 7)."""


class InvalidArgument(Error, ValueError):
    """An argument, name or value the driver does not take (codes 3, 11, 14, 17, 19, 32)."""


class Unsupported(Error):
    """The scale or its protocol cannot do this (codes 12, 15, 18, 20, 21)."""


class HandleError(Error):
    """The scale object is closed or was never opened (codes 8, 9, 10)."""


class DeviceError(Error):
    """The scale answered something wrong or refused the request (codes 22, 23, 24, 27)."""


class NotStable(Error):
    """The load did not settle, so the scale did not act (code 25)."""


class WrongModel(Error):
    """The configured model is not the scale's (code 34)."""


class LogicDeviceError(Error):
    """The stored connection configurations could not be used (codes 28-31, 33, 36-38)."""


_CLASSES: dict[int, type[Error]] = {}
for _class, _codes in (
    (LineError, (4, 5, 6)),
    (Timeout, (7,)),
    (HandleError, (8, 9, 10)),
    (InvalidArgument, (3, 11, 14, 17, 19, 32)),
    (Unsupported, (12, 15, 18, 20, 21)),
    (DeviceError, (22, 23, 24, 27)),
    (NotStable, (25,)),
    (WrongModel, (34,)),
    (LogicDeviceError, (28, 29, 30, 31, 33, 36, 37, 38)),
):
    for _code in _codes:
        _CLASSES[_code] = _class


def _describe(function: Callable[..., int], code: int, fallback: str, *language: int) -> str:
    # An exception is being made already: a failure here must not hide the code.
    try:
        result, value = _library.text(function, code, *language)
    except UnicodeDecodeError:
        return fallback
    return value if result == _library.CORRECT else fallback


def error(code: int, detail: Optional[str] = None) -> Error:
    """The exception of a result code."""
    return _CLASSES.get(code, Error)(code, detail)


def check(code: int) -> None:
    """Raises the exception of a result code other than success."""
    if code != _library.CORRECT:
        raise error(code)


def read_text(function: Callable[..., int], *arguments: Any) -> str:
    """The text output of a call, raising on failure."""
    code, value = _library.text(function, *arguments)
    check(code)
    return value


def text_argument(value: str, what: str = "value") -> bytes:
    """A text argument as the library takes it: NUL-terminated UTF-8."""
    if not isinstance(value, str):
        raise TypeError(f"{what} must be str, not {type(value).__name__}")
    if "\0" in value:
        raise error(_library.INCORRECT_ARGUMENTS, f"{what} holds a NUL character")
    return value.encode("utf-8")


def uint32_argument(value: int, what: str) -> int:
    """A whole number the library takes as uint32_t; ctypes would wrap a negative one silently."""
    if isinstance(value, bool) or not isinstance(value, int):
        raise TypeError(f"{what} must be int, not {type(value).__name__}")
    if not 0 <= value <= 0xFFFFFFFF:
        raise error(_library.INCORRECT_ARGUMENTS, f"{what} {value} is out of range")
    return value
