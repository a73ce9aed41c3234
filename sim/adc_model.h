// Analog-input model of the simulated boards.
//
// Will hold: the raw counts of each input channel (MIRBAXSIM_SetAnalogInput),
// the ADC configuration block (region "adcconfig"), the calibration tables
// (region "caltable", bipolar then unipolar), the acquisition block state,
// and the bulk IN source that streams samples on pipe 0x86 (paced by option
// "sample_rate", patterned by option "adc_pattern"); and it will answer the
// ADC, calibration and acquisition requests.  Nothing is modelled yet: the
// board stalls those requests.
#pragma once

#include <cstdint>

namespace mirbax::sim {

class Board;

// The analog-input state of one board; the board's lock guards it.
struct AdcState {};

// Registers the analog-input requests, regions and bulk sources of `board`;
// runs while the board is built.
void RegisterAdcRequests(Board &board);

// MIRBAXSIM_SetAnalogInput, called with the board's lock held.  Returns 0,
// 87 for a channel beyond the board, or 50 while the model is missing.
uint32_t AdcSetAnalogInput(Board &board, uint32_t channel, uint16_t counts);

}  // namespace mirbax::sim
