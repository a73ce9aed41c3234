// One-block background acquisition: the TADCWorker and what the other
// acquisition paths share with it.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "adc/worker_thread.h"
#include "core/device_table.h"

namespace mirbax {

// How a board's streaming is started and stopped.
enum TBCStyle : uint8_t {
  bsADC = 0,  // a board with bulk acquisition: armed with a sample count
  bsDIO = 1,  // the DIO-stream board: started and stopped without a count
};

// The arming record of a one-block acquisition and the start and stop
// records of a continuous one (VRQ_BC_CONTROL data, little-endian).
inline constexpr uint8_t kArmBlockRecord[4] = {0x05, 0x00, 0x00, 0x00};
inline constexpr uint8_t kStartContinuousRecord[4] = {0x07, 0x00, 0x00, 0x01};
inline constexpr uint8_t kStopContinuousRecord[4] = {0x02, 0x00, 0x02, 0x00};

// Reads a caller-sized block from the bulk-in pipe into the caller's buffer.
class TADCWorker : public WorkerThread {
 public:
  ~TADCWorker() override { Join(); }

  uint32_t DI = 0;
  uint32_t TargetPipe = 0x86;
  std::atomic<int32_t> BytesLeft{0};  // written by the worker only, once started
  uint8_t *pTar = nullptr;            // next free position in the caller's buffer
  TBCStyle BCStyle = bsADC;
  uint32_t BlockSize = 0;
  std::atomic<bool> bAbort{false};    // written by the caller only
  std::vector<uint8_t> ADBuf;

 protected:
  void Execute() override;

 private:
  void SendStart();
};

// An acquisition runs on the device: a bulk worker with bytes left, or
// either continuous worker attached.
bool AcquisitionRunning(const TDeviceData &device);

}  // namespace mirbax
