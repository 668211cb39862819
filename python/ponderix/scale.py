"""One scale: opening it, weighing, its settings and its calibration."""

from __future__ import annotations

import ctypes
import decimal
import threading
import time
import weakref
from dataclasses import dataclass
from decimal import Decimal
from typing import Any, Callable, Iterator, Optional, Union

from . import _library
from .errors import HandleError, check, error, read_text, text_argument, uint32_argument

# Exact arithmetic whatever the caller's decimal context: an int64 times the pound's eight digits
# needs 27 digits, and an inexact result must never pass unnoticed.
_EXACT = decimal.Context(prec=64, traps=[decimal.Inexact, decimal.Rounded])
_POUND = Decimal("0.45359237")
_UNITS = {0: ("kg", Decimal(1)), 1: ("g", Decimal("0.001")), 2: ("lb", _POUND)}

Number = Union[Decimal, int, float, str]


def _unit(unit: int) -> tuple[str, Decimal]:
    if unit not in _UNITS:
        raise error(23, f"the library reported unit {unit}")
    return _UNITS[unit]


def kilograms(value: int, decimals: int, unit: int) -> Decimal:
    """The weight `value` x 10^-decimals of a unit (the library's unit code), in kilograms."""
    return _EXACT.multiply(Decimal(value).scaleb(-decimals, _EXACT), _unit(unit)[1])


@dataclass(frozen=True)
class Reading:
    """One reading of the weight channel.

    Attributes:
        weight: the net weight in kilograms, exact; ``None`` when the scale is overloaded, where
            the scale shows no weight.
        tare: the tare in kilograms, or ``None`` where the protocol reports none (CAS).
        unit: the unit the scale weighs in: ``"kg"``, ``"g"`` or ``"lb"``.
        stable: the weight has settled.
        zero: the scale is at its zero point.
        overload: the load is over the scale's range.
    """

    weight: Optional[Decimal]
    tare: Optional[Decimal]
    unit: str
    stable: bool
    zero: bool
    overload: bool

    @classmethod
    def _from_c(cls, c: _library.Reading) -> Reading:
        return cls(
            weight=None if c.overload else kilograms(c.net, c.decimals, c.unit),
            tare=kilograms(c.tare, c.decimals, c.unit) if c.has_tare else None,
            unit=_unit(c.unit)[0],
            stable=bool(c.stable),
            zero=bool(c.zero),
            overload=bool(c.overload),
        )


def _destroy(handle: ctypes.c_void_p) -> None:
    _library.library().pdx_destroy(handle)


