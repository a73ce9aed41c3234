// The digital stream of the simulated boards: 16-bit words between host and
// board, paced by the two oscillator clocks of VRQ_DIO_SETCLOCKS.
//
//   0xBB  VRQ_BULK_SRAM     (write, no data)  opens the stream for writing
//   0xBC  VRQ_BC_CONTROL    (write, no data)  opens it for reading
//   0xBD  VRQ_DIO_SETCLOCKS (write, 5 bytes)  disables, write and read clock
//                                             control words (MSB first)
// Words the host writes to pipe 0x02 are taken at the write clock and kept
// (MIRBAXSIM_ReadDigitalStream); on a DAC-through-stream board each word is
// also the count its DAC outputs.  Reads from pipe 0x86 get words at the read
// clock: data queued with MIRBAXSIM_WriteBulkIn first, then a running count
// (word n of the stream carries n mod 65536).  A stream that is not open in
// the direction of the transfer, or whose clock is off, moves nothing: a
// write is taken short (0 bytes), a read waits.
//
// The boards whose digital stream carries analog input (0x8180) leave 0xBB,
// 0xBC and the pipes to the analog-input model.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/bulk_pipe.h"

namespace mirbax::sim {

class Board;

enum class StreamDirection : uint32_t { None = 0, Write = 1, Read = 2 };

struct DigitalStreamState {
  bool present = false;
  StreamDirection direction = StreamDirection::None;
  uint8_t disables = 0x03;  // both clocks off until set
  uint16_t writeControlWord = 0;
  uint16_t readControlWord = 0;
  std::vector<uint16_t> received;  // words taken from pipe 0x02, not yet read back
  uint32_t nextWord = 0;           // the running count of words sent on pipe 0x86
  Clock::time_point writePacedFrom{};
  uint64_t writePacedWords = 0;
};

// The rate an oscillator control word makes (0 for a clock that is off).
double OscillatorHz(uint16_t controlWord);
double StreamWriteHz(const DigitalStreamState &stream);
double StreamReadHz(const DigitalStreamState &stream);

// Registers the stream's requests and pipes on boards with a digital stream.
void RegisterDigitalStream(Board &board);

}  // namespace mirbax::sim
