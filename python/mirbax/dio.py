"""Digital I/O: configuration and immediate reads and writes.

Line i lives in byte i // 8, bit i % 8.  Byte data is passed and returned as
``bytes`` of the board's digital byte count; direction and tristate masks as
integers (bit g set: group g, as the board numbers its control bits).
"""

import ctypes

from ._values import exact_bytes, mask_bytes, u8, u32

# Room for the direction and tristate masks: the library reads and writes as
# many bytes as the board has control bits (a handful); the rest stays zero.
_MASK_ROOM = 32


class DigitalIO:
    """The digital lines of a board (``board.dio``)."""

    def __init__(self, board):
        self._board = board

    @property
    def byte_count(self):
        """Digital bytes of the board (8 lines each)."""
        return self._board.info.dio_bytes

    @property
    def line_count(self):
        return 8 * self.byte_count

    def _data(self, data):
        return exact_bytes(data, self.byte_count, "data")

    def configure(self, outputs, data, tristate=False):
        """Set the direction mask and the initial output data (``DIO_Configure``).

        ``tristate`` true floats every line (the board's tristate flag).
        """
        self._board.call("DIO_Configure", 1 if tristate else 0, mask_bytes(outputs, _MASK_ROOM, "outputs"),
                         self._data(data))

    def configure_ex(self, outputs, data, tristates):
        """Set direction mask, output data and tristate mask (``DIO_ConfigureEx``)."""
        self._board.call("DIO_ConfigureEx", mask_bytes(outputs, _MASK_ROOM, "outputs"),
                         self._data(data), mask_bytes(tristates, _MASK_ROOM, "tristates"))

    def configuration(self):
        """(direction mask, tristate mask) as the board reports them."""
        outputs = (ctypes.c_uint8 * _MASK_ROOM)()
        tristates = (ctypes.c_uint8 * _MASK_ROOM)()
        self._board.call("DIO_ConfigurationQuery", outputs, tristates)
        return int.from_bytes(bytes(outputs), "little"), int.from_bytes(bytes(tristates), "little")

    def write_bit(self, line, value):
        """Set (true) or clear (false) one output line."""
        self._board.call("DIO_Write1", u32(line, "line"), 1 if value else 0)

    def write_byte(self, byte_index, value):
        self._board.call("DIO_Write8", u32(byte_index, "byte_index"), u8(value, "value"))

    def write_all(self, data):
        """Write every output byte (``data``: the board's byte count of bytes)."""
        self._board.call("DIO_WriteAll", self._data(data))

    def read_bit(self, line):
        """The level of one line, True or False."""
        value = ctypes.c_uint8()
        self._board.call("DIO_Read1", u32(line, "line"), ctypes.byref(value))
        return bool(value.value)

    def read_byte(self, byte_index):
        value = ctypes.c_uint8()
        self._board.call("DIO_Read8", u32(byte_index, "byte_index"), ctypes.byref(value))
        return value.value

    def read_all(self):
        """Every digital byte of the board, as ``bytes``."""
        data = (ctypes.c_uint8 * max(self.byte_count, 1))()
        self._board.call("DIO_ReadAll", data)
        return bytes(data)[:self.byte_count]

    def read_lines(self):
        """Every line's level, as a list of booleans (line 0 first)."""
        data = self.read_all()
        return [bool(data[line // 8] >> (line % 8) & 1) for line in range(8 * len(data))]
