"""Functions still answering 50 from a not-built-yet placeholder raise NotSupportedError.

The placeholders are read from the library's sources, so an entry here
checks the mapping while its function is a placeholder and steps aside (the
family's own tests take over) once the function is built.
"""

import numpy as np
import pytest

import mirbax
from conftest import placeholders

PLACEHOLDERS = placeholders()

# C function -> a call of the package that reaches it first.
WRAPPERS = {
    "DIO_Configure": lambda b: b.dio.configure(0b11, bytes(2)),
    "DIO_ConfigureEx": lambda b: b.dio.configure_ex(0b11, bytes(2), 1),
    "DIO_ConfigurationQuery": lambda b: b.dio.configuration(),
    "DIO_Write1": lambda b: b.dio.write_bit(3, True),
    "DIO_Write8": lambda b: b.dio.write_byte(1, 0x5A),
    "DIO_WriteAll": lambda b: b.dio.write_all(b"\x01\x02"),
    "DIO_Read1": lambda b: b.dio.read_bit(3),
    "DIO_Read8": lambda b: b.dio.read_byte(1),
    "DIO_ReadAll": lambda b: b.dio.read_all(),
    "CTR_StartMeasuringPulseWidth": lambda b: b.counters.start_measuring_pulse_width(),
    "CTR_StopMeasuringPulseWidth": lambda b: b.counters.stop_measuring_pulse_width(),
    "CTR_GetPulseWidthMeasurement": lambda b: b.counters.pulse_width(0),
    "ADC_GetConfig": lambda b: b.adc.config_size(),
    "ADC_SetConfig": lambda b: b.adc.set_config(bytes(20)),
    "ADC_Range1": lambda b: b.adc.set_range(0, 1),
    "ADC_ADMode": lambda b: b.adc.set_mode(0),
    "ADC_SetScanLimits": lambda b: b.adc.set_scan_limits(0, 3),
    "ADC_SetOversample": lambda b: b.adc.set_oversample(3),
    "ADC_GetScanV": lambda b: b.adc.scan_volts(),
    "ADC_GetChannelV": lambda b: b.adc.channel_volts(0),
    "ADC_GetCalRefV": lambda b: b.adc.cal_ref_volts(True),
    "ADC_SetCalAndSave": lambda b: b.adc.set_calibration(":1TO1:"),
    "ADC_BulkAcquire": lambda b: b.adc.start_bulk(1024),
    "ADC_BulkContinuousCallbackStart": lambda b: b.adc.stream(buffer_size=4096),
    "ADC_BulkContinuousCallbackStartClocked": lambda b: b.adc.stream(1000.0, buffer_size=4096),
    "DACDirect": lambda b: b.dac.write(0, 0x8000),
    "DACMultiDirect": lambda b: b.dac.write_many({0: 1, 1: 2}),
    "DACSetBoardRange": lambda b: b.dac.set_range(1),
    "DACSetChannelCal": lambda b: b.dac.set_channel_calibration(0, ":1TO1:"),
    "DAC_CSA_SetRangeLimits": lambda b: b.dac.set_range_limits(bytes(32)),
    "DAC_CSA_ClearRangeLimits": lambda b: b.dac.clear_range_limits(),
    "DACOutputProcess": lambda b: b.dac.play(np.arange(16), 1000.0),
    "DACOutputLoadProcess": lambda b: b.dac.load(np.arange(16), 1000.0),
    "DACOutputOpen": lambda b: b.dac.open_output(1000.0),
    "CustomEEPROMRead": lambda b: b.memory.read_eeprom(0, 4),
    "CustomEEPROMWrite": lambda b: b.memory.write_eeprom(0, b"\x01"),
    "MIRBAX_FlashRead": lambda b: b.memory.read_flash(0, 16),
    "MIRBAX_FlashWrite": lambda b: b.memory.write_flash(0, b"\x01"),
    "MIRBAX_FlashEraseSector": lambda b: b.memory.erase_flash_sector(0),
    "MIRBAX_QuerySimplePNPData": lambda b: b.memory.pnp(),
    "MIRBAX_ClearFIFO": lambda b: b.memory.clear_fifo(),
    "MIRBAX_GetStreamStatus": lambda b: b.memory.stream_status(),
    "MIRBAX_SetStreamingBlockSize": lambda b: b.memory.set_streaming_block_size(4096),
    "MIRBAX_SetGlobalTickRate": lambda b: b.memory.set_global_tick_rate(1000.0),
    "MIRBAX_ResetChip": lambda b: b.memory.reset_chip(),
}


def test_every_wrapped_name_is_an_exported_function(library):
    assert set(WRAPPERS) <= set(library.function_names)


@pytest.mark.parametrize("function", sorted(WRAPPERS))
def test_a_placeholder_raises_not_supported_with_its_text(attach, function):
    if function not in PLACEHOLDERS:
        pytest.skip(f"{function} is built; its family's tests cover it")
    simulated, board = attach(0x8140)  # ADC, DIO, counter and DAC capabilities
    with pytest.raises(mirbax.NotSupportedError) as caught:
        WRAPPERS[function](board)
    error = caught.value
    assert (error.code, error.function) == (50, function)
    assert error.text == "not supported by this board or firmware"
    assert simulated.log() == []  # a placeholder sends nothing
