"""Board memory and maintenance: custom EEPROM area, flash, capability record, FIFO."""

import ctypes

from ._values import finite, u32
from ._devices import query_pnp
from .errors import check


class BoardMemory:
    """The memories of a board (``board.memory``)."""

    def __init__(self, board):
        self._board = board

    def _read(self, function, address, size):
        data = (ctypes.c_uint8 * max(size, 1))()
        length = ctypes.c_uint32(u32(size, "size"))
        self._board.call(function, u32(address, "address"), ctypes.byref(length), data)
        return bytes(data)[:min(length.value, size)]

    def _write(self, function, address, data):
        raw = bytes(data)
        self._board.call(function, u32(address, "address"), len(raw), raw)

    def read_eeprom(self, address, size):
        """Bytes of the custom EEPROM area (addresses from 0)."""
        return self._read("CustomEEPROMRead", address, size)

    def write_eeprom(self, address, data):
        self._write("CustomEEPROMWrite", address, data)

    def read_flash(self, address, size):
        return self._read("MIRBAX_FlashRead", address, size)

    def write_flash(self, address, data):
        self._write("MIRBAX_FlashWrite", address, data)

    def erase_flash_sector(self, sector):
        """Erase one 64 KiB flash sector."""
        self._board.call("MIRBAX_FlashEraseSector", int(sector))

    def pnp(self):
        """The capability record the board reports, as a dict of the fields it holds."""
        code, record = query_pnp(self._board._lib, self._board.index)
        check(code, "MIRBAX_QuerySimplePNPData")
        return record.as_dict()

    def clear_fifo(self, time_method=0):
        self._board.call("MIRBAX_ClearFIFO", u32(time_method, "time_method"))

    def stream_status(self):
        status = ctypes.c_uint32()
        self._board.call("MIRBAX_GetStreamStatus", ctypes.byref(status))
        return status.value

    def set_streaming_block_size(self, size):
        self._board.call("MIRBAX_SetStreamingBlockSize", u32(size, "size"))

    def set_global_tick_rate(self, hz):
        """Set the board's tick; returns the rate set."""
        rate = ctypes.c_double(finite(hz, "hz"))
        self._board.call("MIRBAX_SetGlobalTickRate", ctypes.byref(rate))
        return rate.value

    def reset_chip(self):
        self._board.call("MIRBAX_ResetChip")
