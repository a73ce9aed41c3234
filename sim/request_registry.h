// The request handlers of a board, keyed by request code.  Each family model
// fills in its own codes while the board is built; a code claimed twice is a
// programming error and throws, so two families cannot silently shadow each
// other.  Looked up without a lock: nothing registers after construction.
#pragma once

#include <cstdint>
#include <map>

#include "sim/control_request.h"

namespace mirbax::sim {

class RequestRegistry {
 public:
  // Throws std::logic_error when `request` already has a handler.
  void Register(uint8_t request, RequestHandler handler);
  // The handler of `request`, or null: the board stalls such requests.
  const RequestHandler *Find(uint8_t request) const;

 private:
  std::map<uint8_t, RequestHandler> handlers_;
};

}  // namespace mirbax::sim
