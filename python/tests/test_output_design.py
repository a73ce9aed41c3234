"""Waveform frames and bulk acquisitions, against stand-ins for the library's calls."""

import ctypes

import numpy as np
import pytest

import mirbax
from mirbax.adc import BulkAcquisition
from mirbax.dac import WaveformOutput


class FakeOutputBoard:
    index = 0

    def __init__(self, refusals=0):
        self.refusals = refusals  # frames answered "queue full" before one is taken
        self.frames = []
        self.calls = []
        self.channels = 1

    def call(self, name, *args):
        self.calls.append(name)
        if name == "DACOutputOpen":
            args[0]._obj.value = 1000.0
        if name == "DACOutputSetCount":
            self.channels = args[0]

    def raw(self, name, points, address):
        if self.refusals:
            self.refusals -= 1
            return mirbax.errors.NOT_READY
        frame = np.ctypeslib.as_array((ctypes.c_uint16 * (points * self.channels)).from_address(
            address.value)).copy()
        self.frames.append((name, points, frame))
        return 0


def test_points_go_out_in_frames_of_at_most_6400():
    board = FakeOutputBoard()
    output = WaveformOutput(board, 1000.0)
    output.write(np.arange(15000) % 4096)
    assert [points for _, points, _ in board.frames] == [6400, 6400, 2200]
    assert np.concatenate([frame for *_, frame in board.frames]).tolist() == \
        (np.arange(15000) % 4096).tolist()


def test_two_channel_points_set_the_channel_count_first():
    board = FakeOutputBoard()
    output = WaveformOutput(board, 1000.0)
    output.write(np.array([[1, 2], [3, 4]]), raw=True)
    assert board.calls[:2] == ["DACOutputOpen", "DACOutputSetCount"]
    [(name, points, frame)] = board.frames
    assert (name, points, frame.tolist()) == ("DACOutputFrameRaw", 2, [1, 2, 3, 4])


def test_a_full_queue_is_waited_out():
    board = FakeOutputBoard(refusals=3)
    WaveformOutput(board, 1000.0).write([1, 2, 3])
    assert len(board.frames) == 1


def test_a_queue_that_stays_full_gives_21():
    board = FakeOutputBoard(refusals=10**9)
    output = WaveformOutput(board, 1000.0, queue_timeout=0)
    with pytest.raises(mirbax.MirbaxError) as caught:
        output.write([1])
    assert caught.value.code == 21


@pytest.mark.parametrize("points", [[70000], [-1], [1.5]])
def test_counts_outside_16_bits_are_refused(points):
    with pytest.raises(ValueError):
        WaveformOutput(FakeOutputBoard(), 1000.0).write(points)


class FakeBulkBoard:
    index = 7

    def __init__(self):
        self.left = 0
        self.target = None

    def call(self, name, size, address):
        assert name == "ADC_BulkAcquire"
        self.left, self.target = size, address.value

    def raw(self, name, left_ref):
        left_ref._obj.value = self.left
        return 0

    def fill(self, value):  # the worker writes the whole block
        ctypes.memset(self.target, value, self.left)
        self.left = 0


def test_a_bulk_block_stays_alive_until_the_worker_is_done():
    board = FakeBulkBoard()
    acquisition = BulkAcquisition(board, 4)
    del acquisition  # the worker still writes into the samples
    running = BulkAcquisition._running[7]
    assert running.bytes_left() == 8
    board.fill(0x11)
    assert running.wait(timeout=1).tolist() == [0x1111] * 4
    assert 7 not in BulkAcquisition._running
