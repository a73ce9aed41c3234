"""MIRBAX for Python: the USB data-acquisition boards from Python, over the C library.

    import mirbax
    mirbax.load(sim=True)              # or mirbax.load() for real boards
    for info in mirbax.devices():
        print(info)
    with mirbax.open() as board:
        print(board.adc.scan_volts())

Every failing library call raises :class:`MirbaxError` (or a subclass)
carrying the result code, its text and the C function's name.  The package
is pure Python (ctypes and numpy); see docs/python.md.
"""

from . import errors
from ._library import Library, LibraryNotFoundError, library, load
from .adc import AdcConfig, counts_to_volts
from .board import Board, open  # noqa: A004 - mirbax.open() is the package's verb
from ._devices import (FIRST, LOAD_AND_ONLY, NONE, ONLY, Capabilities, DeviceInfo,
                      clear_devices, close_device, device_info, devices, find_by_serial,
                      product_name, serial_number,
                      reload_links, resolve)
from .errors import (BusyError, DeviceRemovedError, FeatureMissingError, InvalidAddressError,
                     InvalidArgumentError, MirbaxError, MirbaxTimeoutError, NoBoardError,
                     NotSupportedError, result_text)

__all__ = [
    "AdcConfig", "Board", "BusyError", "Capabilities", "DeviceInfo", "DeviceRemovedError",
    "FIRST", "FeatureMissingError", "InvalidAddressError", "InvalidArgumentError",
    "LOAD_AND_ONLY", "Library", "LibraryNotFoundError", "MirbaxError", "MirbaxTimeoutError",
    "NONE", "NoBoardError", "NotSupportedError", "ONLY", "clear_devices", "close_device",
    "counts_to_volts", "device_info", "devices", "errors", "find_by_serial", "library", "load",
    "open", "product_name", "reload_links", "resolve", "result_text", "serial_number",
]
