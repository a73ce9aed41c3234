"""Analog output through the package, on simulated boards."""

import numpy as np
import pytest

import mirbax
from conftest import placeholders

pytestmark = pytest.mark.skipif("DACDirect" in placeholders(),
                                reason="the analog-output family is not built yet")

IMMEDIATE = 0x8140  # 16 analog inputs and 4 immediate DACs
FIFO = 0x4001       # 8 DACs fed by a waveform FIFO


@pytest.mark.parametrize("pid, immediate, waveform", [
    (IMMEDIATE, True, False), (FIFO, True, True), (0x8040, False, False)])
def test_capabilities_tell_the_kinds_of_dac(attach, pid, immediate, waveform):
    simulated, board = attach(pid)
    assert board.info.capabilities.dac_immediate is immediate
    assert board.info.capabilities.dac_waveform is waveform
    assert simulated.log() == []


def test_immediate_writes_reach_the_outputs(attach):
    simulated, board = attach(IMMEDIATE)
    board.dac.write(2, 0x1234)
    board.dac.write_many({0: 100, 3: 65535})
    assert [simulated.dac_output(channel) for channel in range(4)] == [100, 0, 0x1234, 65535]


@pytest.mark.parametrize("call", [lambda dac: dac.write(4, 1), lambda dac: dac.write_many({4: 1})])
def test_a_channel_beyond_the_board_gives_487_and_sends_nothing(attach, call):
    simulated, board = attach(IMMEDIATE)
    with pytest.raises(mirbax.InvalidAddressError) as caught:
        call(board.dac)
    assert caught.value.code == 487
    assert simulated.log() == []


def test_a_board_without_dacs_lacks_the_feature(attach):
    _simulated, board = attach(0x8040)
    with pytest.raises(mirbax.FeatureMissingError):
        board.dac.write(0, 1)


def test_counts_outside_16_bits_never_reach_the_library(attach):
    simulated, board = attach(IMMEDIATE)
    for call in (lambda: board.dac.write(0, 65536), lambda: board.dac.play([1, -1], 1000.0)):
        with pytest.raises(ValueError):
            call()
    assert simulated.log() == []


def bulk_out_sizes(log):
    return [int(line.split()[2], 16) for line in log if line.startswith("B 02 ")]


def test_play_loads_the_waveform_in_blocks_and_reports_the_rate(attach):
    simulated, board = attach(FIFO)
    rate = board.dac.play(np.arange(20_000) % 4096, 100_000.0)
    assert rate == 100_000.0  # divisor 120 of the 12 MHz clock
    assert bulk_out_sizes(simulated.log()) == [31744, 8256]


def test_a_waveform_output_queues_frames_and_closes(attach):
    simulated, board = attach(FIFO)
    with board.dac.open_output(100_000.0) as output:
        assert output.rate == 100_000.0
        output.write(np.zeros((5000, 2), dtype=np.uint16))
        output.start()
    assert output.closed
    assert sum(bulk_out_sizes(simulated.log())) >= 5000 * 2 * 2
    with pytest.raises(mirbax.NoBoardError):  # nothing open any more
        output.start()
