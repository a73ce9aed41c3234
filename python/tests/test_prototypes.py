"""The ctypes prototypes come from the C headers and cover every exported name."""

import ctypes

import pytest

from conftest import SOURCE_DIR
from mirbax import _prototypes

INCLUDE = SOURCE_DIR / "library" / "include"


@pytest.mark.parametrize("declaration, expected", [
    ("void", []),
    ("", []),
    ("uint32_t DeviceIndex", [ctypes.c_uint32]),
    ("uint8_t Data", [ctypes.c_uint8]),
    ("uint16_t Value", [ctypes.c_uint16]),
    ("uint64_t SerialNumber", [ctypes.c_uint64]),
    ("int32_t TimeoutMS", [ctypes.c_int32]),
    ("double Timeout", [ctypes.c_double]),
    ("const void *pData", [ctypes.c_void_p]),
    ("uint16_t **pData", [ctypes.c_void_p]),
    ("const TDACEntry *pDACData", [ctypes.c_void_p]),
    ("PContCallback pCallback", [ctypes.c_void_p]),
    ("uint32_t DeviceIndex, double *pHz", [ctypes.c_uint32, ctypes.c_void_p]),
])
def test_parameter_lists_map_to_ctypes(declaration, expected):
    assert _prototypes.parameter_types(declaration) == expected


@pytest.mark.parametrize("declaration", ["float Rate", "struct TFoo Foo", "uint32_t"])
def test_unknown_parameter_types_are_refused(declaration):
    with pytest.raises(_prototypes.HeaderError):
        _prototypes.parameter_types(declaration)


def test_the_table_gives_the_156_function_names():
    functions = _prototypes.table_functions((INCLUDE / "mirbax_functions.h").read_text())
    assert len(functions) == 156
    assert functions["ADC_GetBuf"] == [ctypes.c_uint32, ctypes.c_void_p, ctypes.c_void_p,
                                       ctypes.c_void_p, ctypes.c_double]
    assert functions["DACOutputOpenNoClear"] == functions["DACOutputOpen"]
    assert functions["GetDevices"] == []


def test_every_name_is_bound_on_the_loaded_library(library):
    table = _prototypes.table_functions((INCLUDE / "mirbax_functions.h").read_text())
    sim = _prototypes.sim_functions((INCLUDE / "mirbax_sim.h").read_text())
    assert library.function_names == sorted(table)
    assert library.sim_function_names == sorted(sim)
    assert "MIRBAXSIM_Attach" in sim
    for name, argtypes in {**table, **sim}.items():
        function = getattr(library, name)
        assert function.argtypes == argtypes, name
        assert function.restype is ctypes.c_uint32, name


def test_a_simulator_declaration_that_cannot_be_mapped_is_left_out():
    header = """
    uint32_t MIRBAXSIM_Reset(void);
    uint32_t MIRBAXSIM_SetState(uint32_t board, MIRBAXSIM_DACState state);
    uint32_t MIRBAXSIM_ReadDACFifo(uint32_t board, MIRBAXSIM_DACFifoEntry *entries,
                                   uint32_t *pCount);
    """
    assert _prototypes.sim_functions(header) == {
        "MIRBAXSIM_Reset": [],
        "MIRBAXSIM_ReadDACFifo": [ctypes.c_uint32, ctypes.c_void_p, ctypes.c_void_p]}
