"""Continuous acquisition pulled from Python: ``adc.stream(...)``.

How it stays safe.  The library can hand each filled buffer to a C callback
on its own buffer worker thread.  A Python callback there would run Python on
a thread the interpreter does not own, take the GIL inside the library's
worker, and keep the worker waiting on whatever the interpreter does (a
garbage collection, another thread holding the GIL, interpreter shutdown):
a recipe for deadlocks and crashes.  So this package starts the acquisition
without a callback and pulls the filled buffers with ``ADC_GetBuf`` from a
Python thread: the caller's own thread when it iterates, or one thread of the
package when a ``callback`` is given.  Python never runs on a library thread.

- ``ADC_GetBuf`` lends a buffer until the next ``ADC_GetBuf``; each one is
  copied into a fresh numpy array before anything else happens, so the
  arrays handed out stay valid for ever.
- ``ADC_GetBuf`` and ``ADC_BulkContinuousEnd`` must never overlap (the end
  frees the buffers ``ADC_GetBuf`` works on): one lock serializes them, and
  ``ADC_GetBuf`` waits in short slices so that :meth:`close` from any thread
  gets the lock within one slice.
- ctypes releases the GIL during every library call, so a thread waiting for
  data never blocks the rest of the program.
- The library's acquisition never waits for the consumer: when Python falls
  behind, the library adds buffers to its pool; nothing is lost.
- Streams still running when the interpreter exits are ended first.
"""

import ctypes
import threading
import time

import numpy as np

from . import _lifetime, errors

# Longest single wait inside ADC_GetBuf, seconds: bounds how long close() waits for the lock.
_POLL_SLICE = 0.05

class AcquisitionStream:
    """A running continuous acquisition yielding numpy arrays of uint16 samples.

    Iterate over it (each item is one buffer's samples), or :meth:`read` an
    exact number of samples, or give a ``callback`` to
    :meth:`AnalogInput.stream` to have each block delivered on a Python
    thread of the package.  End it with :meth:`close` or a ``with`` block.

    A wait longer than ``timeout`` seconds for one buffer ends the
    acquisition: the failure that stopped the board is raised when there was
    one, else a timeout error (code 232).
    """

    def __init__(self, board, *, rate, buffer_size, buffers, timeout, callback):
        self._board = board
        self._lock = threading.Lock()  # ADC_GetBuf / ADC_BulkContinuousEnd never overlap
        self._stopping = threading.Event()
        self._ended = True  # until the start succeeds: nothing to end
        self._status_raised = False
        self._leftover = np.empty(0, dtype=np.uint16)
        self._odd_byte = b""
        self._error = None  # what ended the stream early, raised by close()
        self.timeout = timeout
        self.buffer_size = buffer_size
        self.io_status = None
        self.rate = None
        if rate is None:
            board.call("ADC_BulkContinuousCallbackStart", buffer_size, buffers, 0, None)
        else:
            hz = ctypes.c_double(rate)
            board.call("ADC_BulkContinuousCallbackStartClocked", buffer_size, buffers, 0, None,
                       ctypes.byref(hz))
            self.rate = hz.value
        self._ended = False
        _lifetime.register(self)
        self._thread = None
        if callback is not None:
            self._thread = threading.Thread(target=self._deliver, args=(callback,),
                                            name=f"mirbax-stream-{board.index}", daemon=True)
            self._thread.start()

    # ---- pulling buffers -------------------------------------------------------

    @property
    def closed(self):
        return self._ended

    def _take_buffer(self, wait):
        """One ADC_GetBuf of at most ``wait`` seconds: (code, samples or None); lock held."""
        pointer = ctypes.c_void_p()
        size = ctypes.c_uint32()
        code = self._board.raw("ADC_GetBuf", ctypes.byref(pointer), ctypes.byref(size), None,
                               ctypes.c_double(wait))
        if code != errors.SUCCESS:
            return code, None
        # Copy now: the buffer is lent only until the next ADC_GetBuf.
        raw = self._odd_byte + ctypes.string_at(pointer.value, size.value)
        even = len(raw) & ~1
        self._odd_byte = raw[even:]
        return code, np.frombuffer(raw, dtype="<u2", count=even // 2).astype(np.uint16)

    def _next_block(self, timeout):
        """The next buffer's samples, or None once the stream is closed."""
        deadline = None if timeout is None else time.monotonic() + timeout
        while not self._stopping.is_set():
            remaining = _POLL_SLICE if deadline is None else max(deadline - time.monotonic(), 0)
            with self._lock:
                if self._ended:
                    return None
                code, block = self._take_buffer(min(_POLL_SLICE, remaining))
            if code == errors.SUCCESS:
                if block.size:
                    return block
                continue
            if code != errors.NO_DATA:
                raise errors.error_for(code, "ADC_GetBuf")
            if deadline is not None and time.monotonic() >= deadline:
                self._give_up()
        return None

    def _give_up(self):
        """End the acquisition after a time-out and raise why no data came."""
        self._end()
        if self.io_status:
            self._status_raised = True
            raise errors.error_for(self.io_status, "continuous acquisition")
        raise errors.MirbaxTimeoutError(errors.NO_DATA, "ADC_GetBuf")

    def _deliver(self, callback):
        try:
            for block in self._blocks():
                callback(block)
        except BaseException as error:  # raised again by close() on the caller's thread
            self._error = error
            self._stopping.set()
            try:
                self._end()
            except errors.MirbaxError:
                pass  # the first error is the one to report

    def _blocks(self):
        if self._leftover.size:
            block, self._leftover = self._leftover, np.empty(0, dtype=np.uint16)
            yield block
        while True:
            block = self._next_block(self.timeout)
            if block is None:
                return
            yield block

    def __iter__(self):
        if self._thread is not None:
            raise RuntimeError("this stream delivers its blocks to its callback")
        return self._blocks()

    def read(self, sample_count):
        """Exactly ``sample_count`` samples as one array (fewer only if the stream is closed)."""
        if self._thread is not None:
            raise RuntimeError("this stream delivers its blocks to its callback")
        parts, have = [], 0
        for block in self._blocks():
            parts.append(block)
            have += block.size
            if have >= sample_count:
                break
        samples = np.concatenate(parts) if parts else np.empty(0, dtype=np.uint16)
        self._leftover = samples[sample_count:]
        return samples[:sample_count]

    # ---- ending ----------------------------------------------------------------

    def _end(self):
        """ADC_BulkContinuousEnd once, under the lock; records the acquisition's I/O status."""
        with self._lock:
            if self._ended:
                return
            status = ctypes.c_uint32()
            code = self._board.raw("ADC_BulkContinuousEnd", ctypes.byref(status))
            self._ended = True
            _lifetime.discard(self)
            self.io_status = status.value
        errors.check(code, "ADC_BulkContinuousEnd")

    def close(self, *, raise_errors=True):
        """Stop the acquisition and free the library's buffers.

        Raises what ended the stream early: a callback's exception, or the
        transfer failure that stopped the board.
        """
        self._stopping.set()
        if self._thread is not None and self._thread is not threading.current_thread():
            self._thread.join()
        self._end()
        if not raise_errors:
            return
        error, self._error = self._error, None
        if error is not None:
            raise error
        if self.io_status and not self._status_raised:
            self._status_raised = True
            raise errors.error_for(self.io_status, "continuous acquisition")

    def __enter__(self):
        return self

    def __exit__(self, exc_type, exc, traceback):
        self.close(raise_errors=exc_type is None)

    def __del__(self):
        if not getattr(self, "_ended", True):
            try:
                self.close(raise_errors=False)
            except Exception:
                pass
