"""Analog input: the configuration block, scans, bulk, continuous and ring acquisition."""

import ctypes
import time

import numpy as np

from . import errors
from ._values import finite, u8, u32
from .ring import Ring
from .stream import AcquisitionStream

# Channels are numbered in 8 bits, so no scan writes past this many values.
_CHANNEL_ROOM = 256

# Range codes (bits 0-2 of a range byte; bit 3 selects differential input).
RANGE_0_10V = 0
RANGE_PM10V = 1
RANGE_0_5V = 2
RANGE_PM5V = 3
RANGE_0_2V = 4
RANGE_PM2V = 5
RANGE_0_1V = 6
RANGE_PM1V = 7
DIFFERENTIAL = 8

# Calibration modes of the configuration block.
CAL_NORMAL = 0
CAL_LOW_UNIPOLAR = 1
CAL_HIGH_UNIPOLAR = 3
CAL_LOW_BIPOLAR = 5
CAL_HIGH_BIPOLAR = 7

# Start-mode bits of the configuration block.
TRIGGER_COUNTER = 0x01
TRIGGER_EXTERNAL = 0x02
TRIGGER_SCAN = 0x04


def counts_to_volts(counts, range_byte):
    """Volts of 16-bit counts (or mean counts) under a range byte, as a float array.

    V = C / 65536; bipolar codes (bit 0) map that to -1..1; bit 1 clear
    doubles the span and bit 2 clear multiplies it by five.
    """
    volts = np.asarray(counts, dtype=np.float64) / 65536.0
    if range_byte & 1:
        volts = 2.0 * volts - 1.0
    if not range_byte & 2:
        volts = 2.0 * volts
    if not range_byte & 4:
        volts = 5.0 * volts
    return volts


class AdcConfig:
    """A copy of the board's ADC configuration block.

    The bulk form has 20 or 21 bytes (16 range bytes, calibration mode, start
    mode, scan limits, oversample and, in 21 bytes, the high nibbles of the
    scan limits); the DIO-stream form has 2 range bytes.  Change the fields and
    give it back with :meth:`AnalogInput.set_config`.
    """

    def __init__(self, raw):
        self.raw = bytearray(raw)

    def __len__(self):
        return len(self.raw)

    def __bytes__(self):
        return bytes(self.raw)

    def __eq__(self, other):
        return isinstance(other, AdcConfig) and self.raw == other.raw

    def __repr__(self):
        return f"AdcConfig({bytes(self.raw).hex(' ')})"

    @property
    def is_bulk_form(self):
        return len(self.raw) >= 20

    @property
    def range_bytes(self):
        return list(self.raw[:16] if self.is_bulk_form else self.raw)

    def _require_bulk(self):
        if not self.is_bulk_form:
            raise AttributeError("the 2-byte configuration block holds range bytes only")

    @property
    def cal_mode(self):
        self._require_bulk()
        return self.raw[16]

    @cal_mode.setter
    def cal_mode(self, value):
        self._require_bulk()
        self.raw[16] = u8(value, "cal_mode")

    @property
    def trigger_mode(self):
        self._require_bulk()
        return self.raw[17]

    @trigger_mode.setter
    def trigger_mode(self, value):
        self._require_bulk()
        self.raw[17] = u8(value, "trigger_mode")

    @property
    def oversample(self):
        self._require_bulk()
        return self.raw[19]

    @oversample.setter
    def oversample(self, value):
        self._require_bulk()
        self.raw[19] = u8(value, "oversample")

    @property
    def start_channel(self):
        if not self.is_bulk_form:
            return 0
        high = (self.raw[20] & 0x0F) << 4 if len(self.raw) > 20 else 0
        return (self.raw[18] & 0x0F) | high

    @property
    def end_channel(self):
        if not self.is_bulk_form:
            return len(self.raw) - 1
        high = self.raw[20] & 0xF0 if len(self.raw) > 20 else 0
        return (self.raw[18] >> 4) | high

    def set_scan_limits(self, start, end):
        self._require_bulk()
        start, end = u8(start, "start"), u8(end, "end")
        if len(self.raw) > 20:
            self.raw[18] = (start & 0x0F) | ((end & 0x0F) << 4)
            self.raw[20] = (start >> 4) | (end & 0xF0)
        elif start > 15 or end > 15:
            raise ValueError("the 20-byte block holds channels 0 to 15 only")
        else:
            self.raw[18] = start | (end << 4)

    def range_byte_of(self, channel, range_shift):
        """The range byte that serves an input channel (group channel >> range_shift)."""
        return self.raw[channel >> range_shift]


