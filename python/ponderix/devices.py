"""Logic devices: the stored connection configurations shared by every program of the driver."""

from __future__ import annotations

import ctypes
from typing import Optional

from . import _library
from .errors import Error, check, read_text, text_argument, uint32_argument
from .scale import Scale

# Fields of pdx_logic_device_get/set.
_IS_CURRENT, _NAME, _CONNECTION_TYPE, _END_POINT, _BAUD_RATE, _MODEL, _PROTOCOL = 0, 2, 3, 4, 5, 6, 7

SERIAL_PORT = "Serial Port"
TCP = "TCP"


def _field(number: int, doc: str) -> property:
    def get(self: LogicDevice) -> str:
        return self._get(number)

    def set(self: LogicDevice, value: str) -> None:
        self._set(number, value)

    return property(get, set, doc=doc)


class LogicDevice:
    """A stored connection configuration, read from and written to the shared file on every access.

    Attributes are the stored fields; setting one stores it at once:

    >>> device = ponderix.add_logic_device("/dev/ttyUSB0", name="counter")
    >>> device.protocol = "POS2K"
    >>> device.use()
    """

    def __init__(self, id: int) -> None:
        """The stored device `id` (it is not checked here: see :func:`logic_device`)."""
        self.id = uint32_argument(id, "id")

    def _get(self, field: int) -> str:
        return read_text(_library.library().pdx_logic_device_get, self.id, field)

    def _set(self, field: int, value: str) -> None:
        check(_library.library().pdx_logic_device_set(self.id, field, text_argument(value)))

    name = _field(_NAME, "The name people know it by.")
    connection_type = _field(_CONNECTION_TYPE, '"Serial Port" or "TCP".')
    end_point = _field(_END_POINT, 'The port path or TCP address: "/dev/ttyUSB0", "192.168.1.20:5001".')
    model = _field(_MODEL, 'The scale\'s model, or "auto"; filled in when the scale is opened.')
    protocol = _field(_PROTOCOL, 'The protocol name, or "auto"; the detected one is stored when opened.')

    @property
    def baud_rate(self) -> Optional[int]:
        """The serial line's rate, or None when none is stored."""
        text = self._get(_BAUD_RATE)
        return int(text) if text else None

    @baud_rate.setter
    def baud_rate(self, value: int) -> None:
        self._set(_BAUD_RATE, str(uint32_argument(value, "baud_rate")))

    @property
    def is_current(self) -> bool:
        """Whether it is the current device, the one programs open by default."""
        return self._get(_IS_CURRENT) == "true"

    def use(self) -> None:
        """Makes it the current device."""
        check(_library.library().pdx_logic_device_use(self.id))

    def delete(self) -> None:
        """Removes it from the stored devices."""
        check(_library.library().pdx_logic_device_delete(self.id))

    def open(self) -> Scale:
        """Opens its scale (which makes it the current device)."""
        return Scale.from_logic_device(self.id)

    def __eq__(self, other: object) -> bool:
        return isinstance(other, LogicDevice) and other.id == self.id

    def __hash__(self) -> int:
        return hash(self.id)

    def __repr__(self) -> str:
        return f"<ponderix.LogicDevice {self.id}>"


def logic_devices() -> list[LogicDevice]:
    """The stored devices in ascending order of id."""
    lib = _library.library()
    while True:
        count = ctypes.c_size_t()
        check(lib.pdx_logic_device_list(None, 0, ctypes.byref(count)))
        ids = (ctypes.c_uint32 * count.value)()
        code = lib.pdx_logic_device_list(ids, count.value, ctypes.byref(count))
        # Another program may have added one in between: count again.
        if code == _library.INCORRECT_ARGUMENTS and count.value > len(ids):
            continue
        check(code)
        return [LogicDevice(id) for id in ids[: count.value]]


def logic_device(id: Optional[int] = None) -> LogicDevice:
    """The stored device `id`, or the current one for None; raises LogicDeviceError for none."""
    if id is None:
        number = ctypes.c_uint32()
        check(_library.library().pdx_logic_device_current(ctypes.byref(number)))
        return LogicDevice(number.value)
    device = LogicDevice(id)
    device._get(_NAME)  # raises when there is no such device
    return device


def add_logic_device(
    end_point: str,
    name: str = "",
    protocol: str = "auto",
    model: str = "auto",
    baud_rate: int = 9600,
    connection_type: Optional[str] = None,
) -> LogicDevice:
    """Stores a new device and returns it.

    Args:
        end_point: a serial port path or a TCP address.
        name: the name people know it by.
        protocol: a protocol name or "auto".
        model: a model or "auto".
        baud_rate: the serial line's rate.
        connection_type: "Serial Port" or "TCP"; None takes a path for a serial port and
            anything else for a TCP address, as opening an end point does.
    """
    if connection_type is None:
        connection_type = SERIAL_PORT if end_point.startswith("/") else TCP
    number = ctypes.c_uint32()
    check(_library.library().pdx_logic_device_add(ctypes.byref(number)))
    device = LogicDevice(number.value)
    try:
        for field, value in (
            (_NAME, name),
            (_CONNECTION_TYPE, connection_type),
            (_END_POINT, end_point),
            (_BAUD_RATE, str(uint32_argument(baud_rate, "baud_rate"))),
            (_MODEL, model),
            (_PROTOCOL, protocol),
        ):
            device._set(field, value)
    except (Error, TypeError):
        # Half a configuration must not stay behind.
        device.delete()
        raise
    return device
