"""Board memory, serial numbers and the capability record through the package."""

import pytest

import mirbax
import mirbax.sim as sim
from conftest import placeholders

pytestmark = pytest.mark.skipif("GetDeviceSerialNumber" in placeholders(),
                                reason="board memory and serial numbers are not built yet")


def test_serial_numbers_identify_boards(bus):
    first, second = sim.attach(0x8040), sim.attach(0x8001)
    first.set_option("serial", 0x1122334455667788)
    second.set_option("serial", 0)  # not programmed
    listed = mirbax.devices()
    assert [info.serial for info in listed] == [0x1122334455667788, None]
    assert mirbax.find_by_serial(0x1122334455667788) == 0
    assert mirbax.find_by_serial(0x99) is None


def test_the_custom_eeprom_area_round_trips(attach):
    _simulated, board = attach(0x8040)
    board.memory.write_eeprom(0x20, b"calibrated 2026")
    assert board.memory.read_eeprom(0x20, 15) == b"calibrated 2026"


def test_the_capability_record_reaches_the_device_list(attach):
    simulated, board = attach(0x8040)
    record = board.memory.pnp()
    assert record["PNPSize"] == 15
    assert record["nDIOBytes"] == 2 and record["nCounterBlocks"] == 1
    assert board.info.capabilities.pnp == record
    simulated.poke("pnp", 0, bytes([3, 1, 0]))  # a short record: size and revision only
    assert board.memory.pnp() == record  # the record is read when the board opens
    mirbax.reload_links()
    assert mirbax.Board(0).memory.pnp() == {"PNPSize": 3, "Rev": 1}


def test_flash_writes_read_back_and_erase(attach):
    _simulated, board = attach(0x8070)  # 32 sectors of flash
    board.memory.erase_flash_sector(0)
    board.memory.write_flash(0, bytes(range(256)) * 16)
    assert board.memory.read_flash(4096 - 4, 4) == bytes([252, 253, 254, 255])
    board.memory.erase_flash_sector(0)
    assert board.memory.read_flash(0, 4096) == b"\xff" * 4096


def test_a_board_without_flash_lacks_the_feature(attach):
    _simulated, board = attach(0x8040)
    with pytest.raises(mirbax.FeatureMissingError):
        board.memory.read_flash(0, 4096)


def test_a_flash_read_of_several_blocks_returns_them_all(attach):
    _simulated, board = attach(0x8070)
    board.memory.erase_flash_sector(1)
    board.memory.write_flash(65536, bytes([7]) * 10000)
    assert board.memory.read_flash(65536, 10000) == bytes([7]) * 10000
