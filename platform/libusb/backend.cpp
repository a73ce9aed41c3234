// The platform interface over libusb-1.0: real boards on Linux.
//
// The maker's boards running their firmware appear under the WinUSB class
// and are driven through the WinUSB calls below; boards waiting for
// firmware appear under the loader class and are written through the CyUSB
// endpoint-0 request, as the firmware loader does.  Both map onto libusb
// control and bulk transfers on interface 0.  libusb errors become Windows
// codes at this edge (error_map.h); a board that has gone gives 1167.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include <unistd.h>

#include "platform/libusb/board_classes.h"
#include "platform/libusb/cyusb_requests.h"
#include "platform/libusb/device_path.h"
#include "platform/libusb/error_map.h"
#include "platform/libusb/open_boards.h"
#include "platform/platform.h"

namespace mirbax::platform {

namespace {

using usb::Boards;
using usb::Fail;
using usb::FailWith;
using usb::HandleKind;

constexpr uint32_t ERROR_INVALID_FUNCTION = 1;
constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr uint32_t ERROR_NO_MORE_ITEMS = 259;

// WinUSB's default time-out of control transfers.
constexpr unsigned kControlTimeoutMs = 5000;
// The version the CyUSB I/O control reports: the newer driver generation.
constexpr uint32_t kDriverVersion = 0x01020100;
// What the device-speed I/O control reports.
constexpr uint32_t kSpeedLowFull = 1;
constexpr uint32_t kSpeedHigh = 2;

constexpr uint8_t kGetDescriptor = 6;
constexpr uint8_t kDeviceToHost = 0x80;

unsigned Milliseconds(uint32_t seconds) {
  return unsigned(std::min<uint64_t>(uint64_t(seconds) * 1000, 0xFFFFFFFFu));
}

void SetReturned(uint32_t *bytesReturned, uint32_t count) {
  if (bytesReturned) *bytesReturned = count;
}

// IOCTL_ADAPT_SEND_EP0_CONTROL_TRANSFER: header and data stage in one block.
bool SendEp0ControlTransfer(usb::OpenDevice &device, const void *input, uint32_t inputSize,
                            void *output, uint32_t outputSize, uint32_t *bytesReturned) {
  const auto *in = static_cast<const uint8_t *>(input);
  const auto header = usb::DecodeControlHeader(std::span(in, inputSize));
  if (!header) return FailWith(ERROR_INVALID_PARAMETER);
  const bool read = header->requestType & kDeviceToHost;
  const uint32_t blockSize = read ? outputSize : inputSize;
  // The decode checked the input; the output takes the header back, and the
  // data stage must fit in the block it travels in.
  if (outputSize < usb::kCyHeaderBytes || header->length > blockSize - usb::kCyHeaderBytes)
    return FailWith(ERROR_INVALID_PARAMETER);
  // The data stage in a buffer of our own: input and output may be one block.
  std::vector<uint8_t> data(header->length);
  if (!read) std::copy_n(in + usb::kCyHeaderBytes, header->length, data.begin());
  const int result =
      device.ControlTransfer(header->requestType, header->request, header->value, header->index,
                             data.data(), header->length, Milliseconds(header->timeoutSeconds));
  if (result < 0) return Fail(result);
  auto *out = static_cast<uint8_t *>(output);
  if (out != in) std::copy_n(in, usb::kCyHeaderBytes, out);
  if (read) std::copy_n(data.begin(), result, out + usb::kCyHeaderBytes);
  SetReturned(bytesReturned, usb::kCyHeaderBytes + uint32_t(result));
  return true;
}

// IOCTL_ADAPT_SEND_NON_EP0_DIRECT: the header names the pipe, the output
// buffer holds the data in either direction.
bool SendNonEp0Direct(usb::OpenDevice &device, const void *input, uint32_t inputSize,
                      void *output, uint32_t outputSize, uint32_t *bytesReturned) {
  const auto header =
      usb::DecodeBulkHeader(std::span(static_cast<const uint8_t *>(input), inputSize));
  if (!header) return FailWith(ERROR_INVALID_PARAMETER);
  uint32_t transferred = 0;
  const int result = device.BulkTransfer(header->endpoint, static_cast<uint8_t *>(output),
                                         outputSize, Milliseconds(header->timeoutSeconds),
                                         transferred);
  SetReturned(bytesReturned, transferred);
  return result == 0 || Fail(result);
}

bool WriteWord(void *output, uint32_t outputSize, uint32_t *bytesReturned, uint32_t word) {
  if (outputSize < sizeof word) return FailWith(ERROR_INVALID_PARAMETER);
  std::memcpy(output, &word, sizeof word);
  SetReturned(bytesReturned, sizeof word);
  return true;
}

uint32_t SpeedCode(usb::BusSpeed speed) {
  switch (speed) {
    case usb::BusSpeed::Low:
    case usb::BusSpeed::Full: return kSpeedLowFull;
    case usb::BusSpeed::High:
    case usb::BusSpeed::Super: return kSpeedHigh;
    default: return 0;
  }
}

}  // namespace

// ---- Enumeration and files ---------------------------------------------

std::vector<std::string> ListDevicePaths(DeviceClass deviceClass) {
  std::vector<std::string> paths;
  const std::optional<uint16_t> maker = usb::MakerVendorId();
  for (const usb::DeviceSummary &device : Boards().CurrentBus().ListDevices()) {
    if (usb::ClassifyDevice(device.vendorId, device.productId, maker) != deviceClass) continue;
    paths.push_back(usb::FormatDevicePath({device.vendorId, device.productId, device.location}));
  }
  return paths;
}

Handle OpenDevicePath(const std::string &path, bool shared) {
  return Boards().OpenPath(path, shared);
}

bool CloseHandle(Handle handle) { return Boards().Close(handle, HandleKind::File); }

// ---- CyUSB driver --------------------------------------------------------

bool DeviceIoControl(Handle handle, uint32_t code, const void *input, uint32_t inputSize,
                     void *output, uint32_t outputSize, uint32_t *bytesReturned) {
  const std::shared_ptr<usb::OpenBoard> board = Boards().Find(handle);
  if (!board) return false;
  usb::OpenDevice &device = *board->device;
  switch (code) {
    case IOCTL_ADAPT_GET_DRIVER_VERSION:
      return WriteWord(output, outputSize, bytesReturned, kDriverVersion);
    case IOCTL_ADAPT_SEND_EP0_CONTROL_TRANSFER:
      return SendEp0ControlTransfer(device, input, inputSize, output, outputSize, bytesReturned);
    case IOCTL_ADAPT_SEND_NON_EP0_DIRECT:
      return SendNonEp0Direct(device, input, inputSize, output, outputSize, bytesReturned);
    case IOCTL_ADAPT_ABORT_PIPE:
      if (inputSize < 1) return FailWith(ERROR_INVALID_PARAMETER);
      device.CancelTransfers(*static_cast<const uint8_t *>(input), /*allEndpoints=*/false);
      SetReturned(bytesReturned, 0);
      return true;
    case IOCTL_ADAPT_GET_DEVICE_SPEED:
      return WriteWord(output, outputSize, bytesReturned, SpeedCode(device.Speed()));
    default:
      return FailWith(ERROR_INVALID_FUNCTION);
  }
}

// ---- WinUSB ----------------------------------------------------------------

bool LoadWinUsb() { return Boards().CurrentBus().Available(); }

bool WinUsbInitialize(Handle file, Handle *interfaceHandle) {
  const Handle handle = Boards().AddInterface(file);
  if (handle == kInvalidHandle) return false;
  *interfaceHandle = handle;
  return true;
}

bool WinUsbFree(Handle interfaceHandle) {
  return Boards().Close(interfaceHandle, HandleKind::Interface);
}

bool WinUsbControlTransfer(Handle interfaceHandle, const SetupPacket &setup, uint8_t *buffer,
                           uint32_t bufferLength, uint32_t *lengthTransferred) {
  const auto board = Boards().Find(interfaceHandle, HandleKind::Interface);
  if (!board) return false;
  // Never past the caller's buffer, whatever the setup packet says.
  const uint16_t length = uint16_t(std::min<uint32_t>(setup.length, bufferLength));
  const int result = board->device->ControlTransfer(setup.requestType, setup.request, setup.value,
                                                    setup.index, buffer, length, kControlTimeoutMs);
  if (result < 0) return Fail(result);
  *lengthTransferred = uint32_t(result);
  return true;
}

bool WinUsbGetDescriptor(Handle interfaceHandle, uint8_t descriptorType, uint8_t index,
                         uint16_t languageId, uint8_t *buffer, uint32_t bufferLength,
                         uint32_t *lengthTransferred) {
  const SetupPacket setup{kDeviceToHost, kGetDescriptor, uint16_t(descriptorType << 8 | index),
                          languageId, uint16_t(std::min<uint32_t>(bufferLength, 0xFFFF))};
  return WinUsbControlTransfer(interfaceHandle, setup, buffer, bufferLength, lengthTransferred);
}

bool WinUsbQueryInterfaceSettings(Handle interfaceHandle, uint8_t alternateSetting,
                                  InterfaceDescriptor *descriptor) {
  const auto board = Boards().Find(interfaceHandle, HandleKind::Interface);
  if (!board) return false;
  usb::InterfaceInfo info;
  if (const int result = board->device->QueryInterface(alternateSetting, info); result < 0)
    return Fail(result);
  *descriptor = {info.number, info.alternateSetting, uint8_t(info.endpoints.size())};
  return true;
}

bool WinUsbQueryPipe(Handle interfaceHandle, uint8_t alternateSetting, uint8_t pipeIndex,
                     PipeInformation *information) {
  const auto board = Boards().Find(interfaceHandle, HandleKind::Interface);
  if (!board) return false;
  usb::InterfaceInfo info;
  if (const int result = board->device->QueryInterface(alternateSetting, info); result < 0)
    return Fail(result);
  if (pipeIndex >= info.endpoints.size()) return FailWith(ERROR_NO_MORE_ITEMS);
  const usb::EndpointInfo &endpoint = info.endpoints[pipeIndex];
  *information = {PipeType(endpoint.attributes & 3), endpoint.address, endpoint.maxPacketSize,
                  endpoint.interval};
  return true;
}

namespace {

// ReadPipe and WritePipe: no time-out on WinUSB pipes, as the library sets
// none; the pipe ID's direction bit must match the call.
bool PipeTransfer(Handle interfaceHandle, uint8_t pipeId, bool in, uint8_t *buffer,
                  uint32_t bufferLength, uint32_t *lengthTransferred) {
  const auto board = Boards().Find(interfaceHandle, HandleKind::Interface);
  if (!board) return false;
  if (bool(pipeId & 0x80) != in) return FailWith(ERROR_INVALID_PARAMETER);
  uint32_t transferred = 0;
  const int result = board->device->BulkTransfer(pipeId, buffer, bufferLength, 0, transferred);
  *lengthTransferred = transferred;
  return result == 0 || Fail(result);
}

}  // namespace

bool WinUsbReadPipe(Handle interfaceHandle, uint8_t pipeId, uint8_t *buffer, uint32_t bufferLength,
                    uint32_t *lengthTransferred) {
  return PipeTransfer(interfaceHandle, pipeId, true, buffer, bufferLength, lengthTransferred);
}

bool WinUsbWritePipe(Handle interfaceHandle, uint8_t pipeId, const uint8_t *buffer,
                     uint32_t bufferLength, uint32_t *lengthTransferred) {
  // An OUT transfer only reads its buffer; libusb's buffer type is not const.
  return PipeTransfer(interfaceHandle, pipeId, false, const_cast<uint8_t *>(buffer), bufferLength,
                      lengthTransferred);
}

bool WinUsbAbortPipe(Handle interfaceHandle, uint8_t pipeId) {
  const auto board = Boards().Find(interfaceHandle, HandleKind::Interface);
  if (!board) return false;
  board->device->CancelTransfers(pipeId, /*allEndpoints=*/false);
  return true;
}

// ---- User messages -------------------------------------------------------

// A library has no window to show: the message goes to standard error,
// whole.  When a person sits at the terminal the call waits, as a message
// box does, until they press Enter; in a pipe or a service it goes on at
// once (nobody could answer).
void MessageBox(std::string_view caption, std::string_view text, uint32_t) {
  std::fprintf(stderr, "%.*s: %.*s\n", int(caption.size()), caption.data(), int(text.size()),
               text.data());
  if (isatty(STDIN_FILENO) && isatty(STDERR_FILENO)) {
    std::fputs("(press Enter to go on) ", stderr);
    std::fflush(stderr);
    for (int c = std::getchar(); c != '\n' && c != EOF; c = std::getchar()) {
    }
  }
}

}  // namespace mirbax::platform
