// The libusb bus: the only file of the backend that calls libusb.  Kept
// thin on purpose: each operation of usb_bus.h is one or two libusb calls.
#include <libusb.h>

#include <algorithm>
#include <mutex>
#include <span>

#include "platform/libusb/usb_bus.h"

namespace mirbax::platform::usb {

namespace {

// One libusb context for the life of the process, made at first use.  A
// machine without a USB subsystem gives none, and the bus is empty.
libusb_context *Context() {
  static libusb_context *const context = [] {
    libusb_context *made = nullptr;
    return libusb_init(&made) == LIBUSB_SUCCESS ? made : nullptr;
  }();
  return context;
}

UsbLocation LocationOf(libusb_device *device) {
  UsbLocation location;
  location.bus = libusb_get_bus_number(device);
  location.address = libusb_get_device_address(device);
  uint8_t ports[8];
  const int depth = libusb_get_port_numbers(device, ports, sizeof ports);
  if (depth > 0) location.ports.assign(ports, ports + depth);
  return location;
}

// The outcome of an asynchronous transfer as the error libusb's own
// synchronous calls give, except that a cancelled transfer is "interrupted":
// the pipe was aborted.
int ErrorOfStatus(libusb_transfer_status status) {
  switch (status) {
    case LIBUSB_TRANSFER_COMPLETED: return LIBUSB_SUCCESS;
    case LIBUSB_TRANSFER_TIMED_OUT: return LIBUSB_ERROR_TIMEOUT;
    case LIBUSB_TRANSFER_STALL: return LIBUSB_ERROR_PIPE;
    case LIBUSB_TRANSFER_NO_DEVICE: return LIBUSB_ERROR_NO_DEVICE;
    case LIBUSB_TRANSFER_OVERFLOW: return LIBUSB_ERROR_OVERFLOW;
    case LIBUSB_TRANSFER_CANCELLED: return LIBUSB_ERROR_INTERRUPTED;
    default: return LIBUSB_ERROR_IO;
  }
}

void LIBUSB_CALL MarkCompleted(libusb_transfer *transfer) {
  *static_cast<int *>(transfer->user_data) = 1;
}

class LibusbDevice final : public OpenDevice {
 public:
  explicit LibusbDevice(libusb_device_handle *handle) : handle_(handle) {}

  ~LibusbDevice() override {
    libusb_release_interface(handle_, 0);
    libusb_close(handle_);
  }

  int ControlTransfer(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index,
                      uint8_t *data, uint16_t length, unsigned timeoutMs) override {
    return libusb_control_transfer(handle_, requestType, request, value, index, data, length,
                                   timeoutMs);
  }

  // Asynchronous underneath, so that CancelTransfers can end it.
  int BulkTransfer(uint8_t endpoint, uint8_t *data, uint32_t length, unsigned timeoutMs,
                   uint32_t &transferred) override {
    transferred = 0;
    libusb_transfer *transfer = libusb_alloc_transfer(0);
    if (!transfer) return LIBUSB_ERROR_NO_MEM;
    int completed = 0;
    libusb_fill_bulk_transfer(transfer, handle_, endpoint, data, int(length), MarkCompleted,
                              &completed, timeoutMs);
    {
      std::lock_guard lock(pendingMutex_);
      pending_.push_back(transfer);
    }
    int result = libusb_submit_transfer(transfer);
    if (result == LIBUSB_SUCCESS) {
      while (!completed) {
        if (libusb_handle_events_completed(Context(), &completed) < 0 && !completed)
          libusb_cancel_transfer(transfer);
      }
      result = ErrorOfStatus(transfer->status);
      transferred = uint32_t(std::max(transfer->actual_length, 0));
    }
    {
      std::lock_guard lock(pendingMutex_);
      std::erase(pending_, transfer);
    }
    libusb_free_transfer(transfer);
    return result;
  }

  void CancelTransfers(uint8_t endpoint, bool allEndpoints) override {
    std::lock_guard lock(pendingMutex_);
    for (libusb_transfer *transfer : pending_)
      if (allEndpoints || transfer->endpoint == endpoint) libusb_cancel_transfer(transfer);
  }

