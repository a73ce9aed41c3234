// The driver handles of the simulated backend: each names an open file of a
// board's device path or a WinUSB interface made from one.  Handle values are
// unique 32-bit numbers, never 0 or 0xFFFFFFFF, not reused while the process
// runs (until the counter wraps).  Thread-safe.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/platform.h"
#include "sim/board.h"

namespace mirbax::platform::sim_backend {

enum class HandleKind { File, WinUsbInterface };

struct OpenHandle {
  HandleKind kind;
  std::shared_ptr<sim::Board> board;
  bool shared;  // how the device path was opened
};

Handle AddHandle(OpenHandle handle);
// Removes a live handle of that kind; nothing for another handle.
std::optional<OpenHandle> RemoveHandle(Handle handle, HandleKind kind);

// A live handle of `kind`.  Nothing when the call must fail, with the
// calling thread's last error set: 6 for a handle that is closed, never
// existed or is of another kind; 1167 when its board was unplugged.
std::optional<OpenHandle> LiveHandle(Handle handle, HandleKind kind);
// The board behind a live handle of `kind`; null as LiveHandle.
std::shared_ptr<sim::Board> BoardOf(Handle handle, HandleKind kind);

// Sets the calling thread's last error; returns false for the caller to
// return.
bool Fail(uint32_t error);

}  // namespace mirbax::platform::sim_backend
