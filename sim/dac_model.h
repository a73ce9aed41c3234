// Analog-output model of the simulated boards.
//
// Will hold: the count each DAC channel outputs (MIRBAXSIM_GetDACOutput), the
// board and channel ranges, the waveform FIFO with its clock and control
// state, the bulk OUT sink that takes waveform data, and the slow-waveform
// and load-and-process output; and it will answer the VRQ_DAC_* requests.
// Nothing is modelled yet: the board stalls those requests.
#pragma once

#include <cstdint>

namespace mirbax::sim {

class Board;

// The analog-output state of one board; the board's lock guards it.
struct DacState {};

// Registers the analog-output requests, regions and bulk sinks of `board`;
// runs while the board is built.
void RegisterDacRequests(Board &board);

// MIRBAXSIM_GetDACOutput, called with the board's lock held.  Stores the
// channel's count and returns 0, 87 for a channel beyond the board, or 50
// while the model is missing.
uint32_t DacGetOutput(Board &board, uint32_t channel, uint16_t &counts);

}  // namespace mirbax::sim