class BulkAcquisition:
    """A background acquisition of a fixed number of samples (``adc.start_bulk``).

    The library's worker writes into :attr:`samples` until the block is
    complete or aborted; this object keeps that array alive until then.
    """

    _running = {}  # device index -> the acquisition whose worker may still write

    def __init__(self, board, sample_count):
        self._board = board
        self.samples = np.zeros(max(sample_count, 1), dtype=np.uint16)[:sample_count]
        board.call("ADC_BulkAcquire", u32(2 * sample_count, "sample_count"),
                   self.samples.ctypes.data_as(ctypes.c_void_p))
        BulkAcquisition._running[board.index] = self

    def bytes_left(self):
        """Bytes still to come; 0 once complete.  Raises the worker's failure."""
        left = ctypes.c_uint32()
        code = self._board.raw("ADC_BulkPoll", ctypes.byref(left))
        if code != errors.SUCCESS or left.value == 0:
            self._release()
        errors.check(code, "ADC_BulkPoll")
        return left.value

    def done(self):
        return self.bytes_left() == 0

    def wait(self, timeout=None, poll_interval=0.001):
        """Wait until complete (polling, as the library offers no wait); returns the samples."""
        deadline = None if timeout is None else time.monotonic() + timeout
        while not self.done():
            if deadline is not None and time.monotonic() >= deadline:
                raise errors.MirbaxTimeoutError(errors.TIMEOUT, "ADC_BulkPoll")
            time.sleep(poll_interval)
        return self.samples

    def abort(self):
        """Ask the worker to stop before its next read."""
        self._board.call("ADC_BulkAbort")

    def _release(self):
        if BulkAcquisition._running.get(self._board.index) is self:
            del BulkAcquisition._running[self._board.index]


