#include "adc/buffer_pool.h"

#include "core/result_codes.h"

namespace mirbax {

TADCContBufWorker::TADCContBufWorker(uint32_t bytesPerBuf, uint32_t baseBufCount)
    : BytesPerBuf(bytesPerBuf), hBlankBufSem(baseBufCount) {
  BufBuf.reserve(baseBufCount);
  for (uint32_t i = 0; i < baseBufCount; ++i) NewBuffer(bsBlank);
}

TContBuf *TADCContBufWorker::NewBuffer(TBufState state) {
  auto buffer = std::make_unique<TContBuf>();
  buffer->ADBuf.resize(BytesPerBuf);
  buffer->BufState = state;
  BufBuf.push_back(std::move(buffer));
  return BufBuf.back().get();
}

TContBuf *TADCContBufWorker::ExtraBuf() {
  std::lock_guard lock(hBufMutex);
  return NewBuffer(bsAccessing);
}

TContBuf *TADCContBufWorker::GetBlankBuf(uint32_t Flags) {
  if (hBlankBufSem.TryAcquire()) {
    std::lock_guard lock(hBufMutex);
    for (const auto &buffer : BufBuf) {
      if (buffer->BufState != bsBlank) continue;
      buffer->Flags = Flags;  // stays bsBlank while the acquisition fills it
      return buffer.get();
    }
  }
  TContBuf *buffer = ExtraBuf();
  buffer->Flags = Flags | CallbackFlag_Inserted;
  return buffer;
}

void TADCContBufWorker::PutDataBuf(TContBuf *buffer) {
  {
    std::lock_guard lock(hBufMutex);
    buffer->BufState = bsGotData;
    buffer->Index = NextIndexIn++;
    queued_.push_back(buffer);
  }
  hDataBufSem.Release();
}

void TADCContBufWorker::PutBlankBuf(TContBuf *buffer) {
  {
    std::lock_guard lock(hBufMutex);
    buffer->BufState = bsBlank;
  }
  hBlankBufSem.Release();
}

TContBuf *TADCContBufWorker::TakeNextData() {
  std::lock_guard lock(hBufMutex);
  if (queued_.empty() || queued_.front()->Index != NextIndexOut) return nullptr;
  TContBuf *buffer = queued_.front();
  queued_.pop_front();
  buffer->BufState = bsAccessing;
  ++NextIndexOut;
  return buffer;
}

TContBuf *TADCContBufWorker::GetDataBuf(std::optional<std::chrono::milliseconds> timeout) {
  if (timeout) {
    if (!hDataBufSem.AcquireFor(*timeout)) return nullptr;
  } else {
    hDataBufSem.Acquire();
  }
  TContBuf *buffer = TakeNextData();
  if (buffer == nullptr && streamEnded_.load()) hDataBufSem.Release();  // keep the end signalled
  return buffer;
}

TContBuf *TADCContBufWorker::GetDataBufOrKilled() {
  for (;;) {
    hDataBufSem.Acquire();
    if (TContBuf *buffer = TakeNextData()) return buffer;
    if (hKillSem.TryAcquire()) return nullptr;
  }
}

TPoolStats TADCContBufWorker::GetDebugStats() {
  std::lock_guard lock(hBufMutex);
  TPoolStats stats;
  for (const auto &buffer : BufBuf) {
    switch (buffer->BufState) {
      case bsBlank: ++stats.Blanks; break;
      case bsAccessing: ++stats.Accessings; break;
      case bsGotData: ++stats.GotDatas; break;
    }
  }
  return stats;
}

void TADCContBufWorker::MarkStreamEnded() {
  streamEnded_.store(true);
  hDataBufSem.Release();
}

void TADCContBufWorker::DeliverSafely(uint16_t *pBuf, uint32_t size, uint32_t flags) {
  if (Callback == nullptr) return;
  // A C callback cannot throw, but one built with a C++ compiler might: the
  // stream goes on regardless.
  try {
    Callback(pBuf, size, flags, CallbackContext);
  } catch (...) {
  }
}

void TADCContBufWorker::Execute() {
  while (!Terminated()) {
    TContBuf *buffer = GetDataBufOrKilled();
    if (buffer == nullptr) {
      DeliverSafely(nullptr, 0, CallbackFlag_EndStream);
      SetReturnValue(ERROR_OPERATION_ABORTED);
      return;
    }
    if (buffer->UsedSize != 0 || buffer->Flags != 0)
      DeliverSafely(buffer->Samples(), buffer->UsedSize, buffer->Flags);
    PutBlankBuf(buffer);
  }
  SetReturnValue(ERROR_OPERATION_ABORTED);
}

}  // namespace mirbax
