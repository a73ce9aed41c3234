#include "platform/libusb/open_boards.h"

#include "platform/libusb/board_classes.h"
#include "platform/libusb/device_path.h"
#include "platform/libusb/error_map.h"

namespace mirbax::platform::usb {

namespace {

constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr uint32_t ERROR_ACCESS_DENIED = 5;
constexpr uint32_t ERROR_INVALID_HANDLE = 6;

// Only the maker's boards, present on the bus as the path says, are opened.
bool IsPresentBoard(Bus &bus, const DevicePath &path) {
  if (!ClassifyDevice(path.vendorId, path.productId, MakerVendorId())) return false;
  for (const DeviceSummary &device : bus.ListDevices())
    if (device.location == path.location)
      return device.vendorId == path.vendorId && device.productId == path.productId;
  return false;
}

}  // namespace

void OpenBoards::UseBus(Bus &bus) {
  std::lock_guard lock(mutex_);
  bus_ = &bus;
}

Bus &OpenBoards::CurrentBus() {
  std::lock_guard lock(mutex_);
  if (!bus_) bus_ = &LibusbBus();
  return *bus_;
}

Handle OpenBoards::OpenPath(const std::string &path, bool shared) {
  const std::optional<DevicePath> parsed = ParseDevicePath(path);
  Bus &bus = CurrentBus();
  if (!parsed || !IsPresentBoard(bus, *parsed)) {
    FailWith(ERROR_FILE_NOT_FOUND);
    return kInvalidHandle;
  }
  std::lock_guard lock(mutex_);
  const auto known = byPath_.find(path);
  if (const std::shared_ptr<OpenBoard> open = known != byPath_.end() ? known->second.lock() : nullptr) {
    if (!shared || open->exclusive) {
      FailWith(ERROR_ACCESS_DENIED);
      return kInvalidHandle;
    }
    return AddRecord(HandleKind::File, open);
  }
  auto board = std::make_shared<OpenBoard>();
  board->path = path;
  board->exclusive = !shared;
  if (const int result = bus.Open(parsed->location, board->device); result != 0) {
    Fail(result);
    return kInvalidHandle;
  }
  byPath_[path] = board;
  return AddRecord(HandleKind::File, std::move(board));
}

Handle OpenBoards::AddInterface(Handle file) {
  std::lock_guard lock(mutex_);
  const auto found = records_.find(file);
  if (found == records_.end() || found->second.kind != HandleKind::File) {
    FailWith(ERROR_INVALID_HANDLE);
    return kInvalidHandle;
  }
  return AddRecord(HandleKind::Interface, found->second.board);
}

bool OpenBoards::Close(Handle handle, HandleKind kind) {
  std::shared_ptr<OpenBoard> board;
  {
    std::lock_guard lock(mutex_);
    const auto found = records_.find(handle);
    if (found == records_.end() || found->second.kind != kind) return FailWith(ERROR_INVALID_HANDLE);
    board = std::move(found->second.board);
    records_.erase(found);
    if (--board->handles > 0) return true;
    byPath_.erase(board->path);
  }
  // The last handle: transfers still waiting on other threads end now, and
  // the device closes when the last of them lets go of the board.
  board->device->CancelTransfers(0, /*allEndpoints=*/true);
  return true;
}

std::shared_ptr<OpenBoard> OpenBoards::Find(Handle handle) {
  std::lock_guard lock(mutex_);
  const auto found = records_.find(handle);
  if (found == records_.end()) {
    FailWith(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return found->second.board;
}

std::shared_ptr<OpenBoard> OpenBoards::Find(Handle handle, HandleKind kind) {
  std::lock_guard lock(mutex_);
  const auto found = records_.find(handle);
  if (found == records_.end() || found->second.kind != kind) {
    FailWith(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return found->second.board;
}

Handle OpenBoards::AddRecord(HandleKind kind, std::shared_ptr<OpenBoard> board) {
  // Handles are never reused, and never 0 or kInvalidHandle.
  const Handle handle = nextHandle_++;
  ++board->handles;
  records_.emplace(handle, Record{kind, std::move(board)});
  return handle;
}

OpenBoards &Boards() {
  static OpenBoards boards;
  return boards;
}

}  // namespace mirbax::platform::usb
