"""The boards the library sees: listing, identification and capabilities."""

import ctypes
from dataclasses import dataclass
from typing import Optional

from . import errors
from ._library import library
from ._values import unsigned

# Special device index values, resolved by the library.
NONE = 0xFFFFFFFF
FIRST = 0xFFFFFFFE
ONLY = 0xFFFFFFFD
LOAD_AND_ONLY = 0xFFFFFFFC
MAX_DEVICES = 32

_NAME_ROOM = 255


class PNPData(ctypes.LittleEndianStructure):
    """The capability record a board reports (15 bytes)."""

    _pack_ = 1
    _fields_ = [
        ("PNPSize", ctypes.c_uint8),
        ("Rev", ctypes.c_uint16),
        ("nADCConfigBytes", ctypes.c_uint8),
        ("nDIOControlBytes", ctypes.c_uint8),
        ("nDIOBytes", ctypes.c_uint8),
        ("nCounterBlocks", ctypes.c_uint8),
        ("nDACWords", ctypes.c_uint8),
        ("HasDeb", ctypes.c_uint8),
        ("HasLatch", ctypes.c_uint8),
        ("PWMTableMaxLen", ctypes.c_uint8),
        ("MapTableMaxLen", ctypes.c_uint8),
        ("MapHighSrcBit", ctypes.c_uint8),
        ("MapHighDstBit", ctypes.c_uint8),
        ("HasDIOWrite1", ctypes.c_uint8),
    ]

    def as_dict(self):
        """The fields the record holds (the first PNPSize bytes), by name."""
        fields = {}
        for name, _type in self._fields_:
            field = getattr(type(self), name)
            if field.offset < self.PNPSize:
                fields[name] = getattr(self, name)
        return fields


@dataclass(frozen=True)
class Capabilities:
    """What a board can do, as far as the library tells without touching the board.

    A value of None means the library could not say (the function that
    tells is not available in this build).
    """

    dio_lines: int
    counters: int
    adc_config_bytes: Optional[int]
    adc_streaming: Optional[bool]
    dio_stream: Optional[bool]
    dac_immediate: Optional[bool]
    dac_waveform: Optional[bool]
    pnp: Optional[dict]


@dataclass(frozen=True)
class DeviceInfo:
    """One linked board: its device index, USB product ID, name, serial number and capabilities."""

    index: int
    pid: int
    name: str
    serial: Optional[int]
    dio_bytes: int
    counter_blocks: int
    capabilities: Capabilities

    def __str__(self):
        serial = f"{self.serial:016X}" if self.serial is not None else "-"
        return f"{self.index:2d}  {self.pid:04X}  {self.name:<24s} {serial}"


def query_pnp(lib, index):
    """(result code, PNPData) of MIRBAX_QuerySimplePNPData.

    The library hands out the record from ``Rev`` on and reports PNPSize - 1
    bytes; the record is rebuilt whole here, its size byte included.
    """
    record = PNPData()
    room = ctypes.c_uint32(ctypes.sizeof(record) - 1)
    code = lib.MIRBAX_QuerySimplePNPData(index, ctypes.addressof(record) + 1, ctypes.byref(room))
    if code == errors.SUCCESS:
        record.PNPSize = min(room.value + 1, ctypes.sizeof(record)) if room.value else 0
    return code, record


def _probe(code):
    """What a capability check that sends nothing tells: the board lacks the
    feature (1349), the function is not available (50: unknown, None), or any
    other outcome, which the library reaches only past the capability check."""
    if code == errors.BAD_TOKEN_TYPE:
        return False
    if code == errors.NOT_SUPPORTED:
        return None
    return True


def _capabilities(lib, index, dio_bytes, counter_blocks):
    # Each probe below fails a documented check that comes before any
    # transfer (or succeeds without one), so none of them reaches the board.
    size = ctypes.c_uint32(0)
    code = lib.ADC_GetConfig(index, None, ctypes.byref(size))
    adc_config_bytes = {errors.INSUFFICIENT_BUFFER: size.value, errors.BAD_TOKEN_TYPE: 0}.get(code)

    left = ctypes.c_uint32(0)
    adc_streaming = _probe(lib.ADC_BulkPoll(index, ctypes.byref(left)))

    moved = ctypes.c_uint32(0)
    dio_stream = _probe(lib.DIO_StreamFrame(index, 0, None, ctypes.byref(moved)))

    dac_immediate = _probe(lib.DACMultiDirect(index, None, 0))
    dac_waveform = _probe(lib.DACOutputSetCount(index, 0))

    code, record = query_pnp(lib, index)
    pnp = record.as_dict() if code == errors.SUCCESS and record.PNPSize else None

    return Capabilities(dio_lines=8 * dio_bytes, counters=3 * counter_blocks,
                        adc_config_bytes=adc_config_bytes, adc_streaming=adc_streaming,
                        dio_stream=dio_stream, dac_immediate=dac_immediate,
                        dac_waveform=dac_waveform, pnp=pnp)


def product_name(index):
    """The board's product name (its USB product string)."""
    lib = library()
    room = ctypes.c_uint32(_NAME_ROOM)
    name = ctypes.create_string_buffer(_NAME_ROOM + 1)
    lib.call("QueryDeviceInfo", index, None, ctypes.byref(room), name, None, None)
    # The library stores the full name length, which may exceed the room given.
    return name.raw[:min(room.value, _NAME_ROOM)].decode("latin-1")


def serial_number(index):
    """The board's 64-bit serial number, or None when none is programmed."""
    serial = ctypes.c_uint64(0)
    code = library().GetDeviceSerialNumber(index, ctypes.byref(serial))
    if code == errors.NOT_SUPPORTED:
        return None
    errors.check(code, "GetDeviceSerialNumber")
    return serial.value


def device_info(index):
    """The :class:`DeviceInfo` of a linked board (opens the entry on first use)."""
    lib = library()
    pid, dio_bytes, counters = ctypes.c_uint32(), ctypes.c_uint32(), ctypes.c_uint32()
    lib.call("QueryDeviceInfo", index, ctypes.byref(pid), None, None,
             ctypes.byref(dio_bytes), ctypes.byref(counters))
    return DeviceInfo(index=index, pid=pid.value, name=product_name(index),
                      serial=serial_number(index), dio_bytes=dio_bytes.value,
                      counter_blocks=counters.value,
                      capabilities=_capabilities(lib, index, dio_bytes.value, counters.value))


def devices():
    """Link newly attached boards and list every board that opens, lowest index first."""
    mask = library().GetDevices()
    found = []
    for index in range(MAX_DEVICES):
        if not mask & (1 << index):
            continue
        try:
            found.append(device_info(index))
        except (errors.DeviceRemovedError, errors.NoBoardError):
            continue  # unplugged between the listing and the query
    return found


def resolve(index):
    """The entry a device index selects (FIRST, ONLY and LOAD_AND_ONLY resolved)."""
    value, code = library().call_with_errno("ResolveDeviceIndex", index)
    errors.check(code, "ResolveDeviceIndex")
    return value


def reload_links():
    """Close every entry and link the attached boards again from entry 0."""
    library().call("MIRBAX_ReloadDeviceLinks")


def clear_devices():
    """Forget boards that went away and notice boards that have gone."""
    library().ClearDevices()


def close_device(index):
    """Drop the link of an entry (and its removal mark)."""
    library().call("MIRBAX_CloseDevice", index)


def find_by_serial(serial):
    """The device index of the board with that serial number, or None."""
    index = library().GetDeviceBySerialNumber(unsigned(serial, 64, "serial"))
    return None if index == NONE else index
