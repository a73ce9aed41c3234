"""Analog output: immediate writes, ranges, calibration, waveforms."""

import ctypes
import time

import numpy as np

from . import _lifetime, errors
from ._values import counts_array, exact_bytes, finite, u16, u32

_FRAME_POINTS = 6400  # most points one frame may carry


class DACEntry(ctypes.LittleEndianStructure):
    """One immediate output: channel and count (``TDACEntry``)."""

    _pack_ = 1
    _fields_ = [("Channel", ctypes.c_uint16), ("Value", ctypes.c_uint16)]


class AnalogOutput:
    """The analog outputs of a board (``board.dac``)."""

    def __init__(self, board):
        self._board = board

    def write(self, channel, counts):
        """Set one channel to a count now."""
        self._board.call("DACDirect", u16(channel, "channel"), u16(counts, "counts"))

    def write_many(self, values):
        """Set several channels in one request: ``{channel: counts}`` or (channel, counts) pairs."""
        pairs = list(values.items()) if isinstance(values, dict) else list(values)
        entries = (DACEntry * max(len(pairs), 1))()
        for entry, (channel, counts) in zip(entries, pairs):
            entry.Channel = u16(channel, "channel")
            entry.Value = u16(counts, "counts")
        self._board.call("DACMultiDirect", entries, len(pairs))

    def set_range(self, code):
        """The board's output range code."""
        self._board.call("DACSetBoardRange", u32(code, "code"))

    def set_channel_calibration(self, channel, name):
        """A channel's calibration: a text file of 65536 counts, or ":1TO1:" / ":NONE:"."""
        self._board.call("DACSetChannelCal", u32(channel, "channel"), str(name).encode())

    def set_range_limits(self, data):
        """Store 32 bytes of range limits in the board's EEPROM."""
        self._board.call("DAC_CSA_SetRangeLimits", exact_bytes(data, 32, "data"))

    def clear_range_limits(self):
        self._board.call("DAC_CSA_ClearRangeLimits")

    def _one_shot(self, function, waveform, rate):
        samples = counts_array(waveform, "waveform", ndim=1)
        hz = ctypes.c_double(finite(rate, "rate"))
        self._board.call(function, ctypes.byref(hz), samples.size,
                         samples.ctypes.data_as(ctypes.c_void_p))
        return hz.value

    def play(self, waveform, rate):
        """Output a whole waveform (1-D counts) at ``rate`` samples per second; returns the rate set.

        On boards with a waveform memory the samples are loaded and the output
        started; on the others they are played as they are sent.
        """
        return self._one_shot("DACOutputProcess", waveform, rate)

    def load(self, waveform, rate):
        """As :meth:`play`, without starting a board with a waveform memory."""
        return self._one_shot("DACOutputLoadProcess", waveform, rate)

    def open_output(self, rate, channels=None):
        """Open waveform output at ``rate`` points per second; a :class:`WaveformOutput`."""
        return self._board.track(WaveformOutput(self._board, rate, channels))


class WaveformOutput:
    """An open waveform output stream: :meth:`write` frames, :meth:`start`, :meth:`close`."""

    def __init__(self, board, rate, channels=None, queue_timeout=10.0):
        self._board = board
        self.closed = True
        self.queue_timeout = queue_timeout
        hz = ctypes.c_double(finite(rate, "rate"))
        board.call("DACOutputOpen", ctypes.byref(hz))
        self.rate = hz.value
        self.closed = False
        _lifetime.register(self)
        self.channels = None
        if channels is not None:
            self.set_channels(channels)

    def set_channels(self, channels):
        """Channels per output point."""
        self._board.call("DACOutputSetCount", u32(channels, "channels"))
        self.channels = channels

    def set_clock(self, rate):
        hz = ctypes.c_double(finite(rate, "rate"))
        self._board.call("DACOutputSetClock", ctypes.byref(hz))
        self.rate = hz.value
        return self.rate

    def _frame(self, function, frame, points):
        """Queue one frame, waiting while the library's queue is full (code 21)."""
        deadline = time.monotonic() + self.queue_timeout
        while True:
            code = self._board.raw(function, points, frame.ctypes.data_as(ctypes.c_void_p))
            if code != errors.NOT_READY or time.monotonic() >= deadline:
                errors.check(code, function)
                return
            time.sleep(0.001)  # the library offers no wait for room in its queue

    def write(self, points, raw=False):
        """Queue points: shape (points, channels), or 1-D for one channel per point.

        With ``raw`` the counts are sent unchanged (no end-of-point marks).
        """
        samples = counts_array(points, "points")
        if samples.ndim == 1:
            samples = samples.reshape(-1, 1)
        if samples.ndim != 2:
            raise ValueError("points must be 1-D or (points, channels)")
        if self.channels != samples.shape[1]:
            self.set_channels(samples.shape[1])
        function = "DACOutputFrameRaw" if raw else "DACOutputFrame"
        for first in range(0, samples.shape[0], _FRAME_POINTS):
            frame = np.ascontiguousarray(samples[first:first + _FRAME_POINTS])
            self._frame(function, frame, frame.shape[0])

    def start(self):
        self._board.call("DACOutputStart")

    def set_interlock(self, on):
        self._board.call("DACOutputSetInterlock", 1 if on else 0)

    def close(self, end=True):
        """Close the output; with ``end`` the last sample marks the end of the waveform."""
        if self.closed:
            return
        self.closed = True
        _lifetime.discard(self)
        self._board.call("DACOutputClose" if end else "DACOutputCloseNoEnd", 1)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
