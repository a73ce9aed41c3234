"""Analog input through the package, on simulated boards."""

import threading

import numpy as np
import pytest

import mirbax
from conftest import placeholders
from mirbax import adc

pytestmark = pytest.mark.skipif("ADC_GetScanV" in placeholders(),
                                reason="the analog-input family is not built yet")

RATE = 100_000  # simulated samples per second: streams are paced, the pool stays small


@pytest.mark.parametrize("range_byte, counts, volts", [
    (adc.RANGE_PM10V, 49152, 5.0),
    (adc.RANGE_PM10V, 0, -10.0),
    (adc.RANGE_0_10V, 32768, 5.0),
    (adc.RANGE_0_1V, 32768, 0.5),
    (adc.RANGE_PM2V, 16384, -1.0),
    (adc.RANGE_PM5V | adc.DIFFERENTIAL, 32768, 0.0),
])
def test_counts_to_volts_follows_the_range_code(range_byte, counts, volts):
    assert mirbax.counts_to_volts(counts, range_byte) == pytest.approx(volts)


@pytest.mark.parametrize("pid, size, streaming", [(0x8040, 20, True), (0x8045, 21, True),
                                                  (0x8002, 0, False)])
def test_capabilities_tell_the_configuration_block_and_streaming(attach, pid, size, streaming):
    simulated, board = attach(pid)
    assert board.info.capabilities.adc_config_bytes == size
    assert board.info.capabilities.adc_streaming is streaming
    assert board.adc.config_size() == size
    assert simulated.log() == []  # learnt without a transfer


def test_a_board_without_a_block_lacks_the_feature(attach):
    _simulated, board = attach(0x8002)
    with pytest.raises(mirbax.FeatureMissingError):
        board.adc.config()


def test_configuration_round_trip(attach):
    _simulated, board = attach(0x8045)
    board.adc.set_scan_limits(18, 63)
    board.adc.set_oversample(7)
    config = board.adc.config()
    assert (config.start_channel, config.end_channel, config.oversample) == (18, 63, 7)
    config.set_scan_limits(2, 5)
    config.trigger_mode = adc.TRIGGER_SCAN
    board.adc.set_config(config)
    assert board.adc.config() == config
    with pytest.raises(mirbax.InvalidArgumentError):
        board.adc.set_scan_limits(5, 2)


def inputs(simulated, channels=16):
    for channel in range(channels):
        simulated.set_analog_input(channel, 1000 * channel + 500)


def test_a_scan_returns_the_scanned_channels(attach):
    simulated, board = attach(0x8040)
    inputs(simulated)
    board.adc.set_scan_limits(4, 6)
    board.adc.set_ranges(adc.RANGE_PM10V)
    assert board.adc.scan_channels() == range(4, 7)
    assert board.adc.scan().tolist() == [4500, 5500, 6500]
    assert board.adc.scan_volts() == pytest.approx(
        mirbax.counts_to_volts([4500, 5500, 6500], adc.RANGE_PM10V))
    assert board.adc.channel_volts(5) == pytest.approx(
        mirbax.counts_to_volts(5500, adc.RANGE_PM10V))
    assert np.isnan(board.adc.channel_volts(9))  # outside the scan limits


def test_ranges_per_group_convert_each_channel(attach):
    simulated, board = attach(0x8040)
    for channel in range(2):
        simulated.set_analog_input(channel, 32768)
    board.adc.set_scan_limits(0, 1)
    board.adc.set_ranges([adc.RANGE_0_10V, adc.RANGE_0_1V] + [adc.RANGE_PM10V] * 14)
    assert board.adc.scan_volts() == pytest.approx([5.0, 0.5])
    with pytest.raises(ValueError):
        board.adc.set_ranges([adc.RANGE_0_10V] * 3)


def pattern_board(attach, pid=0x8040):
    simulated, board = attach(pid)
    simulated.set_option("adc_pattern", 1)  # sample n carries n mod 65536
    simulated.set_option("sample_rate", RATE)
    return simulated, board


def assert_running_count(samples):
    assert samples.dtype == np.uint16
    steps = np.diff(samples.astype(np.int64)) % 65536
    assert np.all(steps == 1), "samples lost or reordered"


def test_a_bulk_acquisition_delivers_the_whole_block(attach):
    _simulated, board = pattern_board(attach)
    samples = board.adc.acquire(10_000, timeout=30)
    assert samples.size == 10_000 and samples[0] == 0
    assert_running_count(samples)


def test_a_stream_delivers_every_sample_in_order(attach):
    _simulated, board = pattern_board(attach)
    with board.adc.stream(buffer_size=4096, buffers=2) as stream:
        first = next(iter(stream))
        rest = stream.read(60_000)
    assert first.size <= 2048
    samples = np.concatenate([first, rest])
    assert samples[0] == 0 and samples.size == first.size + 60_000
    assert_running_count(samples)


@pytest.mark.parametrize("asked, obtained", [(1000.0, 1000.0), (7000.0, 7002.80)])
def test_a_clocked_stream_reports_the_rate_obtained(attach, asked, obtained):
    _simulated, board = pattern_board(attach)
    with board.adc.stream(rate=asked, buffer_size=4096) as stream:
        assert stream.rate == pytest.approx(obtained, abs=0.01)


def test_a_stream_with_a_callback_delivers_on_a_package_thread(attach):
    _simulated, board = pattern_board(attach)
    blocks, threads, enough = [], set(), threading.Event()

    def callback(block):
        blocks.append(block)
        threads.add(threading.current_thread())
        if sum(block.size for block in blocks) >= 20_000:
            enough.set()

    stream = board.adc.stream(buffer_size=4096, callback=callback)
    enough.wait()
    stream.close()
    assert threading.current_thread() not in threads
    assert_running_count(np.concatenate(blocks))


def test_a_second_stream_is_refused_and_the_first_goes_on(attach):
    _simulated, board = pattern_board(attach)
    with board.adc.stream(buffer_size=4096) as stream:
        with pytest.raises(mirbax.BusyError) as caught:
            board.adc.stream(buffer_size=4096)
        assert caught.value.code == 4
        assert_running_count(stream.read(10_000))


def test_a_buffer_size_off_512_bytes_is_refused(attach):
    _simulated, board = pattern_board(attach)
    with pytest.raises(mirbax.InvalidArgumentError) as caught:
        board.adc.stream(buffer_size=1000)
    assert caught.value.code == 1784


def test_closing_the_board_ends_its_streams(attach):
    _simulated, board = pattern_board(attach)
    stream = board.adc.stream(buffer_size=4096)
    board.close()
    assert stream.closed
    with board.adc.stream(buffer_size=4096) as again:  # the board is free again
        assert again.read(100).size == 100


def test_a_ring_gives_whole_scans_in_volts(attach):
    simulated, board = attach(0x8040)
    simulated.set_option("sample_rate", RATE)
    inputs(simulated)
    board.adc.set_scan_limits(0, 3)
    board.adc.set_ranges(adc.RANGE_PM10V)
    with board.adc.start_ring(ring_bytes=65536) as ring:
        scans = board.adc.read_ring(20, timeout=10)
        assert ring.read(5, timeout=10, all_or_nothing=True).shape == (5, 4)
    assert scans.shape == (20, 4)
    expected = mirbax.counts_to_volts([500, 1500, 2500, 3500], adc.RANGE_PM10V)
    assert scans == pytest.approx(np.tile(expected, (20, 1)), abs=1e-3)
