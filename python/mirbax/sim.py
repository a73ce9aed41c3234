"""Simulated boards: the control API of libmirbax-sim.so.

Importing this module does not load anything; the first call loads
``libmirbax-sim.so`` (see :func:`mirbax.load`) unless the simulated-board
library is loaded already.  Boards appear to the library at its next linking
pass: :func:`mirbax.devices`, :func:`mirbax.reload_links` and the like.

    import mirbax, mirbax.sim
    board = mirbax.sim.attach(0x8040)
    board.set_analog_input(0, 0x8000)
    print(mirbax.devices())
"""

import ctypes

from . import _library
from ._values import u16, u32, unsigned
from .errors import INSUFFICIENT_BUFFER, check

# Drivers a simulated board can be bound to.
WINUSB = 1
CYUSB2 = 2  # the older CyUSB driver version
CYUSB3 = 3  # the newer CyUSB driver version

# Bulk pipes.
PIPE_OUT_02 = 0x02
PIPE_OUT_06 = 0x06
PIPE_IN_82 = 0x82
PIPE_IN_86 = 0x86


def _sim():
    lib = _library.load(sim=True) if _library._loaded is None else _library.library()
    if not lib.is_sim:
        raise RuntimeError(f"{lib.path} is not the simulated-board library")
    return lib


def _call(name, *args):
    _sim().call(name, *args)


def _read_text(function, *leading):
    """Call a function that fills a text buffer and reports 122 with the size it needs."""
    size = ctypes.c_uint32(0)
    while True:
        text = ctypes.create_string_buffer(max(size.value, 1))
        size.value = len(text)
        code = function(*leading, text, ctypes.byref(size))
        if code != INSUFFICIENT_BUFFER:
            check(code, function.__name__)
            return text.value.decode("utf-8", errors="replace")
        # the text grew (or the first call only asked for its size): try again


def _lines(text):
    return [line for line in text.split("\n") if line]


def reset():
    """Unplug and forget every board; clear the message record.

    Entries the library had linked stay linked to boards that are gone; call
    :func:`mirbax.reload_links` afterwards to start from an empty table.
    """
    _call("MIRBAXSIM_Reset")


def attach(pid, driver=CYUSB3):
    """Plug in a board with USB product ID ``pid``; returns its :class:`SimBoard`."""
    handle = ctypes.c_uint32()
    _call("MIRBAXSIM_Attach", u32(pid, "pid"), u32(driver, "driver"), ctypes.byref(handle))
    return SimBoard(handle.value)


def attach_loader(path_tag):
    """Plug in a board waiting for firmware, whose device path ends with ``path_tag``."""
    handle = ctypes.c_uint32()
    _call("MIRBAXSIM_AttachLoader", path_tag.encode(), ctypes.byref(handle))
    return SimBoard(handle.value)


def messages():
    """The message boxes the library has shown: (caption, text, type) tuples."""
    lib = _sim()
    return [tuple(line.split("\t")) for line in _lines(_read_text(lib.MIRBAXSIM_GetMessages))]


class SimBoard:
    """One simulated board, by the handle the simulator gave it."""

    def __init__(self, handle):
        self.handle = handle

    def __repr__(self):
        return f"<mirbax.sim.SimBoard {self.handle}>"

    def detach(self):
        """Unplug: later transfers fail as a vanished device does."""
        _call("MIRBAXSIM_Detach", self.handle)

    def set_option(self, name, value):
        """Set a board option (``"sample_rate"``, ``"adc_pattern"``, ``"serial"``, ...)."""
        _call("MIRBAXSIM_SetOption", self.handle, name.encode(), unsigned(value, 64, "value"))

    def get_option(self, name):
        value = ctypes.c_uint64()
        _call("MIRBAXSIM_GetOption", self.handle, name.encode(), ctypes.byref(value))
        return value.value

    def device_path(self):
        """The device path the board shows to the library's linking pass."""
        return _read_text(_sim().MIRBAXSIM_GetDevicePath, self.handle)

    def open_handle_count(self):
        """Driver handles the library holds open on the board."""
        count = ctypes.c_uint32()
        _call("MIRBAXSIM_GetOpenHandleCount", self.handle, ctypes.byref(count))
        return count.value

    def set_product_name(self, name):
        _call("MIRBAXSIM_SetProductName", self.handle, name.encode("utf-8"))

    def poke(self, region, address, data):
        """Write bytes into a memory region (``"eeprom"``, ``"flash"``, ``"ram"``, ...)."""
        raw = bytes(data)
        _call("MIRBAXSIM_Poke", self.handle, region.encode(), u32(address, "address"),
              raw, len(raw))

    def peek(self, region, address, size):
        """Read ``size`` bytes of a memory region."""
        buffer = ctypes.create_string_buffer(max(size, 1))
        _call("MIRBAXSIM_Peek", self.handle, region.encode(), u32(address, "address"),
              buffer, u32(size, "size"))
        return buffer.raw[:size]

    def set_analog_input(self, channel, counts):
        """The raw counts an ADC channel reads."""
        _call("MIRBAXSIM_SetAnalogInput", self.handle, u32(channel, "channel"),
              u16(counts, "counts"))

    def set_digital_inputs(self, data):
        """The levels of the digital input lines, one byte per 8 lines."""
        raw = bytes(data)
        _call("MIRBAXSIM_SetDigitalInputs", self.handle, raw, len(raw))

    def dac_output(self, channel):
        """The count a DAC channel outputs now."""
        counts = ctypes.c_uint16()
        _call("MIRBAXSIM_GetDACOutput", self.handle, u32(channel, "channel"),
              ctypes.byref(counts))
        return counts.value

    def write_bulk_in(self, pipe, data):
        """Queue data the board sends on a bulk IN pipe (0x82 or 0x86)."""
        raw = bytes(data)
        _call("MIRBAXSIM_WriteBulkIn", self.handle, u32(pipe, "pipe"), raw, len(raw))

    def read_bulk_out(self, pipe):
        """Take what the host wrote to a bulk OUT pipe (0x02 or 0x06) and nobody took yet."""
        lib = _sim()
        size = ctypes.c_uint32(0)
        while True:
            buffer = ctypes.create_string_buffer(max(size.value, 1))
            size.value = len(buffer)
            code = lib.MIRBAXSIM_ReadBulkOut(self.handle, u32(pipe, "pipe"), buffer,
                                             ctypes.byref(size))
            if code != INSUFFICIENT_BUFFER:
                check(code, "MIRBAXSIM_ReadBulkOut")
                return buffer.raw[:size.value]

    def fail_transfers(self, count, error, skip=0):
        """Fail the next ``count`` transfers (after letting ``skip`` pass) with driver error ``error``.

        count 0 clears a pending fault; 0xFFFFFFFF fails every transfer until cleared.
        """
        if skip:
            _call("MIRBAXSIM_FailTransfersAfter", self.handle, u32(skip, "skip"),
                  u32(count, "count"), u32(error, "error"))
        else:
            _call("MIRBAXSIM_FailTransfers", self.handle, u32(count, "count"), u32(error, "error"))

    def log(self):
        """The transfers the board received, oldest first, one string each."""
        return _lines(_read_text(_sim().MIRBAXSIM_GetLog, self.handle))

    def clear_log(self):
        _call("MIRBAXSIM_ClearLog", self.handle)
