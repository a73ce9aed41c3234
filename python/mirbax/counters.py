"""The 8254 counters: modes, loads, reads, frequency output, pulse widths.

A counter is named by ``counter`` and ``block``: with block 0 (the default)
``counter`` is a flat index over every counter of the board (block =
counter // 3); with block 1 or more it is the counter 0..2 within that block.
"""

import ctypes

import numpy as np

from ._values import finite, u8, u16, u32


class Counters:
    """The counter blocks of a board (``board.counters``)."""

    def __init__(self, board):
        self._board = board

    @property
    def block_count(self):
        """Number of 8254 chips (three counters each)."""
        return self._board.info.counter_blocks

    @property
    def count(self):
        return 3 * self.block_count

    def set_mode(self, counter, mode, block=0):
        self._board.call("CTR_8254Mode", u32(block, "block"), u32(counter, "counter"),
                         u32(mode, "mode"))

    def load(self, counter, value, block=0):
        self._board.call("CTR_8254Load", u32(block, "block"), u32(counter, "counter"),
                         u16(value, "value"))

    def set_mode_and_load(self, counter, mode, value, block=0):
        self._board.call("CTR_8254ModeLoad", u32(block, "block"), u32(counter, "counter"),
                         u32(mode, "mode"), u16(value, "value"))

    def set_mode_load_and_read(self, counter, mode, value, block=0):
        """Program mode and load value, and return the count the board read back."""
        read = ctypes.c_uint16()
        self._board.call("CTR_8254ReadModeLoad", u32(block, "block"), u32(counter, "counter"),
                         u32(mode, "mode"), u16(value, "value"), ctypes.byref(read))
        return read.value

    def read(self, counter, block=0):
        """The current count of one counter."""
        value = ctypes.c_uint16()
        self._board.call("CTR_8254Read", u32(block, "block"), u32(counter, "counter"),
                         ctypes.byref(value))
        return value.value

    def read_status(self, counter, block=0):
        """(count, 8254 status byte) of one counter."""
        value, status = ctypes.c_uint16(), ctypes.c_uint8()
        self._board.call("CTR_8254ReadStatus", u32(block, "block"), u32(counter, "counter"),
                         ctypes.byref(value), ctypes.byref(status))
        return value.value, status.value

    def read_all(self):
        """Every counter's count, as a numpy array of 3 × blocks uint16 values."""
        counts = np.zeros(max(self.count, 1), dtype=np.uint16)
        self._board.call("CTR_8254ReadAll", counts.ctypes.data_as(ctypes.c_void_p))
        return counts[:self.count]

    def read_latched(self):
        """(counts as in :meth:`read_all`, the extra byte the board adds)."""
        raw = (ctypes.c_uint8 * (6 * self.block_count + 1))()
        self._board.call("CTR_8254ReadLatched", raw)
        data = bytes(raw)
        return np.frombuffer(data[:-1], dtype="<u2").astype(np.uint16), data[-1]

    def select_gate(self, gate):
        self._board.call("CTR_8254SelectGate", u32(gate, "gate"))

    def start_output_freq(self, hz, block=0):
        """Output a square wave of about ``hz`` on a block; returns the frequency produced.

        0 stops the output (as :meth:`stop_output_freq`).
        """
        rate = ctypes.c_double(finite(hz, "hz"))
        self._board.call("CTR_StartOutputFreq", u32(block, "block"), ctypes.byref(rate))
        return rate.value

    def stop_output_freq(self, block=0):
        self.start_output_freq(0.0, block)

    def set_wait_gates(self, gate_a, gate_b):
        """Make the board report events of two gates (on bulk pipes 0x82 and 0x86)."""
        self._board.call("CTR_SetWaitGates", u8(gate_a, "gate_a"), u8(gate_b, "gate_b"))

    def end_wait_gates(self):
        self._board.call("CTR_EndWaitGates")

    def wait_for_gate(self, gate):
        """Block until gate 0 (A) or 1 (B) reports an event; returns its 16-bit message."""
        content = ctypes.c_uint16()
        self._board.call("CTR_WaitForGate", u8(gate, "gate"), ctypes.byref(content))
        return content.value

    def start_measuring_pulse_width(self):
        self._board.call("CTR_StartMeasuringPulseWidth")

    def stop_measuring_pulse_width(self):
        self._board.call("CTR_StopMeasuringPulseWidth")

    def pulse_width(self, counter, block=0):
        """The last pulse width measured on a counter, in counts."""
        value = ctypes.c_uint16()
        self._board.call("CTR_GetPulseWidthMeasurement", u32(block, "block"),
                         u32(counter, "counter"), ctypes.byref(value))
        return value.value
