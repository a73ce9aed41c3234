"""Counters: addressing and argument checks, and the requests they send."""

import math

import pytest

import mirbax
from conftest import placeholders


@pytest.mark.parametrize("call", [
    lambda c: c.read(6),               # flat index past the two blocks
    lambda c: c.read(3, block=1),      # counter 3 of a block
    lambda c: c.read(0, block=2),      # block 2 of two
    lambda c: c.set_mode(0, 6),        # mode 6
    lambda c: c.start_output_freq(1000.0, block=2),
])
def test_addresses_beyond_the_board_give_487_and_send_nothing(attach, call):
    simulated, board = attach(0x8006)  # two counter blocks
    with pytest.raises(mirbax.InvalidAddressError) as caught:
        call(board.counters)
    assert caught.value.code == 487
    assert simulated.log() == []


def test_a_board_without_counters_lacks_the_feature(attach):
    simulated, board = attach(0x8002)
    assert board.counters.count == 0
    with pytest.raises(mirbax.FeatureMissingError) as caught:
        board.counters.read_all()
    assert caught.value.code == 1349
    assert simulated.log() == []


@pytest.mark.parametrize("hz", [math.nan, math.inf])
def test_a_rate_that_is_not_finite_is_refused_before_the_library(attach, hz):
    simulated, board = attach(0x8040)
    with pytest.raises(ValueError):
        board.counters.start_output_freq(hz)
    assert simulated.log() == []


@pytest.mark.parametrize("call", [
    lambda c: c.load(0, 65536),
    lambda c: c.load(0, -1),
    lambda c: c.set_mode_and_load(0, 2, 70000),
])
def test_values_that_do_not_fit_16_bits_are_refused(attach, call):
    simulated, board = attach(0x8040)
    with pytest.raises(ValueError):
        call(board.counters)
    assert simulated.log() == []


simulated_counters = pytest.mark.skipif(
    "DIO_ReadAll" in placeholders(),
    reason="the simulated counters come with the digital family's board models")


@simulated_counters
def test_mode_and_load_requests_carry_the_counter_and_block(attach):
    simulated, board = attach(0x8006)  # two blocks
    board.counters.set_mode(2, 3, block=1)
    board.counters.load(2, 1000, block=1)
    board.counters.set_mode(5, 3)  # flat index 5: block 1, counter 2
    assert simulated.log() == ["C 40 21 b601 0000 0000", "C 40 22 8001 03e8 0000",
                               "C 40 21 b601 0000 0000"]


@simulated_counters
def test_frequency_output_reports_the_frequency_produced(attach):
    simulated, board = attach(0x8040)  # 10 MHz root clock
    assert board.counters.start_output_freq(1000.0) == 1000.0
    assert board.counters.start_output_freq(5e6) == 2.5e6
    assert simulated.log() == ["C 40 23 7400 0064 0000", "C 40 23 b600 0064 0000",
                               "C 40 23 7400 0002 0000", "C 40 23 b600 0002 0000"]


@simulated_counters
def test_read_all_returns_three_counts_per_block(attach):
    simulated, board = attach(0x8006)
    counts = board.counters.read_all()
    assert counts.dtype.name == "uint16" and counts.shape == (6,)
    assert simulated.log()[-1].startswith("C c0 25 0000 0000 000c")
