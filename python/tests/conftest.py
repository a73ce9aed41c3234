"""Fixtures of the package's suite: the simulated-board library and a clean bus per test.

The library comes from MIRBAX_LIBRARY (CTest sets it to the built
libmirbax-sim.so); run by hand from the source tree, the usual build folder
is tried too.
"""

import os
import sys
from pathlib import Path

import pytest

PYTHON_DIR = Path(__file__).resolve().parents[1]
SOURCE_DIR = PYTHON_DIR.parent
sys.path.insert(0, str(PYTHON_DIR))

import mirbax  # noqa: E402
import mirbax.sim as sim  # noqa: E402


def _library_path():
    configured = os.environ.get("MIRBAX_LIBRARY")
    if configured:
        return configured
    built = SOURCE_DIR / "build" / "sim" / "libmirbax-sim.so"
    if built.exists():
        return str(built)
    pytest.exit("set MIRBAX_LIBRARY to the built libmirbax-sim.so", returncode=2)


@pytest.fixture(scope="session")
def library():
    return mirbax.load(_library_path(), sim=True)


def _empty_bus():
    sim.reset()
    mirbax.reload_links()


@pytest.fixture
def bus(library):
    """A bus without boards and a device table without links, before and after the test."""
    _empty_bus()
    opened = []
    yield opened
    for board in opened:
        board.close()
    _empty_bus()


@pytest.fixture
def attach(bus):
    """attach(pid, driver=CYUSB3) -> (simulated board, mirbax.Board) on a clean bus.

    Boards are linked in the order they are attached, so the n-th one gets
    entry n - 1.
    """

    def attach_one(pid, driver=sim.CYUSB3):
        simulated = sim.attach(pid, driver)
        index = len(bus)
        mirbax.library().GetDevices()
        board = mirbax.Board(index)
        bus.append(board)
        simulated.clear_log()
        return simulated, board

    return attach_one


def placeholders():
    """Names of the exported functions that still answer 50 from a not-built-yet file."""
    names = set()
    for path in (SOURCE_DIR / "library").glob("*/not_built_yet*.cpp"):
        for line in path.read_text().splitlines():
            if line.startswith("MIRBAX_EXPORT"):
                names.add(line.split("(")[0].split()[-1])
    return names
