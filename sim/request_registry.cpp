#include "sim/request_registry.h"

#include <cstdio>
#include <stdexcept>

namespace mirbax::sim {

void RequestRegistry::Register(uint8_t request, RequestHandler handler) {
  if (!handler || !handlers_.emplace(request, std::move(handler)).second) {
    char message[64];
    std::snprintf(message, sizeof message, "request 0x%02x registered twice or empty", request);
    throw std::logic_error(message);
  }
}

void RequestRegistry::Register(uint8_t request, uint16_t index, RequestHandler handler) {
  if (!handler || !indexedHandlers_.emplace(std::pair(request, index), std::move(handler)).second) {
    char message[80];
    std::snprintf(message, sizeof message, "request 0x%02x index 0x%04x registered twice or empty",
                  request, index);
    throw std::logic_error(message);
  }
}

const RequestHandler *RequestRegistry::Find(uint8_t request, uint16_t index) const {
  if (auto indexed = indexedHandlers_.find(std::pair(request, index));
      indexed != indexedHandlers_.end())
    return &indexed->second;
  auto found = handlers_.find(request);
  return found == handlers_.end() ? nullptr : &found->second;
}

}  // namespace mirbax::sim
