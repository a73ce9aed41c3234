"""Result codes become exceptions carrying the code, its text and the function."""

import pickle

import pytest

import mirbax
from mirbax import errors


@pytest.mark.parametrize("code, cls, builtin", [
    (2, mirbax.NoBoardError, LookupError),
    (4, mirbax.BusyError, Exception),
    (13, mirbax.InvalidArgumentError, ValueError),
    (50, mirbax.NotSupportedError, Exception),
    (87, mirbax.InvalidArgumentError, ValueError),
    (232, mirbax.MirbaxTimeoutError, TimeoutError),
    (487, mirbax.InvalidAddressError, IndexError),
    (1167, mirbax.DeviceRemovedError, Exception),
    (1349, mirbax.FeatureMissingError, Exception),
    (1413, mirbax.InvalidAddressError, IndexError),
    (1460, mirbax.MirbaxTimeoutError, TimeoutError),
    (1617, mirbax.DeviceRemovedError, Exception),
    (1784, mirbax.InvalidArgumentError, ValueError),
    (31, mirbax.MirbaxError, Exception),
    (12345, mirbax.MirbaxError, Exception),
])
def test_codes_map_to_their_exception_classes(code, cls, builtin):
    error = errors.error_for(code, "DIO_Write8")
    assert type(error) is cls
    assert isinstance(error, mirbax.MirbaxError) and isinstance(error, builtin)
    assert error.code == code and error.function == "DIO_Write8"
    assert error.text == mirbax.result_text(code)
    assert str(error) == f"DIO_Write8: error {code} ({error.text})"


def test_texts_of_common_codes():
    assert mirbax.result_text(50) == "not supported by this board or firmware"
    assert mirbax.result_text(1349) == "the board lacks this feature"
    assert mirbax.result_text(99999) == "system error"


def test_success_raises_nothing_and_failure_raises():
    errors.check(0, "GetDevices")
    with pytest.raises(mirbax.NotSupportedError) as caught:
        errors.check(50, "ADC_GetScan")
    assert caught.value.code == 50


def test_exceptions_survive_pickling():
    error = pickle.loads(pickle.dumps(errors.error_for(1617, "DIO_Read8")))
    assert type(error) is mirbax.DeviceRemovedError
    assert (error.code, error.function) == (1617, "DIO_Read8")
