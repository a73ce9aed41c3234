"""Result codes and the exceptions they become.

Every library function returns a Windows-style result code, 0 on success.
The package turns every other code into a :class:`MirbaxError` carrying the
code, its text and the name of the C function that returned it.  The common
codes get subclasses that also derive from the matching built-in exception,
so ``except ValueError`` or ``except TimeoutError`` work as Python users
expect.
"""

SUCCESS = 0
FILE_NOT_FOUND = 2
TOO_MANY_OPEN_FILES = 4
ACCESS_DENIED = 5
INVALID_HANDLE = 6
NOT_ENOUGH_MEMORY = 8
INVALID_DATA = 13
OUTOFMEMORY = 14
NOT_READY = 21
BAD_LENGTH = 24
SEEK = 25
READ_FAULT = 30
GEN_FAILURE = 31
HANDLE_EOF = 38
NOT_SUPPORTED = 50
DUP_NAME = 52
INVALID_PARAMETER = 87
SEM_TIMEOUT = 121
INSUFFICIENT_BUFFER = 122
ALREADY_EXISTS = 183
NO_DATA = 232
NO_SUCH_DEVICE = 433
INVALID_ADDRESS = 487
OPERATION_ABORTED = 995
NOACCESS = 998
DEVICE_NOT_CONNECTED = 1167
BAD_TOKEN_TYPE = 1349
INTERNAL_ERROR = 1359
INVALID_INDEX = 1413
TIMEOUT = 1460
DEVICE_REMOVED = 1617
INVALID_USER_BUFFER = 1784

_TEXTS = {
    SUCCESS: "success",
    FILE_NOT_FOUND: "no board at that index, or nothing open there",
    TOO_MANY_OPEN_FILES: "a stream or acquisition is already running",
    ACCESS_DENIED: "access denied",
    INVALID_HANDLE: "nothing to close at that index",
    NOT_ENOUGH_MEMORY: "not enough memory",
    INVALID_DATA: "invalid data",
    OUTOFMEMORY: "more than the library can hold",
    NOT_READY: "the output queue is full; try again later",
    BAD_LENGTH: "size beyond the memory area or limit",
    SEEK: "address outside the memory area",
    READ_FAULT: "short device descriptor",
    GEN_FAILURE: "the driver failed without saying why",
    HANDLE_EOF: "nothing running, or a short transfer",
    NOT_SUPPORTED: "not supported by this board or firmware",
    DUP_NAME: "more than one board matches",
    INVALID_PARAMETER: "invalid argument",
    SEM_TIMEOUT: "the transfer timed out",
    INSUFFICIENT_BUFFER: "buffer too small",
    ALREADY_EXISTS: "already started",
    NO_DATA: "no data arrived in time, or the stream has ended",
    NO_SUCH_DEVICE: "no such device",
    INVALID_ADDRESS: "index beyond what the board has",
    OPERATION_ABORTED: "the operation was aborted",
    NOACCESS: "a buffer could not be read or written",
    DEVICE_NOT_CONNECTED: "the board is not connected",
    BAD_TOKEN_TYPE: "the board lacks this feature",
    INTERNAL_ERROR: "internal error in the library",
    INVALID_INDEX: "index out of range",
    TIMEOUT: "timed out",
    DEVICE_REMOVED: "the board has been removed; close the index and relink",
    INVALID_USER_BUFFER: "buffer size not allowed",
}


def result_text(code):
    """The text of a result code, e.g. ``"not supported by this board or firmware"``."""
    return _TEXTS.get(code, "system error")


class MirbaxError(Exception):
    """A library call failed.

    Attributes: ``code`` (the result code), ``text`` (its meaning) and
    ``function`` (the C function that returned it, or None).
    """

    def __init__(self, code, function=None):
        self.code = int(code)
        self.text = result_text(self.code)
        self.function = function
        where = f"{function}: " if function else ""
        super().__init__(f"{where}error {self.code} ({self.text})")

    def __reduce__(self):
        return (error_for, (self.code, self.function))


class NoBoardError(MirbaxError, LookupError):
    """2: no board is linked at that index (or nothing is open there)."""


class BusyError(MirbaxError):
    """4: a stream or acquisition is already running."""


class NotSupportedError(MirbaxError):
    """50: not supported by this board, its firmware or this platform."""


class InvalidArgumentError(MirbaxError, ValueError):
    """87, 13, 1784: an argument the library refused."""


class InvalidAddressError(MirbaxError, IndexError):
    """487 and 1413: a bit, byte, channel, counter or device index out of range."""


class FeatureMissingError(MirbaxError):
    """1349: the board lacks the feature the function needs."""


class DeviceRemovedError(MirbaxError):
    """1617 and 1167: the board has gone."""


class MirbaxTimeoutError(MirbaxError, TimeoutError):
    """1460, 232, 121: nothing arrived in time."""


_CLASSES = {
    FILE_NOT_FOUND: NoBoardError,
    TOO_MANY_OPEN_FILES: BusyError,
    NOT_SUPPORTED: NotSupportedError,
    INVALID_PARAMETER: InvalidArgumentError,
    INVALID_DATA: InvalidArgumentError,
    INVALID_USER_BUFFER: InvalidArgumentError,
    INVALID_ADDRESS: InvalidAddressError,
    INVALID_INDEX: InvalidAddressError,
    BAD_TOKEN_TYPE: FeatureMissingError,
    DEVICE_REMOVED: DeviceRemovedError,
    DEVICE_NOT_CONNECTED: DeviceRemovedError,
    TIMEOUT: MirbaxTimeoutError,
    NO_DATA: MirbaxTimeoutError,
    SEM_TIMEOUT: MirbaxTimeoutError,
}


def error_for(code, function=None):
    """The exception for a non-zero result code, of the subclass that fits it."""
    return _CLASSES.get(int(code), MirbaxError)(code, function)


def check(code, function=None):
    """Raise the exception for ``code`` unless it is 0."""
    if code != SUCCESS:
        raise error_for(code, function)
