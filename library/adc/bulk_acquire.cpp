// Bulk acquisition: ADC_BulkAcquire starts a TADCWorker that reads the
// bulk-in pipe into the caller's buffer until the block is complete;
// ADC_BulkPoll and ADC_BulkAbort watch and stop it.  Also the setup and
// placeholder functions of the family.
#include "adc/bulk_acquire.h"

#include <mirbax.h>

#include <algorithm>

#include "adc/adc_codes.h"
#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"

namespace mirbax {

bool AcquisitionRunning(const TDeviceData &device) {
  return (device.ADCWorker && device.ADCWorker->BytesLeft.load() != 0) ||
         device.ADCContAcqWorker || device.ADCContBufWorker;
}

void TADCWorker::SendStart() {
  // The start request's outcome is not checked: a board that missed it
  // simply sends no data, and the reads wait as the transport lets them.
  if (BCStyle == bsADC) {
    const uint32_t samples = uint32_t(BytesLeft.load()) / 2;
    _GenericVendorWrite(DI, VRQ_BC_CONTROL, uint16_t(samples >> 16), uint16_t(samples & 0xFFFF),
                        sizeof kArmBlockRecord, kArmBlockRecord);
  } else {
    _GenericVendorWrite(DI, VRQ_BC_CONTROL, 3, 0, 0, nullptr);
  }
}

void TADCWorker::Execute() {
  // Worker priority is best effort on this platform: the thread runs at the
  // default priority.
  if (BytesLeft.load() <= 0) {  // a block of no bytes is complete at once
    BytesLeft.store(0);
    SetReturnValue(ERROR_SUCCESS);
    return;
  }
  uint32_t TransferLen = std::max(std::min(uint32_t(BytesLeft.load()), BlockSize), MinBlock);
  ADBuf.resize(TransferLen);
  SendStart();
  for (;;) {
    if (bAbort.load()) {
      SetReturnValue(ERROR_OPERATION_ABORTED);
      BytesLeft.store(0);
      return;
    }
    uint32_t L = 0;
    if (const uint32_t result = ::AWU_GenericBulkIn(DI, TargetPipe, ADBuf.data(), TransferLen, &L)) {
      SetReturnValue(result);
      BytesLeft.store(0);
      return;
    }
    const int32_t left = BytesLeft.load();
    L = std::min(L, uint32_t(left));
    if (const uint32_t fault = CopyToCaller(pTar, ADBuf.data(), L)) {
      SetReturnValue(fault);
      BytesLeft.store(0);
      return;
    }
    pTar += L & ~1u;
    BytesLeft.store(left - int32_t(L));
    const uint32_t stillLeft = uint32_t(left) - L;
    if (stillLeft < TransferLen && TransferLen != MinBlock)
      TransferLen = std::max(stillLeft, MinBlock);
    if (stillLeft == 0) {
      _GenericVendorWrite(DI, VRQ_BC_CONTROL, 0, 0, 0, nullptr);
      SetReturnValue(ERROR_SUCCESS);
      return;
    }
  }
}

}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t ADC_BulkAcquire(uint32_t DeviceIndex, uint32_t BufSize, void *pBuf) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!device.bADCBulk && !device.bADCDIOStream) return ERROR_BAD_TOKEN_TYPE;
    if (AcquisitionRunning(device)) return ERROR_TOO_MANY_OPEN_FILES;
    std::shared_ptr<TADCWorker> oldWorker = std::move(device.ADCWorker);
    auto worker = std::make_shared<TADCWorker>();
    worker->DI = di;
    worker->TargetPipe = kTargetPipe;
    worker->BytesLeft.store(int32_t(BufSize));
    worker->pTar = static_cast<uint8_t *>(pBuf);
    if (device.bADCDIOStream) {
      // A multiple of 256 that is not one of 512 goes up to the next 512.
      worker->BCStyle = bsDIO;
      const uint32_t size = device.StreamingBlockSize;
      worker->BlockSize = (size & 0x100) ? size + 256 : size;
    } else {
      worker->BCStyle = bsADC;
      worker->BlockSize = device.StreamingBlockSize;
    }
    worker->bAbort.store(false);
    device.ADCWorker = worker;
    worker->Start();
    oldWorker.reset();  // joins the finished worker
    return ERROR_SUCCESS;
  });
}

MIRBAX_EXPORT uint32_t ADC_BulkPoll(uint32_t DeviceIndex, uint32_t *BytesLeft) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t, TDeviceData &device) -> uint32_t {
    if (!device.bADCBulk && !device.bADCDIOStream) return ERROR_BAD_TOKEN_TYPE;
    const std::shared_ptr<TADCWorker> worker = device.ADCWorker;
    if (!worker) return ERROR_FILE_NOT_FOUND;
    // A finished worker's thread is released as soon as someone sees it end,
    // not only at the next acquisition.
    if (worker->IsFinished()) worker->Join();
    if (worker->IsFinished() && worker->ReturnValue() != ERROR_SUCCESS)
      return worker->ReturnValue();
    WriteCaller(BytesLeft, uint32_t(worker->BytesLeft.load()));
    return ERROR_SUCCESS;
  });
}

MIRBAX_EXPORT uint32_t ADC_BulkAbort(uint32_t DeviceIndex) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t, TDeviceData &device) -> uint32_t {
    if (!device.bADCBulk && !device.bADCDIOStream) return ERROR_BAD_TOKEN_TYPE;
    const std::shared_ptr<TADCWorker> worker = device.ADCWorker;
    if (!worker) return ERROR_FILE_NOT_FOUND;
    if (worker->IsFinished()) return worker->ReturnValue();
    worker->bAbort.store(true);
    return ERROR_SUCCESS;
  });
}

MIRBAX_EXPORT uint32_t ADC_BulkMode(uint32_t, uint32_t) { return ERROR_NOT_SUPPORTED; }
MIRBAX_EXPORT uint32_t ADC_Start(uint32_t) { return ERROR_NOT_SUPPORTED; }
MIRBAX_EXPORT uint32_t ADC_Stop(uint32_t) { return ERROR_NOT_SUPPORTED; }

MIRBAX_EXPORT uint32_t ADC_Initialize(uint32_t DeviceIndex, const void *pConfigBuf,
                                      uint32_t *ConfigBufSize, const char *CalFileName) {
  return Guarded([&]() -> uint32_t {
    if (pConfigBuf != nullptr && ReadCaller(ConfigBufSize) != 0)
      if (const uint32_t result = ADC_SetConfig(DeviceIndex, pConfigBuf, ConfigBufSize))
        return result;
    if (CalFileName != nullptr) return ADC_SetCal(DeviceIndex, CalFileName);
    return ERROR_SUCCESS;
  });
}
