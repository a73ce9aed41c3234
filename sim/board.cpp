#include "sim/board.h"

#include <cstdio>

#include "sim/errors.h"

namespace mirbax::sim {

namespace {

constexpr uint32_t kOlderCyUsbDriverVersion = 0x01010000;
constexpr uint32_t kNewerCyUsbDriverVersion = 0x01020100;
// The CyUSB header asks the driver for a 42-second time-out; WinUSB pipes
// have none unless the host sets one.
constexpr uint64_t kCyUsbBulkTimeoutMs = 42000;
// Default serial numbers: distinct per board, never 0 (0 = not programmed).
constexpr uint64_t kSerialNumberBase = 0x4D42580000000000ull;

}  // namespace

std::string MakeDevicePath(const BoardIdentity &identity) {
  char path[96];
  if (!identity.loaderPathTag.empty()) {
    // The loader looks for "PID_" in the path: only the tag may hold it.
    std::snprintf(path, sizeof path, "\\\\?\\usb#sim%04u#{loader}#", identity.id);
    return path + identity.loaderPathTag;
  }
  const char *driverClass = identity.driver == Driver::WinUsb ? "winusb" : "cyusb";
  std::snprintf(path, sizeof path, "\\\\?\\usb#vid_0000&pid_%04x#sim%04u#{%s}", identity.productId,
                identity.id, driverClass);
  return path;
}

Board::Board(BoardIdentity identity)
    : identity_(std::move(identity)), devicePath_(MakeDevicePath(identity_)) {
  RegisterBaseOptions();
  RegisterCoreRequests(*this);
  RegisterDioRequests(*this);
  RegisterCounterRequests(*this);
  RegisterAdcRequests(*this);
  RegisterDacRequests(*this);
  RegisterMemoryRequests(*this);
}

void Board::RegisterBaseOptions() {
  const bool winUsb = identity_.driver == Driver::WinUsb;
  const bool newerDriver = identity_.driver == Driver::CyUsb3;
  options.Register("firmware20", 1);
  options.Register("high_speed", 1);
  options.Register("cal_supported", 1);
  options.Register("serial", kSerialNumberBase + identity_.id,
                   [](Board &board, uint64_t serial) { StoreSerialNumber(board.core, serial); });
  options.Register("sample_rate", 0);
  options.Register("adc_pattern", 0);
  options.Register("driver_version",
                   newerDriver ? kNewerCyUsbDriverVersion : kOlderCyUsbDriverVersion);
  options.Register("bulk_timeout_ms", winUsb ? 0 : kCyUsbBulkTimeoutMs);
}

void Board::RegisterRequest(uint8_t request, RequestHandler handler) {
  requests_.Register(request, std::move(handler));
}

void Board::RegisterRequest(uint8_t request, uint16_t index, RequestHandler handler) {
  requests_.Register(request, index, std::move(handler));
}

void Board::RegisterRegion(std::string name, std::span<uint8_t> bytes, RegionWriteHook afterWrite) {
  regions_.Register(std::move(name), Region{bytes, std::move(afterWrite)});
}

void Board::RegisterOption(std::string name, uint64_t defaultValue, OptionHook onSet) {
  options.Register(std::move(name), defaultValue, std::move(onSet));
}

bool Board::Unplug() {
  if (!attached_.exchange(false)) return false;
  for (BulkInPipe &pipe : inPipes_) pipe.Unplug();
  for (BulkOutPipe &pipe : outPipes_) pipe.Unplug();
  return true;
}

BulkInPipe *Board::InPipe(uint8_t endpoint) {
  for (BulkInPipe &pipe : inPipes_) {
    if (pipe.endpoint() == endpoint) return &pipe;
  }
  return nullptr;
}

BulkOutPipe *Board::OutPipe(uint8_t endpoint) {
  for (BulkOutPipe &pipe : outPipes_) {
    if (pipe.endpoint() == endpoint) return &pipe;
  }
  return nullptr;
}

uint32_t Board::DriverVersion() {
  std::lock_guard lock(mutex_);
  return static_cast<uint32_t>(options.Value("driver_version"));
}

bool Board::IsHighSpeed() {
  std::lock_guard lock(mutex_);
  return options.Value("high_speed") != 0;
}

uint32_t Board::OpenPath(bool shared) {
  std::lock_guard lock(mutex_);
  if (!IsAttached()) return kErrorFileNotFound;
  const bool conflict = shared ? exclusiveOpens_ > 0 : exclusiveOpens_ + sharedOpens_ > 0;
  if (conflict) return kErrorAccessDenied;
  ++(shared ? sharedOpens_ : exclusiveOpens_);
  return kOk;
}

void Board::HoldPath(bool shared) {
  std::lock_guard lock(mutex_);
  ++(shared ? sharedOpens_ : exclusiveOpens_);
}

void Board::ReleasePath(bool shared) {
  std::lock_guard lock(mutex_);
  uint32_t &opens = shared ? sharedOpens_ : exclusiveOpens_;
  if (opens > 0) --opens;
}

uint32_t Board::OpenCount() {
  std::lock_guard lock(mutex_);
  return sharedOpens_ + exclusiveOpens_;
}

}  // namespace mirbax::sim
