"""Finding and loading libmirbax.so or libmirbax-sim.so.

One library is loaded per process: the C library keeps one device table for
the whole process, and the two builds export the same names, so the
package binds to one of them and refuses to switch.

Where the library file is looked for, first match wins:

1. the path given to :func:`load`;
2. the environment variable ``MIRBAX_LIBRARY`` (a path to the .so);
3. next to the package: the package folder and the folder that holds it;
4. the library folder of the installed tree (recorded by ``cmake --install``);
5. the system's dynamic loader (``LD_LIBRARY_PATH``, ``ldconfig``).

The C headers that give the prototypes are looked for in the folder given to
:func:`load`, inside the package (``mirbax/include``, where ``cmake
--install`` puts them) and in the source tree (``library/include``).
"""

import ctypes
import os
import threading
from pathlib import Path

from . import _prototypes
from .errors import check, error_for

REAL_LIBRARY = "libmirbax.so"
SIM_LIBRARY = "libmirbax-sim.so"
FUNCTIONS_HEADER = "mirbax_functions.h"
SIM_HEADER = "mirbax_sim.h"

_PACKAGE_DIR = Path(__file__).resolve().parent


class LibraryNotFoundError(OSError):
    """No library file could be found or loaded."""


def _installed_dirs():
    """The installed tree's library and include folders, when this is an installed copy."""
    try:
        from . import _install_paths  # written by cmake --install
    except ImportError:
        return None, None
    return Path(_install_paths.LIBRARY_DIR), Path(_install_paths.INCLUDE_DIR)


def _library_candidates(file_name):
    environment = os.environ.get("MIRBAX_LIBRARY")
    if environment:
        yield Path(environment)
    yield _PACKAGE_DIR / file_name
    yield _PACKAGE_DIR.parent / file_name
    library_dir, _ = _installed_dirs()
    if library_dir is not None:
        yield library_dir / file_name
    yield file_name  # the dynamic loader's own search


def _include_candidates(include_dir):
    if include_dir is not None:
        yield Path(include_dir)
    yield _PACKAGE_DIR / "include"
    _, installed = _installed_dirs()
    if installed is not None:
        yield installed
    yield _PACKAGE_DIR.parent.parent / "library" / "include"


def _read_header(name, include_dir):
    for folder in _include_candidates(include_dir):
        path = folder / name
        if path.is_file():
            return path.read_text(encoding="utf-8")
    raise LibraryNotFoundError(f"cannot find the C header {name}; pass include_dir to mirbax.load()")


def _open_cdll(path, file_name):
    if path is not None:
        candidates = [Path(path)]
    else:
        candidates = list(_library_candidates(file_name))
    tried = []
    for candidate in candidates:
        is_path = isinstance(candidate, Path)
        if is_path and not candidate.exists():
            tried.append(str(candidate))
            continue
        try:
            return ctypes.CDLL(str(candidate), use_errno=True), str(candidate)
        except OSError as error:
            tried.append(f"{candidate} ({error})")
    raise LibraryNotFoundError("cannot load the MIRBAX library; tried: " + "; ".join(tried))


class Library:
    """A loaded MIRBAX library with every exported function bound to its prototype.

    ``library.GetDevices()`` and the like call the C functions directly (they
    return the raw result); :meth:`call` raises on a non-zero result code.
    ctypes releases the GIL for the duration of every call, so a call that
    blocks (a bulk read, a wait for data) lets other Python threads run.
    """

    def __init__(self, cdll, path, include_dir=None):
        self.path = path
        self._cdll = cdll
        functions = _prototypes.table_functions(_read_header(FUNCTIONS_HEADER, include_dir))
        for name, argtypes in functions.items():
            setattr(self, name, _prototypes.bind(cdll, name, argtypes))
        self.function_names = sorted(functions)
        self.is_sim = hasattr(cdll, "MIRBAXSIM_Reset")
        self.sim_function_names = []
        if self.is_sim:
            sim = _prototypes.sim_functions(_read_header(SIM_HEADER, include_dir))
            for name, argtypes in sim.items():
                setattr(self, name, _prototypes.bind(cdll, name, argtypes))
            self.sim_function_names = sorted(sim)

    def call(self, name, *args):
        """Call the C function ``name``; raise its exception unless it returns 0."""
        check(getattr(self, name)(*args), name)

    def call_with_errno(self, name, *args):
        """Call a function that returns a value and reports its result code in errno.

        Returns (value, code); errno is cleared first and read right after the
        call on the same thread, as the library asks.
        """
        ctypes.set_errno(0)
        value = getattr(self, name)(*args)
        return value, ctypes.get_errno()

    def raise_for(self, code, name):
        raise error_for(code, name)

    def __repr__(self):
        kind = "simulated boards" if self.is_sim else "real boards"
        return f"<mirbax.Library {self.path} ({kind})>"


_lock = threading.Lock()
_loaded = None


def load(path=None, *, sim=False, include_dir=None):
    """Load the library once for this process and return it.

    ``path``: the .so to load; else ``MIRBAX_LIBRARY`` or the search above,
    for ``libmirbax-sim.so`` when ``sim`` is true and ``libmirbax.so``
    otherwise.  Calling it again returns the library already loaded; asking
    for another file, or for simulated boards when the real library is
    loaded, raises RuntimeError.
    """
    global _loaded
    with _lock:
        if _loaded is not None:
            if path is not None and Path(path).resolve() != Path(_loaded.path).resolve():
                raise RuntimeError(f"the MIRBAX library is already loaded from {_loaded.path}")
            if sim and not _loaded.is_sim:
                raise RuntimeError(f"{_loaded.path} is not the simulated-board library")
            return _loaded
        cdll, found = _open_cdll(path, SIM_LIBRARY if sim else REAL_LIBRARY)
        library = Library(cdll, found, include_dir)
        if sim and not library.is_sim:
            raise RuntimeError(f"{found} is not the simulated-board library")
        _loaded = library
        return library


def library():
    """The loaded library, loading the default one on first use."""
    return _loaded if _loaded is not None else load()
