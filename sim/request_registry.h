// The request handlers of a board, keyed by request code.  Each family model
// fills in its own codes while the board is built; a code claimed twice is a
// programming error and throws, so two families cannot silently shadow each
// other.  Requests whose index selects a register of its own (VRQ_GEN_REGISTER)
// may be claimed per index instead, so families can share the code; a
// handler for the exact (request, index) pair is preferred to one for the
// whole code.  Looked up without a lock: nothing registers after
// construction.
#pragma once

#include <cstdint>
#include <map>
#include <utility>

#include "sim/control_request.h"

namespace mirbax::sim {

class RequestRegistry {
 public:
  // Throws std::logic_error when `request` already has a handler.
  void Register(uint8_t request, RequestHandler handler);
  // Throws std::logic_error when (request, index) already has a handler.
  void Register(uint8_t request, uint16_t index, RequestHandler handler);
  // The handler of (request, index), else of `request`, or null: the board
  // stalls such requests.
  const RequestHandler *Find(uint8_t request, uint16_t index) const;

 private:
  std::map<uint8_t, RequestHandler> handlers_;
  std::map<std::pair<uint8_t, uint16_t>, RequestHandler> indexedHandlers_;
};

}  // namespace mirbax::sim
