"""Ring acquisition: the library fills a ring of samples, Python reads whole scans in volts.

The ring is filled by the library's own callback on its buffer worker; no
Python runs there.  ``ADC_ReadData`` is called from the reading thread in
short slices under a lock that ``ADC_BulkContinuousEnd`` also takes, so
:meth:`Ring.close` from another thread never frees the ring under a read.
"""

import ctypes
import threading
import time

import numpy as np

from . import _lifetime, errors
from ._values import finite, u32

_POLL_SLICE = 0.05
_VALUES_ROOM = 256  # values per scan when the scan wraps past the last channel


class Ring:
    """A running ring acquisition; read it with :meth:`read`, end it with :meth:`close`."""

    def __init__(self, board, config):
        self._board = board
        self._lock = threading.Lock()
        self._stopping = threading.Event()
        self.closed = True  # until the start succeeds
        self.config = config  # the block ADC_ReadData converts with
        self.counter_hz = None
        self._config_buffer = (ctypes.c_uint8 * max(len(config), 1)).from_buffer_copy(
            bytes(config).ljust(1, b"\0"))

    @classmethod
    def start(cls, board, config, ring_bytes, packets_per_block):
        ring = cls(board, config)
        board.call("ADC_BulkContinuousRingStart", u32(ring_bytes, "ring_bytes"),
                   u32(packets_per_block, "packets_per_block"))
        ring._started()
        return ring

    @classmethod
    def full_start(cls, board, config, ring_bytes, packets_per_block, calibration, counter_hz):
        ring = cls(board, config)
        size = ctypes.c_uint32(len(config))
        hz = None if counter_hz is None else ctypes.c_double(finite(counter_hz, "counter_hz"))
        board.call("ADC_FullStartRing", ring._config_buffer, ctypes.byref(size),
                   None if calibration is None else str(calibration).encode(),
                   None if hz is None else ctypes.byref(hz),
                   u32(ring_bytes, "ring_bytes"), u32(packets_per_block, "packets_per_block"))
        ring._started()
        ring.counter_hz = None if hz is None else hz.value
        return ring

    def _started(self):
        self.closed = False
        _lifetime.register(self)

    def values_per_scan(self):
        """Values one scan gives, or None when the scan wraps (then learnt from the data)."""
        if not self.config.is_bulk_form:
            return 3  # two analog channels and the 32-bit value of the stream
        start, end = self.config.start_channel, self.config.end_channel
        return end - start + 1 if end >= start else None

    def _read_once(self, scans, wait):
        """One ADC_ReadData of at most ``scans`` scans: (code, array of shape (n, values))."""
        per_scan = self.values_per_scan()
        values = np.full(scans * (per_scan or _VALUES_ROOM), np.nan)
        count = ctypes.c_uint32(scans)
        code = self._board.raw("ADC_ReadData", self._config_buffer, ctypes.byref(count),
                               values.ctypes.data_as(ctypes.c_void_p), ctypes.c_double(wait))
        read = count.value if code == errors.SUCCESS else 0
        if read == 0:
            return code, None
        if per_scan is None:  # every value written is finite: count them
            written = np.flatnonzero(np.isnan(values))
            per_scan = (int(written[0]) if written.size else values.size) // read
        return code, values[:read * per_scan].reshape(read, per_scan)

    def read(self, scans, timeout=1.0, all_or_nothing=False):
        """Up to ``scans`` whole scans in volts, shape (scans read, values per scan).

        ``timeout``: seconds to wait (0: only what is there; None: no limit).
        With ``all_or_nothing`` either every scan asked for or none is taken.
        An empty array means nothing arrived in time.
        """
        scans = u32(scans, "scans")
        deadline = None if timeout is None else time.monotonic() + finite(timeout, "timeout")
        parts, have = [], 0
        while have < scans and not self._stopping.is_set():
            remaining = _POLL_SLICE if deadline is None else max(deadline - time.monotonic(), 0)
            wait = min(_POLL_SLICE, remaining)
            with self._lock:
                if self.closed:
                    break
                # A negative time-out asks for all or nothing; -0.0 would read as 0.
                code, part = self._read_once(scans - have,
                                             -max(wait, 1e-6) if all_or_nothing else wait)
            if code not in (errors.SUCCESS, errors.TIMEOUT):
                errors.check(code, "ADC_ReadData")
            if part is not None:
                parts.append(part)
                have += part.shape[0]
            if deadline is not None and time.monotonic() >= deadline:
                break
        if parts:
            return np.concatenate(parts)
        return np.empty((0, self.values_per_scan() or 0))

    def close(self):
        """Stop the acquisition and free the ring."""
        self._stopping.set()
        with self._lock:
            if self.closed:
                return
            status = ctypes.c_uint32()
            code = self._board.raw("ADC_BulkContinuousEnd", ctypes.byref(status))
            self.closed = True
            _lifetime.discard(self)
        errors.check(code, "ADC_BulkContinuousEnd")
        if status.value:
            raise errors.error_for(status.value, "ring acquisition")

    def __enter__(self):
        return self

    def __exit__(self, exc_type, exc, traceback):
        if exc_type is None:
            self.close()
        else:
            try:
                self.close()
            except errors.MirbaxError:
                pass