  int QueryInterface(uint8_t alternateSetting, InterfaceInfo &info) override {
    libusb_config_descriptor *config = nullptr;
    const int result = libusb_get_active_config_descriptor(libusb_get_device(handle_), &config);
    if (result != LIBUSB_SUCCESS) return result;
    int outcome = LIBUSB_ERROR_NOT_FOUND;
    if (config->bNumInterfaces > 0 && alternateSetting < config->interface[0].num_altsetting) {
      const libusb_interface_descriptor &setting = config->interface[0].altsetting[alternateSetting];
      info.number = setting.bInterfaceNumber;
      info.alternateSetting = setting.bAlternateSetting;
      info.endpoints.clear();
      for (int i = 0; i < setting.bNumEndpoints; ++i) {
        const libusb_endpoint_descriptor &endpoint = setting.endpoint[i];
        info.endpoints.push_back({endpoint.bEndpointAddress, endpoint.bmAttributes,
                                  endpoint.wMaxPacketSize, endpoint.bInterval});
      }
      outcome = LIBUSB_SUCCESS;
    }
    libusb_free_config_descriptor(config);
    return outcome;
  }

  BusSpeed Speed() override {
    switch (libusb_get_device_speed(libusb_get_device(handle_))) {
      case LIBUSB_SPEED_LOW: return BusSpeed::Low;
      case LIBUSB_SPEED_FULL: return BusSpeed::Full;
      case LIBUSB_SPEED_HIGH: return BusSpeed::High;
      case LIBUSB_SPEED_UNKNOWN: return BusSpeed::Unknown;
      default: return BusSpeed::Super;
    }
  }

 private:
  libusb_device_handle *const handle_;
  std::mutex pendingMutex_;
  std::vector<libusb_transfer *> pending_;  // submitted, not yet freed
};

// The device list of libusb, released when it goes out of scope.
class DeviceList {
 public:
  DeviceList() {
    if (Context()) count_ = libusb_get_device_list(Context(), &devices_);
  }
  ~DeviceList() {
    if (devices_) libusb_free_device_list(devices_, 1);
  }
  DeviceList(const DeviceList &) = delete;
  DeviceList &operator=(const DeviceList &) = delete;

  std::span<libusb_device *const> Devices() const {
    return count_ > 0 ? std::span(devices_, std::size_t(count_)) : std::span<libusb_device *const>();
  }

 private:
  libusb_device **devices_ = nullptr;
  ssize_t count_ = 0;
};

class LibusbBusImpl final : public Bus {
 public:
  bool Available() override { return Context() != nullptr; }

  std::vector<DeviceSummary> ListDevices() override {
    std::vector<DeviceSummary> summaries;
    const DeviceList list;
    for (libusb_device *device : list.Devices()) {
      libusb_device_descriptor descriptor;
      if (libusb_get_device_descriptor(device, &descriptor) != LIBUSB_SUCCESS) continue;
      summaries.push_back({LocationOf(device), descriptor.idVendor, descriptor.idProduct});
    }
    return summaries;
  }

  int Open(const UsbLocation &location, std::unique_ptr<OpenDevice> &opened) override {
    const DeviceList list;
    for (libusb_device *device : list.Devices()) {
      if (!(LocationOf(device) == location)) continue;
      libusb_device_handle *handle = nullptr;
      if (const int result = libusb_open(device, &handle); result != LIBUSB_SUCCESS) return result;
      libusb_set_auto_detach_kernel_driver(handle, 1);
      if (const int result = libusb_claim_interface(handle, 0); result != LIBUSB_SUCCESS) {
        libusb_close(handle);
        return result;
      }
      opened = std::make_unique<LibusbDevice>(handle);
      return LIBUSB_SUCCESS;
    }
    return LIBUSB_ERROR_NO_DEVICE;
  }
};

}  // namespace

Bus &LibusbBus() {
  static LibusbBusImpl bus;
  return bus;
}

}  // namespace mirbax::platform::usb
