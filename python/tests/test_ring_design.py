"""How Ring.read slices ADC_ReadData, against a stand-in for the library's calls."""

import ctypes
import threading

import numpy as np
import pytest

import mirbax
from mirbax.adc import AdcConfig
from mirbax.ring import Ring


def bulk_config(start, end, oversample=0):
    config = AdcConfig(bytes(21))
    config.set_scan_limits(start, end)
    config.oversample = oversample
    return config


class FakeRingBoard:
    """Scans waiting in a ring; each scan's values are (scan number, channel position)."""

    index = 0

    def __init__(self, per_scan, waiting=0):
        self.per_scan = per_scan
        self.waiting = waiting
        self.next_scan = 0
        self.timeouts = []
        self.reading = False
        self.overlaps = 0
        self.ended = threading.Event()

    def call(self, name, *args):
        assert name == "ADC_BulkContinuousRingStart"

    def raw(self, name, *args):
        return getattr(self, name)(*args)

    def ADC_ReadData(self, _config, scans_ref, data, timeout):
        self.reading = True
        try:
            self.timeouts.append(timeout.value)
            wanted = scans_ref._obj.value
            if timeout.value < 0 and self.waiting < wanted:
                taken = 0  # all or nothing
            else:
                taken = min(wanted, self.waiting)
            scans_ref._obj.value = taken
            if taken == 0:
                return mirbax.errors.TIMEOUT
            values = np.array([[scan + position / 100 for position in range(self.per_scan)]
                               for scan in range(self.next_scan, self.next_scan + taken)])
            ctypes.memmove(data.value, values.ctypes.data, values.nbytes)
            self.next_scan += taken
            self.waiting -= taken
            return 0
        finally:
            self.reading = False

    def ADC_BulkContinuousEnd(self, status):
        self.overlaps += self.reading
        status._obj.value = 0
        return 0


def test_whole_scans_come_back_as_rows_of_the_scanned_channels():
    board = FakeRingBoard(per_scan=4, waiting=10)
    ring = Ring.start(board, bulk_config(0, 3), 8192, 0)
    scans = ring.read(3)
    assert scans.shape == (3, 4)
    assert scans[2].tolist() == [2.0, 2.01, 2.02, 2.03]
    ring.close()


def test_timeout_zero_takes_what_is_waiting_in_one_call():
    board = FakeRingBoard(per_scan=2, waiting=2)
    ring = Ring.start(board, bulk_config(4, 5), 8192, 0)
    assert ring.read(10, timeout=0).shape == (2, 2)
    assert board.timeouts == [0.0]
    assert ring.read(10, timeout=0).shape == (0, 2)  # nothing in time: an empty array
    ring.close()


def test_all_or_nothing_never_asks_with_a_zero_time_out():
    board = FakeRingBoard(per_scan=2, waiting=3)
    ring = Ring.start(board, bulk_config(0, 1), 8192, 0)
    assert ring.read(5, timeout=0, all_or_nothing=True).shape == (0, 2)
    assert all(timeout < 0 for timeout in board.timeouts)
    board.waiting = 5
    assert ring.read(5, timeout=0, all_or_nothing=True).shape == (5, 2)
    ring.close()


def test_a_scan_that_wraps_learns_its_width_from_the_data():
    board = FakeRingBoard(per_scan=4, waiting=3)  # channels 14, 15, 0, 1
    ring = Ring.start(board, bulk_config(14, 1), 8192, 0)
    assert ring.values_per_scan() is None
    assert ring.read(3).shape == (3, 4)
    ring.close()


def test_the_two_byte_block_gives_three_values_per_scan():
    board = FakeRingBoard(per_scan=3, waiting=4)
    ring = Ring.start(board, AdcConfig(b"\x01\x01"), 8192, 0)
    assert ring.read(4).shape == (4, 3)
    ring.close()


def test_reading_a_closed_ring_gives_nothing_and_close_is_once():
    board = FakeRingBoard(per_scan=1, waiting=1)
    ring = Ring.start(board, bulk_config(0, 0), 8192, 0)
    ring.close()
    ring.close()
    assert ring.read(1).shape == (0, 1)
    assert board.timeouts == [] and board.overlaps == 0


def test_read_ring_without_a_running_ring_is_not_supported(attach):
    _simulated, board = attach(0x8040)
    with pytest.raises(mirbax.NotSupportedError) as caught:
        board.adc.read_ring(1)
    assert caught.value.function == "ADC_ReadData"
