// The USB bus as the libusb backend sees it: the few operations it needs
// from libusb, behind an interface so that everything above it (paths,
// handles, the CyUSB request decoding, the WinUSB calls) runs the same over
// libusb (libusb_bus.cpp, the only file that calls libusb) and over a fake
// bus in the tests.
//
// Every operation returns 0 (or a byte count) on success and a negative
// libusb error code (LIBUSB_ERROR_*) on failure; the backend turns those
// into Windows codes with the table of error_map.h.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/libusb/device_path.h"

namespace mirbax::platform::usb {

// What enumeration tells about a device without opening it.
struct DeviceSummary {
  UsbLocation location;
  uint16_t vendorId = 0;
  uint16_t productId = 0;
};

struct EndpointInfo {
  uint8_t address = 0;     // bit 7 set: IN
  uint8_t attributes = 0;  // bits 0-1: 0 control, 1 isochronous, 2 bulk, 3 interrupt
  uint16_t maxPacketSize = 0;
  uint8_t interval = 0;
};

struct InterfaceInfo {
  uint8_t number = 0;
  uint8_t alternateSetting = 0;
  std::vector<EndpointInfo> endpoints;
};

// The bus speed as libusb reports it.
enum class BusSpeed { Unknown, Low, Full, High, Super };

// An opened device with interface 0 claimed.  Thread-safe: transfers may run
// from several threads at once; CancelTransfers may be called from any
// thread while others wait in BulkTransfer.
class OpenDevice {
 public:
  virtual ~OpenDevice() = default;

  // A control transfer; the data stage is `length` bytes at `data` (read
  // into it when bit 7 of requestType is set).  Returns the bytes moved or
  // a libusb error.
  virtual int ControlTransfer(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index,
                              uint8_t *data, uint16_t length, unsigned timeoutMs) = 0;

  // A bulk transfer on `endpoint` (bit 7: IN); timeoutMs 0 waits without
  // limit.  Returns 0 or a libusb error (LIBUSB_ERROR_INTERRUPTED when
  // cancelled); `transferred` holds the bytes moved in either case.
  virtual int BulkTransfer(uint8_t endpoint, uint8_t *data, uint32_t length, unsigned timeoutMs,
                           uint32_t &transferred) = 0;

  // Ends the pending bulk transfers on `endpoint` (all endpoints when
  // `allEndpoints`); they return LIBUSB_ERROR_INTERRUPTED.
  virtual void CancelTransfers(uint8_t endpoint, bool allEndpoints) = 0;

  // Interface 0 in the given alternate setting of the active configuration.
  virtual int QueryInterface(uint8_t alternateSetting, InterfaceInfo &info) = 0;

  virtual BusSpeed Speed() = 0;
};

class Bus {
 public:
  virtual ~Bus() = default;

  // False when there is no USB subsystem to talk to (then the bus is empty).
  virtual bool Available() = 0;

  // The devices on the bus, in the order the system lists them.
  virtual std::vector<DeviceSummary> ListDevices() = 0;

  // Opens the device at `location` and claims interface 0 (detaching a
  // kernel driver that holds it).  LIBUSB_ERROR_NO_DEVICE when no device is
  // there any more.
  virtual int Open(const UsbLocation &location, std::unique_ptr<OpenDevice> &device) = 0;
};

// The bus of this machine, through libusb.
Bus &LibusbBus();

}  // namespace mirbax::platform::usb
