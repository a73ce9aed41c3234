#include "platform/sim/handle_table.h"

#include <mutex>
#include <unordered_map>

#include "sim/errors.h"

namespace mirbax::platform::sim_backend {

namespace {

class HandleTable {
 public:
  Handle Add(OpenHandle handle) {
    std::lock_guard lock(mutex_);
    Handle value = NextFreeValue();
    handles_.emplace(value, std::move(handle));
    return value;
  }

  std::optional<OpenHandle> Remove(Handle value, HandleKind kind) {
    std::lock_guard lock(mutex_);
    auto found = handles_.find(value);
    if (found == handles_.end() || found->second.kind != kind) return std::nullopt;
    OpenHandle handle = std::move(found->second);
    handles_.erase(found);
    return handle;
  }

  std::optional<OpenHandle> Find(Handle value, HandleKind kind) {
    std::lock_guard lock(mutex_);
    auto found = handles_.find(value);
    if (found == handles_.end() || found->second.kind != kind) return std::nullopt;
    return found->second;
  }

 private:
  // Steps of 4 as Windows hands out handles; skips the two values that mean
  // "no handle" and any value still in use after a wrap.
  Handle NextFreeValue() {
    for (;;) {
      const Handle value = next_;
      next_ += 4;
      if (value != 0 && value != kInvalidHandle && !handles_.contains(value)) return value;
    }
  }

  std::mutex mutex_;
  std::unordered_map<Handle, OpenHandle> handles_;
  Handle next_ = 0x1000;
};

HandleTable &Table() {
  static HandleTable table;
  return table;
}

}  // namespace

Handle AddHandle(OpenHandle handle) { return Table().Add(std::move(handle)); }

std::optional<OpenHandle> RemoveHandle(Handle handle, HandleKind kind) {
  return Table().Remove(handle, kind);
}

std::optional<OpenHandle> LiveHandle(Handle handle, HandleKind kind) {
  std::optional<OpenHandle> found = Table().Find(handle, kind);
  if (!found) {
    SetLastError(sim::kErrorInvalidHandle);
    return std::nullopt;
  }
  if (!found->board->IsAttached()) {
    SetLastError(sim::kErrorDeviceNotConnected);
    return std::nullopt;
  }
  return found;
}

std::shared_ptr<sim::Board> BoardOf(Handle handle, HandleKind kind) {
  std::optional<OpenHandle> found = LiveHandle(handle, kind);
  return found ? std::move(found->board) : nullptr;
}

bool Fail(uint32_t error) {
  SetLastError(error);
  return false;
}

}  // namespace mirbax::platform::sim_backend
