"""Digital I/O through the package, on simulated boards."""

import pytest

import mirbax
from conftest import placeholders

pytestmark = pytest.mark.skipif("DIO_ReadAll" in placeholders(),
                                reason="the digital I/O family is not built yet")

BOARD = 0x8040  # 2 digital bytes


def test_reads_see_the_input_lines(attach):
    simulated, board = attach(BOARD)
    simulated.set_digital_inputs(b"\x5a\xa5")
    assert board.dio.read_all() == b"\x5a\xa5"
    assert board.dio.read_byte(1) == 0xA5
    assert [board.dio.read_bit(line) for line in (0, 1, 8, 15)] == [False, True, True, True]
    assert board.dio.read_lines()[:8] == [False, True, False, True, True, False, True, False]


def test_writes_send_the_whole_output_mirror(attach):
    simulated, board = attach(BOARD)
    board.dio.write_all(b"\x00\x00")
    board.dio.write_byte(1, 0x80)
    assert simulated.log()[-1] == "C 40 10 0000 0000 0002 0080"


def test_configure_sends_data_direction_mask_and_zero_change_mask(attach):
    simulated, board = attach(BOARD)
    board.dio.configure(0b1, b"\x12\x34")
    assert simulated.log()[-1] == "C 40 12 0000 0000 0004 12340100"


@pytest.mark.parametrize("call", [
    lambda dio: dio.write_bit(16, True),
    lambda dio: dio.read_bit(16),
    lambda dio: dio.write_byte(2, 0),
    lambda dio: dio.read_byte(2),
])
def test_lines_beyond_the_board_give_487_and_send_nothing(attach, call):
    simulated, board = attach(BOARD)
    with pytest.raises(mirbax.InvalidAddressError) as caught:
        call(board.dio)
    assert caught.value.code == 487
    assert simulated.log() == []


@pytest.mark.parametrize("call", [
    lambda dio: dio.write_all(b"\x00"),
    lambda dio: dio.write_all(b"\x00\x00\x00"),
    lambda dio: dio.write_byte(0, 256),
    lambda dio: dio.configure(1 << 256, b"\x00\x00"),
])
def test_data_of_the_wrong_size_never_reaches_the_library(attach, call):
    simulated, board = attach(BOARD)
    with pytest.raises(ValueError):
        call(board.dio)
    assert simulated.log() == []


def test_a_board_without_digital_lines_lacks_the_feature(attach):
    _simulated, board = attach(0x8020)
    assert board.dio.line_count == 0
    with pytest.raises(mirbax.FeatureMissingError):
        board.dio.read_all()