class Scale:
    """A weighing scale on a serial port or a TCP address.

    Open one with ``Scale(port_or_address)`` or ``Scale.from_logic_device(id)``; use it in a
    ``with`` block or call :meth:`close`. Every failure raises a :class:`ponderix.Error`.

    >>> with ponderix.Scale("/dev/ttyUSB0") as scale:
    ...     print(scale.read().weight)

    One Scale may be used from several threads: its calls run one at a time.
    """

    def __init__(
        self, port_or_address: str, protocol: str = "auto", model: str = "auto", baud_rate: int = 0
    ) -> None:
        """Opens a scale directly; nothing is stored.

        Args:
            port_or_address: a serial port path (``"/dev/ttyUSB0"``) or a TCP address
                (``"192.168.1.20"``, port 77, or ``"host:port"``).
            protocol: a protocol name (``"POS2K"``, ``"CAS-K"``, ``"CAS-K-Active"``, ``"OKA"``...)
                or ``"auto"`` to detect it.
            model: the scale's model, checked against the scale, or ``"auto"``.
            baud_rate: the serial line's rate; 0 means 9600.
        """
        arguments = (
            text_argument(port_or_address, "port_or_address"),
            text_argument(protocol, "protocol"),
            text_argument(model, "model"),
            uint32_argument(baud_rate, "baud_rate"),
        )
        self._open(port_or_address, lambda lib, handle: lib.pdx_open_end_point(handle, *arguments))

    @classmethod
    def from_logic_device(cls, id: Optional[int] = None) -> Scale:
        """Opens the scale of a stored logic device and makes it the current one.

        Args:
            id: the logic device's id; ``None`` opens the current one.
        """
        scale = cls.__new__(cls)
        if id is None:
            scale._open("the current logic device", lambda lib, handle: lib.pdx_open_current(handle))
        else:
            number = uint32_argument(id, "id")
            scale._open(f"logic device {id}", lambda lib, handle: lib.pdx_open_logic_device(handle, number))
        return scale

    def _open(self, where: str, opener: Callable[[ctypes.CDLL, ctypes.c_void_p], int]) -> None:
        self._where = where
        self._lock = threading.Lock()
        self._handle: Optional[ctypes.c_void_p] = None
        lib = _library.library()
        handle = ctypes.c_void_p()
        check(lib.pdx_create(ctypes.byref(handle)))
        self._finalizer = weakref.finalize(self, _destroy, handle)
        code = opener(lib, handle)
        if code != _library.CORRECT:
            self._finalizer()
            raise error(code, f"opening {where}")
        self._handle = handle

    def close(self) -> None:
        """Closes the line and frees the scale; closing again does nothing."""
        with self._lock:
            if self._handle is None:
                return
            handle, self._handle = self._handle, None
            try:
                check(_library.library().pdx_close(handle))
            finally:
                self._finalizer()

    def __enter__(self) -> Scale:
        return self

    def __exit__(self, *exception: Any) -> None:
        self.close()

    def __repr__(self) -> str:
        return f"<ponderix.Scale {self._where} {'open' if self._handle is not None else 'closed'}>"

    def _call(self, name: str, *arguments: Any) -> None:
        with self._lock:
            check(getattr(_library.library(), name)(self._live(), *arguments))

    def _text(self, name: str, *arguments: Any) -> str:
        with self._lock:
            return read_text(getattr(_library.library(), name), self._live(), *arguments)

    def _live(self) -> ctypes.c_void_p:
        if self._handle is None:
            raise HandleError(10, f"{self._where} is closed")
        return self._handle

    @property
    def is_open(self) -> bool:
        """Whether the line to the scale is open."""
        with self._lock:
            if self._handle is None:
                return False
            value = ctypes.c_int32()
            check(_library.library().pdx_is_open(self._handle, ctypes.byref(value)))
            return bool(value.value)

    @property
    def protocol(self) -> str:
        """The protocol in use: the stored or detected one (``"POS2K"``, ``"CAS-K-Active"``...)."""
        return self._text("pdx_protocol")

    # ---- Weighing ----

    def read(self) -> Reading:
        """Reads the weight channel once."""
        c = _library.Reading()
        self._call("pdx_read", ctypes.byref(c))
        return Reading._from_c(c)

    def readings(self, interval: float = 0.2) -> Iterator[Reading]:
        """Reads the scale every `interval` seconds, for live weighing, until the caller stops.

        >>> for reading in scale.readings():
        ...     if reading.stable:
        ...         break
        """
        due = time.monotonic()
        while True:
            yield self.read()
            due += interval
            time.sleep(max(0.0, due - time.monotonic()))
            due = max(due, time.monotonic())

    def tare(self) -> None:
        """Takes the load on the scale as the tare."""
        self._call("pdx_tare")

    def zero(self) -> None:
        """Sets the scale to zero."""
        self._call("pdx_zero")

    def specify_tare(self, kilograms: Number) -> None:
        """Sets the tare to a known weight in kilograms, whole grams: ``Decimal("0.125")``, ``"0.125"``.

        A float is taken as it prints (0.2 is 200 g).
        """
        try:
            exact = Decimal(repr(kilograms)) if isinstance(kilograms, float) else Decimal(kilograms)
            grams = _EXACT.multiply(exact, Decimal(1000))
        except (decimal.DecimalException, TypeError, ValueError) as cause:
            raise error(_library.INCORRECT_ARGUMENTS, f"tare {kilograms!r} is not a number") from cause
        if not grams.is_finite() or grams != grams.to_integral_value():
            raise error(_library.INCORRECT_ARGUMENTS, f"tare {kilograms} kg is not whole grams")
        self._call("pdx_specify_tare", uint32_argument(int(grams), "tare in grams"))

    # ---- Settings and calibration (the scale's service protocol) ----

    @property
    def settings(self) -> Settings:
        """The scale's own settings by name: ``scale.settings["MaxWeight"] = "15"``."""
        return Settings(self)

    def calibrate_zero(self) -> None:
        """Calibrates the empty scale's zero; the scale must be at rest."""
        self._call("pdx_calibrate_zero")

    def calibrate_weight(self, grams: int) -> None:
        """Calibrates with a reference load on the scale: whole kilograms from 3 kg to the maximum."""
        self._call("pdx_calibrate_weight", uint32_argument(grams, "grams"))

    @property
    def calibration_count(self) -> int:
        """How many times the scale has been calibrated (it counts them itself)."""
        count = ctypes.c_uint32()
        self._call("pdx_calibration_count", ctypes.byref(count))
        return count.value


_names_lock = threading.Lock()
_names: Optional[tuple[str, ...]] = None


def setting_names() -> tuple[str, ...]:
    """The names of the settings the library knows, in its order."""
    global _names
    with _names_lock:
        if _names is None:
            lib = _library.library()
            count = ctypes.c_size_t()
            check(lib.pdx_setting_list(None, 0, ctypes.byref(count)))
            numbers = (ctypes.c_int32 * count.value)()
            check(lib.pdx_setting_list(numbers, count.value, ctypes.byref(count)))
            _names = tuple(read_text(lib.pdx_setting_name, number) for number in numbers)
        return _names


class Settings:
    """The scale's settings by name, read from and written to the scale on every access.

    ``scale.settings["MaxWeight"]`` reads one, ``scale.settings["MaxWeight"] = "15"`` writes one,
    ``list(scale.settings)`` gives the names. An unknown name raises KeyError.
    """

    def __init__(self, scale: Scale) -> None:
        self._scale = scale

    @staticmethod
    def _number(name: str) -> int:
        number = ctypes.c_int32()
        code = _library.library().pdx_setting_from_name(text_argument(name, "setting name"), ctypes.byref(number))
        if code != _library.CORRECT:
            raise KeyError(name) from error(code, f"setting {name!r}")
        return number.value

    def __getitem__(self, name: str) -> str:
        return self._scale._text("pdx_setting_get", self._number(name))

    def __setitem__(self, name: str, value: Union[str, int]) -> None:
        if isinstance(value, bool) or not isinstance(value, (str, int)):
            raise TypeError(f"a setting's value is str or int, not {type(value).__name__}")
        self._scale._call("pdx_setting_set", self._number(name), text_argument(str(value)))

    def __contains__(self, name: object) -> bool:
        return name in setting_names()

    def __iter__(self) -> Iterator[str]:
        return iter(setting_names())

    def __len__(self) -> int:
        return len(setting_names())

    def get(self, name: str, default: Optional[str] = None) -> Optional[str]:
        """The setting's value, or `default` for a name the library does not know."""
        return self[name] if name in self else default

    def __repr__(self) -> str:
        return f"<ponderix settings of {self._scale!r}: {', '.join(self)}>"
