"""The pulling design of AcquisitionStream, against a stand-in for the library's calls.

The stand-in lends buffers the way ADC_GetBuf does (one lent buffer, reused at
the next call), waits on an event for the time-out it is given, and checks
that ADC_GetBuf and ADC_BulkContinuousEnd never overlap.  The real library
runs the same paths in test_adc.py once the analog-input family is built.
"""

import ctypes
import gc
import threading

import numpy as np
import pytest

import mirbax
from mirbax.stream import AcquisitionStream


class FakeContinuousBoard:
    index = 0

    def __init__(self, buffers=(), io_status=0, start_code=0):
        self.queue = [bytes(buffer) for buffer in buffers]
        self.arrived = threading.Event()
        self.io_status = io_status
        self.start_code = start_code
        self.ends = 0
        self.in_get_buf = False
        self.overlaps = 0
        self.lent = None
        self.get_buf_threads = set()

    def push(self, data):
        self.queue.append(bytes(data))
        self.arrived.set()

    def call(self, name, *args):
        assert name.startswith("ADC_BulkContinuousCallbackStart")
        assert args[3] is None  # no callback into Python from a library thread
        mirbax.errors.check(self.start_code, name)
        if name.endswith("Clocked"):
            args[4]._obj.value = 999.5

    def raw(self, name, *args):
        return getattr(self, name)(*args)

    def ADC_GetBuf(self, pointer, size, _reserved, timeout):
        self.in_get_buf = True
        self.get_buf_threads.add(threading.current_thread())
        try:
            if not self.queue:
                self.arrived.wait(timeout.value)
            self.arrived.clear()
            if not self.queue:
                return mirbax.errors.NO_DATA
            data = self.queue.pop(0)
            if self.lent is not None:  # the previous loan ends: its memory is reused
                ctypes.memset(self.lent, 0xEE, len(self.lent))
            self.lent = ctypes.create_string_buffer(data, max(len(data), 1))
            pointer._obj.value = ctypes.addressof(self.lent)
            size._obj.value = len(data)
            return 0
        finally:
            self.in_get_buf = False

    def ADC_BulkContinuousEnd(self, status):
        if self.in_get_buf:
            self.overlaps += 1
        self.ends += 1
        status._obj.value = self.io_status
        self.arrived.set()
        return 0 if self.ends == 1 else mirbax.errors.HANDLE_EOF


def words(*values):
    return np.array(values, dtype="<u2").tobytes()


def start(board, timeout=5.0, callback=None, rate=None):
    return AcquisitionStream(board, rate=rate, buffer_size=4096, buffers=4, timeout=timeout,
                             callback=callback)


def test_blocks_arrive_in_order_and_stay_valid_after_the_next_buffer():
    board = FakeContinuousBoard([words(1, 2, 3), words(4, 5), words(6)])
    with start(board) as stream:
        blocks = [next(iter(stream)) for _ in range(3)]
    assert [block.tolist() for block in blocks] == [[1, 2, 3], [4, 5], [6]]
    assert all(block.dtype == np.uint16 for block in blocks)
    assert board.ends == 1 and board.overlaps == 0


def test_an_odd_byte_is_carried_into_the_next_block():
    data = words(0x1111, 0x2222, 0x3333)
    board = FakeContinuousBoard([data[:3], data[3:]])
    with start(board) as stream:
        assert stream.read(3).tolist() == [0x1111, 0x2222, 0x3333]


def test_read_returns_exactly_the_count_and_keeps_the_rest_for_later():
    board = FakeContinuousBoard([words(*range(5)), words(*range(5, 10))])
    with start(board) as stream:
        assert stream.read(3).tolist() == [0, 1, 2]
        assert stream.read(4).tolist() == [3, 4, 5, 6]
        assert next(iter(stream)).tolist() == [7, 8, 9]


def test_close_from_another_thread_ends_a_waiting_iteration():
    board = FakeContinuousBoard()
    stream = start(board, timeout=None)
    waiting = threading.Event()
    result = {}

    def consume():
        waiting.set()
        result["blocks"] = list(stream)

    consumer = threading.Thread(target=consume)
    consumer.start()
    waiting.wait()
    stream.close()
    consumer.join()
    assert result["blocks"] == []
    assert board.ends == 1 and board.overlaps == 0


def test_a_wait_past_the_timeout_ends_the_acquisition_with_a_timeout_error():
    board = FakeContinuousBoard()
    stream = start(board, timeout=0.0)
    with pytest.raises(mirbax.MirbaxTimeoutError) as caught:
        stream.read(1)
    assert (caught.value.code, caught.value.function) == (232, "ADC_GetBuf")
    assert stream.closed and board.ends == 1
    stream.close()  # nothing more to end or report
    assert board.ends == 1


def test_a_failure_that_stopped_the_board_is_raised_instead_of_the_timeout():
    board = FakeContinuousBoard(io_status=31)
    stream = start(board, timeout=0.0)
    with pytest.raises(mirbax.MirbaxError) as caught:
        list(stream)
    assert caught.value.code == 31
    stream.close()  # reported once


def test_close_reports_the_io_status_of_the_acquisition():
    board = FakeContinuousBoard([words(1)], io_status=1167)
    stream = start(board)
    assert stream.read(1).tolist() == [1]
    with pytest.raises(mirbax.DeviceRemovedError):
        stream.close()
    assert stream.io_status == 1167


def test_a_callback_gets_every_block_on_a_thread_of_the_package():
    board = FakeContinuousBoard()
    got, threads, all_in = [], set(), threading.Event()

    def callback(block):
        got.append(block.tolist())
        threads.add(threading.current_thread())
        if len(got) == 3:
            all_in.set()

    stream = start(board, callback=callback)
    for value in (1, 2, 3):
        board.push(words(value))
    all_in.wait()
    stream.close()
    assert got == [[1], [2], [3]]
    assert threading.current_thread() not in threads
    assert board.get_buf_threads == threads
    with pytest.raises(RuntimeError):
        iter(stream)


def test_a_callback_exception_ends_the_stream_and_is_raised_by_close():
    board = FakeContinuousBoard([words(1)])
    stream = start(board, callback=lambda block: 1 / 0)
    stream._thread.join()
    assert board.ends == 1
    with pytest.raises(ZeroDivisionError):
        stream.close()


def test_a_clocked_start_reports_the_rate_obtained():
    with start(FakeContinuousBoard(), rate=1000.0) as stream:
        assert stream.rate == 999.5


def test_a_start_that_fails_never_ends_someone_elses_acquisition():
    board = FakeContinuousBoard(start_code=4)
    with pytest.raises(mirbax.BusyError):
        start(board)
    gc.collect()
    assert board.ends == 0
