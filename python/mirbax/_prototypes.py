"""ctypes prototypes read from the library's own C headers.

The table of exported functions (``mirbax_functions.h``) and the control API
of the simulated boards (``mirbax_sim.h``) are parsed when the library is
loaded, so the argument types used here can never drift from the C
declarations.  Every function returns an unsigned 32-bit value.
"""

import ctypes
import re

# C types of by-value parameters.  Every pointer, whatever it points to, is
# passed as c_void_p: the wrappers build the buffers and pass their addresses.
_SCALARS = {
    "uint8_t": ctypes.c_uint8,
    "uint16_t": ctypes.c_uint16,
    "uint32_t": ctypes.c_uint32,
    "uint64_t": ctypes.c_uint64,
    "int32_t": ctypes.c_int32,
    "double": ctypes.c_double,
    "PContCallback": ctypes.c_void_p,
}

_COMMENTS = re.compile(r"/\*.*?\*/|//[^\n]*", re.DOTALL)
_TABLE_ROW = re.compile(r"\bMIRBAX_FN\(\s*(\w+)\s*,\s*(\w+)\s*,\s*\(([^)]*)\)\s*\)")
_ALIAS_ROW = re.compile(r"\bMIRBAX_FN_ALIAS\(\s*(\w+)\s*,\s*(\w+)\s*,\s*\(([^)]*)\)\s*\)")
_SIM_DECLARATION = re.compile(r"\buint32_t\s+(MIRBAXSIM_\w+)\s*\(([^)]*)\)\s*;")


class HeaderError(RuntimeError):
    """A header could not be read or holds a declaration this module cannot map."""


def _parameter_type(parameter):
    """The ctypes type of one C parameter declaration such as ``const void *pData``."""
    if "*" in parameter:
        return ctypes.c_void_p
    words = parameter.replace("const", " ").split()
    if len(words) != 2 or words[0] not in _SCALARS:
        raise HeaderError(f"cannot map the C parameter '{parameter.strip()}'")
    return _SCALARS[words[0]]


def parameter_types(parameters):
    """The ctypes argument types of a C parameter list (without its parentheses)."""
    text = " ".join(parameters.split())
    if text in ("", "void"):
        return []
    return [_parameter_type(parameter) for parameter in text.split(",")]


def _strip_comments(text):
    return _COMMENTS.sub(" ", text)


def table_functions(text):
    """{name: argument types} of every row of ``mirbax_functions.h``, aliases included."""
    body = _strip_comments(text)
    functions = {}
    for _flavour, name, parameters in _TABLE_ROW.findall(body):
        functions[name] = parameter_types(parameters)
    for name, _target, parameters in _ALIAS_ROW.findall(body):
        functions[name] = parameter_types(parameters)
    if not functions:
        raise HeaderError("no function rows found in the table of exported functions")
    return functions


def sim_functions(text):
    """{name: argument types} of every function declared in ``mirbax_sim.h``.

    A declaration whose parameters cannot be mapped (a record passed by
    value) is left out rather than refusing the whole header: the control
    API grows as tests need it, and the package wraps only what it knows.
    """
    body = _strip_comments(text)
    functions = {}
    for name, parameters in _SIM_DECLARATION.findall(body):
        try:
            functions[name] = parameter_types(parameters)
        except HeaderError:
            continue
    if not functions:
        raise HeaderError("no MIRBAXSIM_ declarations found in the simulated boards' header")
    return functions


def bind(cdll, name, argtypes):
    """The function ``name`` of a loaded library with its prototype set."""
    function = getattr(cdll, name)
    function.argtypes = argtypes
    function.restype = ctypes.c_uint32
    return function
