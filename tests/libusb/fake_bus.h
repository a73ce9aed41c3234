// A USB bus without hardware for the libusb backend's tests: devices are
// plain records, a board answers the standard device-descriptor request and
// records every other control transfer, and bulk IN transfers wait until
// data is queued, the pipe is aborted or the board is unplugged.
#pragma once

#include <libusb.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/libusb/usb_bus.h"

namespace mirbax::testing {

using platform::usb::DeviceSummary;
using platform::usb::UsbLocation;

struct ControlRecord {
  uint8_t requestType, request;
  uint16_t value, index;
  std::vector<uint8_t> data;  // sent (write) or returned (read)
  bool operator==(const ControlRecord &) const = default;
};

// The state of one simulated device, shared by the bus and its opens.
struct FakeDevice {
  DeviceSummary summary;
  std::mutex mutex;
  std::condition_variable changed;
  bool present = true;
  int opens = 0;                    // open handles now
  int bulkWaiters = 0;              // bulk transfers waiting now
  uint64_t cancelGeneration = 0;    // bumped by every cancel
  std::vector<ControlRecord> controls;
  std::deque<uint8_t> bulkIn;       // what the next IN transfers deliver
  std::vector<uint8_t> bulkOut;     // what OUT transfers carried
  std::vector<platform::usb::EndpointInfo> endpoints{
      {0x02, 2, 512, 0}, {0x06, 2, 512, 0}, {0x82, 2, 512, 0}, {0x86, 2, 512, 0}};
};

class FakeOpenDevice final : public platform::usb::OpenDevice {
 public:
  explicit FakeOpenDevice(std::shared_ptr<FakeDevice> device) : device_(std::move(device)) {
    std::lock_guard lock(device_->mutex);
    ++device_->opens;
  }
  ~FakeOpenDevice() override {
    std::lock_guard lock(device_->mutex);
    --device_->opens;
    device_->changed.notify_all();
  }

  int ControlTransfer(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index,
                      uint8_t *data, uint16_t length, unsigned) override {
    std::lock_guard lock(device_->mutex);
    if (!device_->present) return LIBUSB_ERROR_NO_DEVICE;
    std::vector<uint8_t> stage;
    if (requestType == 0x80 && request == 6 && value == 0x0100) {
      stage = DeviceDescriptor();
      stage.resize(std::min<std::size_t>(stage.size(), length));
      std::copy(stage.begin(), stage.end(), data);
    } else if (requestType & 0x80) {
      stage.assign(length, 0x5A);
      std::copy(stage.begin(), stage.end(), data);
    } else {
      stage.assign(data, data + length);
    }
    device_->controls.push_back({requestType, request, value, index, stage});
    return int(stage.size());
  }

  int BulkTransfer(uint8_t endpoint, uint8_t *data, uint32_t length, unsigned,
                   uint32_t &transferred) override {
    std::unique_lock lock(device_->mutex);
    transferred = 0;
    if (!(endpoint & 0x80)) {
      if (!device_->present) return LIBUSB_ERROR_NO_DEVICE;
      device_->bulkOut.insert(device_->bulkOut.end(), data, data + length);
      transferred = length;
      return 0;
    }
    const uint64_t generation = device_->cancelGeneration;
    ++device_->bulkWaiters;
    device_->changed.notify_all();
    device_->changed.wait(lock, [&] {
      return !device_->present || !device_->bulkIn.empty() ||
             device_->cancelGeneration != generation;
    });
    --device_->bulkWaiters;
    if (!device_->present) return LIBUSB_ERROR_NO_DEVICE;
    if (device_->cancelGeneration != generation) return LIBUSB_ERROR_INTERRUPTED;
    while (transferred < length && !device_->bulkIn.empty()) {
      data[transferred++] = device_->bulkIn.front();
      device_->bulkIn.pop_front();
    }
    return 0;
  }

  void CancelTransfers(uint8_t, bool) override {
    std::lock_guard lock(device_->mutex);
    ++device_->cancelGeneration;
    device_->changed.notify_all();
  }

  int QueryInterface(uint8_t alternateSetting, platform::usb::InterfaceInfo &info) override {
    if (alternateSetting != 0) return LIBUSB_ERROR_NOT_FOUND;
    std::lock_guard lock(device_->mutex);
    info = {0, 0, device_->endpoints};
    return 0;
  }

  platform::usb::BusSpeed Speed() override { return platform::usb::BusSpeed::High; }

 private:
  std::vector<uint8_t> DeviceDescriptor() const {
    const uint16_t vid = device_->summary.vendorId, pid = device_->summary.productId;
    return {18, 1, 0x00, 0x02, 0xFF, 0, 0, 64, uint8_t(vid), uint8_t(vid >> 8),
            uint8_t(pid), uint8_t(pid >> 8), 0, 1, 1, 2, 0, 1};
  }

  std::shared_ptr<FakeDevice> device_;
};

class FakeBus final : public platform::usb::Bus {
 public:
  bool Available() override { return true; }

  std::shared_ptr<FakeDevice> Plug(uint16_t vendorId, uint16_t productId, uint8_t port) {
    auto device = std::make_shared<FakeDevice>();
    device->summary = {UsbLocation{1, {port}, uint8_t(nextAddress_++)}, vendorId, productId};
    std::lock_guard lock(mutex_);
    devices_.push_back(device);
    return device;
  }

  void Unplug(const std::shared_ptr<FakeDevice> &device) {
    {
      std::lock_guard lock(device->mutex);
      device->present = false;
      device->changed.notify_all();
    }
    std::lock_guard lock(mutex_);
    std::erase(devices_, device);
  }

  std::vector<DeviceSummary> ListDevices() override {
    std::lock_guard lock(mutex_);
    std::vector<DeviceSummary> list;
    for (const auto &device : devices_) list.push_back(device->summary);
    return list;
  }

  int Open(const UsbLocation &location,
           std::unique_ptr<platform::usb::OpenDevice> &device) override {
    std::lock_guard lock(mutex_);
    for (const auto &candidate : devices_)
      if (candidate->summary.location == location) {
        device = std::make_unique<FakeOpenDevice>(candidate);
        return 0;
      }
    return LIBUSB_ERROR_NO_DEVICE;
  }

 private:
  std::mutex mutex_;
  std::vector<std::shared_ptr<FakeDevice>> devices_;
  int nextAddress_ = 2;
};

}  // namespace mirbax::testing
