// Digital I/O model of the simulated boards.
//
// Will hold: the output latches and input levels of the digital lines (the
// inputs come from MIRBAXSIM_SetDigitalInputs), the direction and tristate
// set-up, input latches and debounce, the automap and PWM tables, SPI, the
// watchdog, and the digital stream on the bulk pipes; and it will answer the
// VRQ_DIO_* requests.  Nothing is modelled yet: the board stalls those
// requests.
#pragma once

#include <cstdint>
#include <span>

namespace mirbax::sim {

class Board;

// The digital state of one board; the board's lock guards it.
struct DioState {};

// Registers the digital requests, regions and bulk sources/sinks of `board`;
// runs while the board is built.
void RegisterDioRequests(Board &board);

// MIRBAXSIM_SetDigitalInputs, called with the board's lock held.  Returns 0,
// 87 for a size beyond the board's lines, or 50 while the model is missing.
uint32_t DioSetDigitalInputs(Board &board, std::span<const uint8_t> levels);

}  // namespace mirbax::sim
