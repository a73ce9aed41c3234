// Helpers shared by the files of the control API (mirbax_sim.h).
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <string>

#include "sim/board.h"
#include "sim/bus.h"
#include "sim/errors.h"

// The control API is exported from libmirbax-sim.so (mirbax-sim.dll); the
// build hides every other symbol.
#if defined(_WIN32)
#define MIRBAXSIM_EXPORT extern "C" __declspec(dllexport)
#else
#define MIRBAXSIM_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace mirbax::sim {

inline constexpr uint32_t kErrorNotEnoughMemory = 8;
inline constexpr uint32_t kErrorInternal = 1359;

// Runs one control-API call: no exception crosses the C interface.
template <typename Call>
uint32_t Guarded(Call call) noexcept {
  try {
    return call();
  } catch (const std::bad_alloc &) {
    return kErrorNotEnoughMemory;
  } catch (...) {
    return kErrorInternal;
  }
}

// Runs `call(Board &)` on a known board, or gives 2.
template <typename Call>
uint32_t WithBoard(uint32_t board, Call call) noexcept {
  return Guarded([&]() -> uint32_t {
    std::shared_ptr<Board> found = Bus::Instance().Find(board);
    if (!found) return kErrorFileNotFound;
    return call(*found);
  });
}

// Copies `text` and a terminating NUL to `out`, which has room for *pSize
// bytes; *pSize gets the bytes stored, or the bytes needed with 122.
inline uint32_t CopyText(const std::string &text, char *out, uint32_t *pSize) {
  if (!pSize) return kErrorInvalidParameter;
  const auto needed = static_cast<uint32_t>(text.size() + 1);
  if (*pSize < needed) {
    *pSize = needed;
    return kErrorInsufficientBuffer;
  }
  if (!out) return kErrorInvalidParameter;
  text.copy(out, text.size());
  out[text.size()] = '\0';
  *pSize = needed;
  return kOk;
}

}  // namespace mirbax::sim
