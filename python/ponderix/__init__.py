"""Retail weighing scales from Python, through the Ponderix driver's C library libponderix.so.

>>> import ponderix
>>> with ponderix.Scale("/dev/ttyUSB0") as scale:
...     reading = scale.read()
...     print(reading.weight, reading.stable)   # Decimal kilograms: 1.234 True

A scale is opened on a serial port or a TCP address (:class:`Scale`), or from a stored logic
device (:meth:`Scale.from_logic_device`, :func:`logic_devices`, :func:`add_logic_device`).
Weights are exact :class:`decimal.Decimal` kilograms. Every failure of the driver raises
:class:`Error` or one of its subclasses, which carry the driver's code and its descriptions.

Finding the library: the environment variable ``PONDERIX_LIBRARY``, when set, is the path of
libponderix.so to load. Otherwise the package looks beside its own files, then in
``<prefix>/lib/ponderix/`` and ``<prefix>/lib/<multiarch>/ponderix/`` for ``sys.prefix`` and
``/usr``, then asks the system loader for ``libponderix.so``. The library is loaded on first use;
when it cannot be found that use raises :class:`LibraryNotFound` (an ImportError).

Stored logic devices and the driver's log live under ``$APPDATA`` when it is set, else
``$XDG_DATA_HOME`` or ``~/.local/share``.
"""

from ._library import LibraryNotFound, library
from .devices import LogicDevice, add_logic_device, logic_device, logic_devices
from .errors import (
    DeviceError,
    Error,
    HandleError,
    InvalidArgument,
    LineError,
    LogicDeviceError,
    NotStable,
    Timeout,
    Unsupported,
    WrongModel,
    read_text,
)
from .scale import Reading, Scale, Settings, setting_names

__version__ = "1.1.3"

__all__ = [
    "DeviceError",
    "Error",
    "HandleError",
    "InvalidArgument",
    "LibraryNotFound",
    "LineError",
    "LogicDevice",
    "LogicDeviceError",
    "NotStable",
    "Reading",
    "Scale",
    "Settings",
    "Timeout",
    "Unsupported",
    "WrongModel",
    "add_logic_device",
    "logic_device",
    "logic_devices",
    "setting_names",
    "version",
]


def version() -> str:
    """The version of the loaded libponderix.so."""
    return read_text(library().pdx_version)
