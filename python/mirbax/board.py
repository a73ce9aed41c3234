"""A board: one entry of the library's device table, with a member per family."""

import weakref

from . import _devices as devices, errors
from ._library import library
from .adc import AnalogInput
from .counters import Counters
from .dac import AnalogOutput
from .dio import DigitalIO
from .memory import BoardMemory


class Board:
    """A linked board, selected by device index (default: the first linked one).

    Members: ``dio`` (digital I/O), ``counters`` (8254 counters), ``adc``
    (analog input), ``dac`` (analog output), ``memory`` (EEPROM, flash,
    capability record).  Use it as a context manager, or call :meth:`close`,
    to end the streams and outputs started through it.  Closing does not drop
    the library's link to the board (see :func:`mirbax.close_device`).
    """

    def __init__(self, index=devices.FIRST):
        self._lib = library()
        try:
            self.index = devices.resolve(index)
        except errors.NoBoardError:
            if index not in (devices.FIRST, devices.ONLY):
                raise
            # Boards attached since the last linking pass are not seen yet:
            # link them, as QueryDeviceInfo does for an empty entry.
            self._lib.GetDevices()
            self.index = devices.resolve(index)
        self.info = devices.device_info(self.index)
        self._running = weakref.WeakSet()
        self.dio = DigitalIO(self)
        self.counters = Counters(self)
        self.adc = AnalogInput(self)
        self.dac = AnalogOutput(self)
        self.memory = BoardMemory(self)

    @property
    def pid(self):
        return self.info.pid

    @property
    def name(self):
        return self.info.name

    def call(self, name, *args):
        """Call the C function ``name`` with this board's index first; raise on failure."""
        self._lib.call(name, self.index, *args)

    def raw(self, name, *args):
        """Call the C function ``name`` with this board's index first; return its result code."""
        return getattr(self._lib, name)(self.index, *args)

    def track(self, running):
        """Remember a stream or output so that :meth:`close` ends it."""
        self._running.add(running)
        return running

    def close(self):
        """End every stream and output started through this board that is still running."""
        failures = []
        for running in list(self._running):
            try:
                running.close()
            except Exception as error:  # end the others all the same
                failures.append(error)
        if failures:
            raise failures[0]

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __repr__(self):
        return f"<mirbax.Board {self.index}: {self.info.pid:04X} {self.info.name!r}>"


def open(index=devices.FIRST):  # noqa: A001 - the package's natural verb
    """The :class:`Board` at a device index (default: the first linked board)."""
    return Board(index)
