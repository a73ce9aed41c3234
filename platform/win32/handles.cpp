#include "platform/win32/handles.h"

#include <mutex>
#include <unordered_map>

namespace mirbax::platform::win32 {

namespace {

constexpr bool kPointersFit = sizeof(void *) <= sizeof(Handle);

// The interfaces handed out on 64-bit Windows, by their number.
struct InterfaceTable {
  std::mutex mutex;
  std::unordered_map<Handle, void *> interfaces;
  Handle next = 1;
};

InterfaceTable &Interfaces() {
  static InterfaceTable table;
  return table;
}

void *Unknown() {
  ::SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

}  // namespace

Handle AddInterfaceHandle(void *interfaceHandle) {
  if constexpr (kPointersFit) {
    return static_cast<Handle>(reinterpret_cast<uintptr_t>(interfaceHandle));
  } else {
    InterfaceTable &table = Interfaces();
    std::lock_guard lock(table.mutex);
    if (table.next == kInvalidHandle) table.next = 1;  // after four billion opens
    const Handle handle = table.next++;
    table.interfaces[handle] = interfaceHandle;
    return handle;
  }
}

void *FindInterfaceHandle(Handle handle) {
  if constexpr (kPointersFit) {
    return handle == 0 || handle == kInvalidHandle
               ? Unknown()
               : reinterpret_cast<void *>(static_cast<uintptr_t>(handle));
  } else {
    InterfaceTable &table = Interfaces();
    std::lock_guard lock(table.mutex);
    const auto found = table.interfaces.find(handle);
    return found == table.interfaces.end() ? Unknown() : found->second;
  }
}

void *RemoveInterfaceHandle(Handle handle) {
  if constexpr (kPointersFit) {
    return FindInterfaceHandle(handle);
  } else {
    InterfaceTable &table = Interfaces();
    std::lock_guard lock(table.mutex);
    const auto found = table.interfaces.find(handle);
    if (found == table.interfaces.end()) return Unknown();
    void *interfaceHandle = found->second;
    table.interfaces.erase(found);
    return interfaceHandle;
  }
}

}  // namespace mirbax::platform::win32
