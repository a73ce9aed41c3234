// The record of the transfers a board received, one text line each:
//   C <type:2> <request:2> <value:4> <index:4> <length:4>[ <data>]
//   B <endpoint:2> <requested:8> <transferred:8>
//   A <endpoint:2>
// all lower-case hex.  The data of a control line is the data stage as it
// crossed the bus: what the host sent for a write, what the board answered
// for a read; it is left out when the stage was empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>

#include "sim/control_request.h"

namespace mirbax::sim {

std::string FormatControlLine(const ControlSetup &setup, std::span<const uint8_t> data);
std::string FormatBulkLine(uint8_t endpoint, uint32_t requested, uint32_t transferred);
std::string FormatAbortLine(uint8_t endpoint);

// Not thread-safe by itself: the board's lock guards it.
class TransferLog {
 public:
  // The oldest lines are dropped past this many, so a long stream cannot
  // exhaust memory.
  static constexpr std::size_t kMaxLines = 100000;

  void Add(std::string line);
  void Clear() { lines_.clear(); }
  // Every line followed by a line feed, oldest first.
  std::string Text() const;

 private:
  std::deque<std::string> lines_;
};

}  // namespace mirbax::sim