class AnalogInput:
    """The analog inputs of a board (``board.adc``)."""

    def __init__(self, board):
        self._board = board
        self._immediate_channels = None
        self._ring = None

    # ---- configuration block -------------------------------------------------

    def config_size(self):
        """Bytes of the board's configuration block (0: it has none)."""
        size = ctypes.c_uint32(0)
        code = self._board.raw("ADC_GetConfig", None, ctypes.byref(size))
        if code == errors.BAD_TOKEN_TYPE:
            return 0
        if code != errors.INSUFFICIENT_BUFFER:
            errors.check(code, "ADC_GetConfig")
        return size.value

    def config(self):
        """The board's configuration block, as an :class:`AdcConfig`."""
        size = self.config_size()
        if size == 0:
            raise errors.FeatureMissingError(errors.BAD_TOKEN_TYPE, "ADC_GetConfig")
        raw = (ctypes.c_uint8 * size)()
        length = ctypes.c_uint32(size)
        self._board.call("ADC_GetConfig", raw, ctypes.byref(length))
        return AdcConfig(bytes(raw)[:length.value])

    def set_config(self, config):
        """Write a whole configuration block (an :class:`AdcConfig` or bytes)."""
        raw = bytes(config)
        buffer = (ctypes.c_uint8 * max(len(raw), 1)).from_buffer_copy(raw.ljust(1, b"\0"))
        length = ctypes.c_uint32(len(raw))
        self._board.call("ADC_SetConfig", buffer, ctypes.byref(length))

    def set_ranges(self, codes, differential=False):
        """Range code of every range group: one code for all, or a sequence of codes."""
        groups = len(self.config().range_bytes)
        values = [codes] * groups if isinstance(codes, int) else list(codes)
        if len(values) != groups:
            raise ValueError(f"the board has {groups} range groups, not {len(values)}")
        raw = bytes(u8(value, "range code") for value in values).ljust(16, b"\0")
        self._board.call("ADC_RangeAll", raw, 1 if differential else 0)

    def set_range(self, group, code, differential=False):
        """Range code of one range group (a range byte of the block)."""
        self._board.call("ADC_Range1", u32(group, "group"), u8(code, "code"),
                         1 if differential else 0)

    def set_mode(self, trigger_mode, cal_mode=CAL_NORMAL):
        """Start-mode bits and calibration mode (``ADC_ADMode``)."""
        self._board.call("ADC_ADMode", u8(trigger_mode, "trigger_mode"), u8(cal_mode, "cal_mode"))

    def set_scan_limits(self, start, end):
        self._board.call("ADC_SetScanLimits", u32(start, "start"), u32(end, "end"))

    def set_oversample(self, oversample):
        """Conversions per channel and scan: oversample + 1."""
        self._board.call("ADC_SetOversample", u8(oversample, "oversample"))

    # ---- scans ---------------------------------------------------------------

    def _volts_by_channel(self, function, *extra):
        """Run a volts scan into a NaN-filled array indexed by channel; the written slice."""
        volts = np.full(_CHANNEL_ROOM, np.nan)
        self._board.call(function, volts.ctypes.data_as(ctypes.c_void_p), *extra)
        written = np.flatnonzero(~np.isnan(volts))
        if written.size == 0:
            return volts[:0], range(0)
        first, last = int(written[0]), int(written[-1])
        return volts[first:last + 1].copy(), range(first, last + 1)

    def scan_channels(self):
        """The channels a scan covers, as a range."""
        size = self.config_size()
        if size:
            config = self.config()
            return range(config.start_channel, config.end_channel + 1)
        if self._immediate_channels is None:
            _, self._immediate_channels = self._volts_by_channel("ADC_GetScanV")
        return self._immediate_channels

    def scan_volts(self):
        """One scan in volts: a float array, one value per scanned channel (start channel first)."""
        volts, _channels = self._volts_by_channel("ADC_GetScanV")
        return volts

    def scan(self):
        """One scan in counts: a uint16 array, one value per scanned channel."""
        channels = self.scan_channels()
        counts = np.zeros(_CHANNEL_ROOM, dtype=np.uint16)
        self._board.call("ADC_GetScan", counts.ctypes.data_as(ctypes.c_void_p))
        return counts[channels.start:channels.stop].copy()

    def triggered_scan(self, timeout_ms):
        """One scan started by the hardware start; counts.  Raises a timeout error when the
        start had to be forced after ``timeout_ms``."""
        channels = self.scan_channels()
        counts = np.zeros(_CHANNEL_ROOM, dtype=np.uint16)
        self._board.call("ADC_GetTrigScan", counts.ctypes.data_as(ctypes.c_void_p),
                         int(timeout_ms))
        return counts[channels.start:channels.stop].copy()

    def triggered_scan_volts(self, timeout_ms):
        volts, _channels = self._volts_by_channel("ADC_GetTrigScanV", int(timeout_ms))
        return volts

    def channel_volts(self, channel):
        """Volts of one input channel (NaN when the channel is outside the scan limits)."""
        value = ctypes.c_double()
        self._board.call("ADC_GetChannelV", u32(channel, "channel"), ctypes.byref(value))
        return value.value

    def cal_ref_volts(self, high):
        """Volts read on the low (False) or high (True) calibration reference."""
        value = ctypes.c_double()
        self._board.call("ADC_GetCalRefV", 1 if high else 0, ctypes.byref(value))
        return value.value

    def oversamples(self):
        """The raw conversions of one scan: uint16, shape (channels, oversample + 1).

        The shape comes from the block the scan leaves in the board (a scan
        raises an oversample of 0 to 1 and caps the total at 1024).
        """
        counts = np.zeros(1024, dtype=np.uint16)
        self._board.call("ADC_CSA_GetScanOversamples", counts.ctypes.data_as(ctypes.c_void_p))
        config = self.config()
        channels = config.end_channel - config.start_channel + 1
        per_channel = config.oversample + 1
        return counts[:channels * per_channel].reshape(channels, per_channel).copy()

    # ---- calibration -----------------------------------------------------------

    def calibration_supported(self):
        code = self._board.raw("ADC_QueryCal")
        if code in (errors.NOT_SUPPORTED, errors.BAD_TOKEN_TYPE):
            return False
        errors.check(code, "ADC_QueryCal")
        return True

    def set_calibration(self, name, save_to=None):
        """Load a calibration: a file name or ":AUTO:", ":NORM:", ":1TO1:", ":NONE:"."""
        self._board.call("ADC_SetCalAndSave", str(name).encode(),
                         None if save_to is None else str(save_to).encode())

    # ---- acquisitions ----------------------------------------------------------

    def start_bulk(self, sample_count):
        """Start a background acquisition of ``sample_count`` samples; a :class:`BulkAcquisition`."""
        return BulkAcquisition(self._board, sample_count)

    def acquire(self, sample_count, timeout=None):
        """Acquire ``sample_count`` samples and return them (uint16)."""
        return self.start_bulk(sample_count).wait(timeout)

    def stream(self, rate=None, buffer_size=65536, buffers=8, timeout=10.0, callback=None):
        """Start a continuous acquisition; an :class:`AcquisitionStream`.

        ``rate``: samples per second paced by the board's counters, or None
        for the pacing of the configuration block.  ``buffer_size``: bytes per
        buffer, a multiple of 512.  ``buffers``: buffers in the pool at start.
        ``timeout``: seconds to wait for one buffer before giving up (None: no
        limit).  ``callback``: called with each block on a Python thread of
        the package instead of iterating.
        """
        return self._board.track(AcquisitionStream(
            self._board, rate=None if rate is None else finite(rate, "rate"),
            buffer_size=u32(buffer_size, "buffer_size"), buffers=u32(buffers, "buffers"),
            timeout=timeout, callback=callback))

    def start_ring(self, ring_bytes=1 << 20, packets_per_block=0, config=None,
                   calibration=None, counter_hz=None):
        """Start a ring acquisition read with :meth:`read_ring`; a :class:`Ring`.

        With ``config``, ``calibration`` or ``counter_hz`` the whole set-up is
        done in one call (``ADC_FullStartRing``): configuration block (the
        board's own when None), calibration, and the counter that paces
        counter-triggered conversions.
        """
        if config is None and calibration is None and counter_hz is None:
            ring = Ring.start(self._board, self.config(), ring_bytes, packets_per_block)
        else:
            ring = Ring.full_start(self._board, self.config() if config is None else AdcConfig(
                bytes(config)), ring_bytes, packets_per_block, calibration, counter_hz)
        self._ring = self._board.track(ring)
        return ring

    def read_ring(self, scans, timeout=1.0, all_or_nothing=False):
        """Whole scans in volts from the running ring: an array of shape (scans read, values per scan)."""
        if self._ring is None or self._ring.closed:
            raise errors.NotSupportedError(errors.NOT_SUPPORTED, "ADC_ReadData")
        return self._ring.read(scans, timeout, all_or_nothing)
