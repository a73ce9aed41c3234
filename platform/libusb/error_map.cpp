#include "platform/libusb/error_map.h"

#include <libusb.h>

#include "platform/platform.h"

namespace mirbax::platform::usb {

namespace {

// Windows codes, under their Windows names.
constexpr uint32_t ERROR_ACCESS_DENIED = 5;
constexpr uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr uint32_t ERROR_GEN_FAILURE = 31;
constexpr uint32_t ERROR_NOT_SUPPORTED = 50;
constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr uint32_t ERROR_SEM_TIMEOUT = 121;
constexpr uint32_t ERROR_BUSY = 170;
constexpr uint32_t ERROR_MORE_DATA = 234;
constexpr uint32_t ERROR_OPERATION_ABORTED = 995;
constexpr uint32_t ERROR_IO_DEVICE = 1117;
constexpr uint32_t ERROR_DEVICE_NOT_CONNECTED = 1167;
constexpr uint32_t ERROR_NOT_FOUND = 1168;

constexpr ErrorMapping kErrorTable[] = {
    {LIBUSB_ERROR_IO, "LIBUSB_ERROR_IO", ERROR_IO_DEVICE},
    {LIBUSB_ERROR_INVALID_PARAM, "LIBUSB_ERROR_INVALID_PARAM", ERROR_INVALID_PARAMETER},
    {LIBUSB_ERROR_ACCESS, "LIBUSB_ERROR_ACCESS", ERROR_ACCESS_DENIED},
    // The board has gone: the failure mapping closes the entry and marks it
    // removed.
    {LIBUSB_ERROR_NO_DEVICE, "LIBUSB_ERROR_NO_DEVICE", ERROR_DEVICE_NOT_CONNECTED},
    // Not 2 (ERROR_FILE_NOT_FOUND): that one would mark a present board
    // removed for a request it merely does not know.
    {LIBUSB_ERROR_NOT_FOUND, "LIBUSB_ERROR_NOT_FOUND", ERROR_NOT_FOUND},
    {LIBUSB_ERROR_BUSY, "LIBUSB_ERROR_BUSY", ERROR_BUSY},
    {LIBUSB_ERROR_TIMEOUT, "LIBUSB_ERROR_TIMEOUT", ERROR_SEM_TIMEOUT},
    {LIBUSB_ERROR_OVERFLOW, "LIBUSB_ERROR_OVERFLOW", ERROR_MORE_DATA},
    // A stall: the board refused the request.
    {LIBUSB_ERROR_PIPE, "LIBUSB_ERROR_PIPE", ERROR_GEN_FAILURE},
    // A cancelled transfer: the pipe was aborted.
    {LIBUSB_ERROR_INTERRUPTED, "LIBUSB_ERROR_INTERRUPTED", ERROR_OPERATION_ABORTED},
    {LIBUSB_ERROR_NO_MEM, "LIBUSB_ERROR_NO_MEM", ERROR_NOT_ENOUGH_MEMORY},
    {LIBUSB_ERROR_NOT_SUPPORTED, "LIBUSB_ERROR_NOT_SUPPORTED", ERROR_NOT_SUPPORTED},
    {LIBUSB_ERROR_OTHER, "LIBUSB_ERROR_OTHER", ERROR_GEN_FAILURE},
};

thread_local int lastLibusbError = 0;

}  // namespace

std::span<const ErrorMapping> ErrorTable() { return kErrorTable; }

uint32_t WindowsErrorOf(int libusbError) {
  if (libusbError == LIBUSB_SUCCESS) return 0;
  for (const ErrorMapping &mapping : kErrorTable)
    if (mapping.libusbError == libusbError) return mapping.windowsError;
  return ERROR_GEN_FAILURE;
}

bool Fail(int libusbError) {
  lastLibusbError = libusbError;
  SetLastError(WindowsErrorOf(libusbError));
  return false;
}

int LastLibusbError() { return lastLibusbError; }

bool FailWith(uint32_t windowsError) {
  lastLibusbError = 0;
  SetLastError(windowsError);
  return false;
}

}  // namespace mirbax::platform::usb
