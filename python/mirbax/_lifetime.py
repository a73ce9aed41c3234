"""Streams and outputs still running when the interpreter exits are ended first.

The library's worker threads outlive nothing they depend on only if the
application ends them; an exiting Python program may not have.  Every
running stream, ring and waveform output registers here, and an exit hook
closes those still open, before the interpreter tears its objects down.
"""

import atexit
import weakref

_running = weakref.WeakSet()


def register(running):
    _running.add(running)


def discard(running):
    _running.discard(running)


@atexit.register
def _close_all():
    for running in list(_running):
        try:
            running.close()
        except Exception:
            pass  # the process is going; nothing left to report to
