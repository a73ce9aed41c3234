// Control transfer round trip through the exported frame (index check,
// open check, guard, caller-buffer copies, the CyUSB header or the WinUSB
// setup packet) next to the bare simulated driver call that moves the same
// request, on both driver paths.  The ratio of the two is the library's own
// cost per transfer.
#include <benchmark/benchmark.h>
#include <mirbax.h>
#include <mirbax_sim.h>

#include <array>
#include <cstdint>
#include <vector>

#include "core/cyusb_header.h"
#include "core/transport.h"
#include "platform/platform.h"

namespace {

constexpr uint32_t kBoardPid = 0x8001;
constexpr uint8_t kEEPROMRead = 0xA2;  // every board answers it

void PlugBoard(uint32_t driver) {
  MIRBAXSIM_Reset();
  uint32_t board = 0;
  MIRBAXSIM_Attach(kBoardPid, driver, &board);
  MIRBAX_ReloadDeviceLinks();
}

// Arg 0: driver; arg 1: data bytes.
void BM_ExportedVendorRead(benchmark::State &state) {
  PlugBoard(uint32_t(state.range(0)));
  const uint32_t bytes = uint32_t(state.range(1));
  std::vector<uint8_t> data(bytes);
  for (auto _ : state) {
    uint32_t size = bytes;
    if (GenericVendorRead(0, kEEPROMRead, 0, 0, &size, data.data()) != 0) {
      state.SkipWithError("transfer failed");
      break;
    }
    benchmark::DoNotOptimize(data.data());
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_BareDriverVendorRead(benchmark::State &state) {
  const uint32_t driver = uint32_t(state.range(0));
  PlugBoard(driver);
  const uint32_t bytes = uint32_t(state.range(1));
  uint32_t size = bytes;
  std::vector<uint8_t> warm(bytes);
  GenericVendorRead(0, kEEPROMRead, 0, 0, &size, warm.data());  // opens the entry and this thread's handle
  const mirbax::platform::Handle handle = mirbax::GetThreadHandleForDevice(0);
  if (driver == MIRBAXSIM_DRIVER_WINUSB) {
    std::vector<uint8_t> data(bytes);
    const mirbax::platform::SetupPacket setup{0xC0, kEEPROMRead, 0, 0, uint16_t(bytes)};
    for (auto _ : state) {
      uint32_t moved = 0;
      if (!mirbax::platform::WinUsbControlTransfer(handle, setup, data.data(), bytes, &moved)) {
        state.SkipWithError("transfer failed");
        break;
      }
      benchmark::DoNotOptimize(data.data());
    }
  } else {
    const mirbax::CyHeader header = mirbax::MakeCyControlHeader(0xC0, kEEPROMRead, 0, 0, bytes);
    std::vector<uint8_t> block(header.size() + bytes);
    for (auto _ : state) {
      std::copy(header.begin(), header.end(), block.begin());
      uint32_t returned = 0;
      if (!mirbax::platform::DeviceIoControl(handle, mirbax::platform::IOCTL_ADAPT_SEND_EP0_CONTROL_TRANSFER,
                                             block.data(), uint32_t(block.size()), block.data(),
                                             uint32_t(block.size()), &returned)) {
        state.SkipWithError("transfer failed");
        break;
      }
      benchmark::DoNotOptimize(block.data());
    }
  }
  state.SetItemsProcessed(state.iterations());
}

void TransferSizes(benchmark::internal::Benchmark *benchmark) {
  for (int64_t driver : {int64_t(MIRBAXSIM_DRIVER_WINUSB), int64_t(MIRBAXSIM_DRIVER_CYUSB3)})
    for (int64_t bytes : {int64_t(8), int64_t(256), int64_t(4096)}) benchmark->Args({driver, bytes});
  benchmark->ArgNames({"driver", "bytes"});
}

BENCHMARK(BM_ExportedVendorRead)->Apply(TransferSizes);
BENCHMARK(BM_BareDriverVendorRead)->Apply(TransferSizes);

}  // namespace
