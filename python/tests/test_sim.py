"""The simulated boards' control API as the package wraps it."""

import pytest

import mirbax
import mirbax.sim as sim


def test_poke_and_peek_round_trip(bus):
    board = sim.attach(0x8040)
    board.poke("eeprom", 0x100, b"\x01\x02\x03")
    assert board.peek("eeprom", 0x100, 3) == b"\x01\x02\x03"
    board.poke("ram", 0xE600, b"\x01")
    assert board.peek("ram", 0xE600, 1) == b"\x01"


@pytest.mark.parametrize("call", [
    lambda board: board.peek("eeprom", 8190, 3),
    lambda board: board.poke("nowhere", 0, b"\0"),
    lambda board: board.set_option("no such option", 1),
])
def test_bad_arguments_give_87(bus, call):
    board = sim.attach(0x8040)
    with pytest.raises(mirbax.InvalidArgumentError) as caught:
        call(board)
    assert caught.value.code == 87


def test_a_board_that_is_gone_gives_2(bus):
    board = sim.attach(0x8040)
    board.detach()
    sim.reset()
    with pytest.raises(mirbax.NoBoardError) as caught:
        board.set_option("serial", 1)
    assert caught.value.code == 2


def test_the_log_shows_the_transfers_of_a_call(attach):
    simulated, board = attach(0x8040)
    mirbax.product_name(board.index)
    log = simulated.log()
    assert log[0].startswith("C c0 06 0100 0000 0012 ")  # the device descriptor, 18 bytes
    assert all(line.startswith("C c0 06 03") for line in log[1:])
    simulated.clear_log()
    assert simulated.log() == []


@pytest.mark.parametrize("error", [31, 1460])
def test_injected_faults_reach_the_caller_as_their_code(attach, error):
    simulated, board = attach(0x8040)
    simulated.fail_transfers(1, error)
    with pytest.raises(mirbax.MirbaxError) as caught:
        mirbax.product_name(board.index)
    assert caught.value.code == error
    assert mirbax.product_name(board.index) == board.name  # only one transfer failed


def test_a_fault_after_skipped_transfers_hits_the_later_step(attach):
    simulated, board = attach(0x8040)
    simulated.fail_transfers(1, 31, skip=1)  # the descriptor read passes, the string read fails
    with pytest.raises(mirbax.MirbaxError) as caught:
        mirbax.product_name(board.index)
    assert caught.value.code == 31
    [descriptor_read] = simulated.log()
    assert descriptor_read.startswith("C c0 06 0100 0000 0012 ")


def test_bulk_pipes_carry_what_was_queued(attach):
    import ctypes
    simulated, board = attach(0x8040)
    assert simulated.read_bulk_out(sim.PIPE_OUT_02) == b""
    simulated.write_bulk_in(sim.PIPE_IN_86, b"\x10\x20\x30\x40")
    data = (ctypes.c_uint8 * 4)()
    moved = ctypes.c_uint32()
    board.call("AWU_GenericBulkIn", 6, data, 4, ctypes.byref(moved))
    assert bytes(data)[:moved.value] == b"\x10\x20\x30\x40"


def test_no_message_boxes_on_a_fresh_bus(bus):
    assert sim.messages() == []


def test_options_read_back_and_handles_are_counted(attach):
    simulated, board = attach(0x8040)
    simulated.set_option("sample_rate", 12345)
    assert simulated.get_option("sample_rate") == 12345
    assert simulated.device_path()
    assert simulated.open_handle_count() >= 1
    mirbax.close_device(board.index)
    assert simulated.open_handle_count() == 0
