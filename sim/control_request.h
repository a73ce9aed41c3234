// What a board's firmware sees of one transfer, and what it answers.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace mirbax::sim {

class Board;

// The setup packet of a control transfer on endpoint 0.
struct ControlSetup {
  uint8_t requestType = 0;  // bit 7 set: device to host (a read)
  uint8_t request = 0;
  uint16_t value = 0;
  uint16_t index = 0;
  uint16_t length = 0;  // wLength: the most the data stage may carry

  bool IsRead() const { return (requestType & 0x80) != 0; }
};

// One control request as a request handler sees it.  Exactly one of the two
// spans is used: `sent` for writes, `reply` for reads.
struct ControlRequest {
  ControlSetup setup;
  std::span<const uint8_t> sent;  // the data stage the host sent (writes)
  std::span<uint8_t> reply;       // room for the answer (reads), at most wLength bytes
};

// A handler's answer: the number of bytes it put in `reply` (0 for writes),
// or kStall when the firmware refuses the request.
using Reply = std::optional<uint32_t>;
inline constexpr Reply kStall = std::nullopt;

// Handles the requests of one request code.  Called with the board's lock
// held (Board::Lock), so it may read and change any board state; it must not
// block.
using RequestHandler = std::function<Reply(Board &board, const ControlRequest &request)>;

// The end of a transfer as the driver reports it.
struct Outcome {
  uint32_t error = 0;  // 0 on success, else the driver's code
  uint32_t bytes = 0;  // bytes moved in the data stage
};

}  // namespace mirbax::sim
