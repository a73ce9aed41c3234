"""Listing boards, resolving device indexes, identification."""

import pytest

import mirbax
import mirbax.sim as sim


def test_no_boards_no_devices(bus):
    assert mirbax.devices() == []
    with pytest.raises(mirbax.NoBoardError) as caught:
        mirbax.Board(0)
    assert caught.value.code == 2


@pytest.mark.parametrize("pid, dio_bytes, counter_blocks", [
    (0x8040, 2, 1),
    (0x8020, 0, 5),
    (0x8001, 4, 3),
    (0x8006, 3, 2),
    (0x4001, 0, 0),
    (0x8013, 0, 0),  # not a known model: every capability cleared
])
def test_devices_report_the_capabilities_of_their_model(bus, pid, dio_bytes, counter_blocks):
    sim.attach(pid)
    [info] = mirbax.devices()
    assert (info.index, info.pid) == (0, pid)
    assert (info.dio_bytes, info.counter_blocks) == (dio_bytes, counter_blocks)
    assert info.capabilities.dio_lines == 8 * dio_bytes
    assert info.capabilities.counters == 3 * counter_blocks


def test_boards_are_listed_in_entry_order_with_their_names(bus):
    first = sim.attach(0x8040, sim.CYUSB3)
    second = sim.attach(0x8001, sim.WINUSB)
    first.set_product_name("USB-AI16-16A")
    second.set_product_name("USB-CTR-15")
    listed = mirbax.devices()
    assert [(info.index, info.pid, info.name) for info in listed] == [
        (0, 0x8040, "USB-AI16-16A"), (1, 0x8001, "USB-CTR-15")]
    assert mirbax.devices() == listed  # a second pass links nothing twice


def test_a_product_name_outside_ascii_comes_back_as_text(bus):
    sim.attach(0x8040).set_product_name("Meßkarte µ")
    assert mirbax.devices()[0].name == "Meßkarte µ"


def test_special_indexes_resolve_and_report_their_codes(bus):
    for pid in (0x8040, 0x8001):
        sim.attach(pid)
    mirbax.devices()
    assert mirbax.resolve(mirbax.FIRST) == 0
    assert mirbax.resolve(1) == 1
    with pytest.raises(mirbax.MirbaxError) as several:
        mirbax.resolve(mirbax.ONLY)
    assert (several.value.code, several.value.function) == (52, "ResolveDeviceIndex")
    with pytest.raises(mirbax.InvalidAddressError) as beyond:
        mirbax.resolve(32)
    assert beyond.value.code == 1413


def test_open_links_a_board_attached_since_the_last_pass(bus):
    sim.attach(0x8040)
    with mirbax.open() as board:
        assert (board.index, board.pid) == (0, 0x8040)


def test_a_removed_board_reports_removal_until_closed(attach):
    # On WinUSB a failed read shows the removal; the entry stays marked until closed.
    simulated, board = attach(0x8040, sim.WINUSB)
    simulated.detach()
    for _ in range(2):
        with pytest.raises(mirbax.DeviceRemovedError) as caught:
            mirbax.product_name(board.index)
        assert caught.value.code == 1617
    mirbax.close_device(board.index)
    with pytest.raises(mirbax.NoBoardError):
        mirbax.product_name(board.index)
