"""Checks and conversions of Python values before they reach a C argument.

ctypes truncates an integer that does not fit its C type without a word;
these helpers refuse such values first, so a wrong argument never reaches the
board as a different, valid-looking one.
"""

import ctypes
import math
import operator

import numpy as np


def unsigned(value, bits, name):
    """``value`` as an integer of ``bits`` bits; ValueError when it does not fit."""
    number = operator.index(value)
    if not 0 <= number < (1 << bits):
        raise ValueError(f"{name} must be between 0 and {(1 << bits) - 1}, not {number}")
    return number


def u8(value, name):
    return unsigned(value, 8, name)


def u16(value, name):
    return unsigned(value, 16, name)


def u32(value, name):
    return unsigned(value, 32, name)


def finite(value, name):
    """``value`` as a float; ValueError for NaN or an infinity."""
    number = float(value)
    if not math.isfinite(number):
        raise ValueError(f"{name} must be a finite number, not {number}")
    return number


def exact_bytes(data, size, name):
    """``data`` (bytes-like or a sequence of 0..255) as a ctypes byte array of exactly ``size``."""
    raw = bytes(data)
    if len(raw) != size:
        raise ValueError(f"{name} must be {size} bytes, not {len(raw)}")
    return (ctypes.c_uint8 * max(size, 1)).from_buffer_copy(raw.ljust(max(size, 1), b"\0"))


def mask_bytes(mask, size, name):
    """An integer bit mask (line i = bit i) packed little-endian into ``size`` bytes."""
    number = operator.index(mask)
    if number < 0 or number >= (1 << (8 * size)):
        raise ValueError(f"{name} does not fit {size} bytes")
    return (ctypes.c_uint8 * size).from_buffer_copy(number.to_bytes(size, "little"))


def counts_array(values, name, *, ndim=None):
    """``values`` as a C-contiguous array of 16-bit counts; ValueError outside 0..65535."""
    array = np.asarray(values)
    if ndim is not None and array.ndim != ndim:
        raise ValueError(f"{name} must have {ndim} dimension(s), not {array.ndim}")
    if array.size and not np.issubdtype(array.dtype, np.integer):
        raise ValueError(f"{name} must hold integer counts")
    if array.size and (array.min() < 0 or array.max() > 0xFFFF):
        raise ValueError(f"{name} must hold counts between 0 and 65535")
    return np.ascontiguousarray(array, dtype=np.uint16)


def address(array):
    """The address of a numpy array's data, for a c_void_p argument."""
    return ctypes.c_void_p(array.ctypes.data)
