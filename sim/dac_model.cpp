#include "sim/dac_model.h"

#include <chrono>

#include "sim/board.h"
#include "sim/errors.h"
#include "sim/product_info.h"

namespace mirbax::sim {

namespace {

constexpr uint8_t kRequestDacControl = 0xB0;
constexpr uint8_t kRequestDacDataPointer = 0xB1;
constexpr uint8_t kRequestDacDivisor = 0xB2;
constexpr uint8_t kRequestDacImmediate = 0xB3;
constexpr uint8_t kRequestDacRange = 0xB7;
constexpr uint8_t kRequestSlowWaveSetup = 0xC7;
constexpr uint8_t kRequestFlashIdentity = 0xF0;

constexpr uint16_t kControlPrepare = 0x80;
constexpr uint16_t kControlStart = 0x01;
constexpr uint16_t kControlInterlock = 0x20;
constexpr uint16_t kLastChannelOfPoint = 0x2000;
constexpr uint32_t kGroupBytes = 17;
constexpr uint32_t kCalibrationTableBytes = 131072;

// How often a paused FIFO checks whether its transfer was aborted.
constexpr auto kPausedCheckInterval = std::chrono::milliseconds(10);

DacKind KindOf(uint16_t productId, const ProductInfo &info) {
  if (info.dacChannels == 0) return DacKind::None;
  if (info.dacStream) return DacKind::WaveformFifo;
  if (info.dioStream) return DacKind::DigitalStream;
  if (productId == 0x8060 || (productId >= 0x8070 && productId <= 0x807F))
    return DacKind::SlowWave;
  return DacKind::Immediate;
}

void PlayWord(DacState &dac, uint16_t word) {
  const uint32_t channel = dac.playChannel % dac.outputs.size();
  dac.outputs[channel] = word & 0x0FFF;
  dac.playChannel = (word & kLastChannelOfPoint) ? 0 : channel + 1;
}

Reply Immediate(Board &board, const ControlRequest &request) {
  DacState &dac = board.dac;
  if (request.setup.IsRead()) return kStall;
  if (request.sent.empty()) {
    if (request.setup.index >= dac.outputs.size()) return kStall;
    dac.outputs[request.setup.index] = request.setup.value;
    return 0u;
  }
  for (std::size_t g = 0; g * kGroupBytes < request.sent.size(); ++g) {
    const std::span<const uint8_t> group = request.sent.subspan(g * kGroupBytes);
    if (group.size() < kGroupBytes) return kStall;
    for (uint32_t k = 0; k < 8; ++k) {
      const std::size_t channel = 8 * g + k;
      if ((group[0] & (1u << k)) && channel < dac.outputs.size())
        dac.outputs[channel] = uint16_t(group[1 + 2 * k] | group[2 + 2 * k] << 8);
    }
  }
  return 0u;
}

Reply Range(Board &board, const ControlRequest &request) {
  DacState &dac = board.dac;
  if (!request.setup.IsRead()) {
    dac.rangeCode = request.setup.value;
    return 0u;
  }
  const std::size_t n = std::min<std::size_t>(request.reply.size(), sizeof dac.rangeReport);
  std::copy_n(dac.rangeReport, n, request.reply.begin());
  return uint32_t(n);
}

Reply Control(Board &board, const ControlRequest &request) {
  DacState &dac = board.dac;
  if (request.setup.IsRead()) return kStall;
  switch (request.setup.value) {
    case kControlPrepare:
      ++dac.prepares;
      dac.started = false;
      dac.playChannel = 0;
      dac.unplayed.clear();
      return 0u;
    case kControlStart:
      dac.started = true;
      for (const uint16_t word : dac.unplayed) PlayWord(dac, word);
      dac.unplayed.clear();
      return 0u;
    case kControlInterlock: dac.interlock = true; return 0u;
    case 0: dac.interlock = false; return 0u;
    default: return kStall;
  }
}

// Takes a write to pipe 0x02 into the FIFO record.
uint32_t TakeFifoWords(Board &board, std::span<const uint8_t> data, BulkWait &wait) {
  auto lock = board.Lock();
  while (board.options.Value("dac_fifo_paused") != 0) {
    if (wait.Ended()) return 0;
    board.dac.fifoResumed.wait_for(lock, kPausedCheckInterval);
  }
  DacState &dac = board.dac;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    const uint16_t word = uint16_t(data[i] | data[i + 1] << 8);
    dac.fifo.push_back({word, dac.divisor, dac.started, dac.interlock});
    if (dac.started)
      PlayWord(dac, word);
    else
      dac.unplayed.push_back(word);
  }
  return uint32_t(data.size());
}

void RegisterWaveformFifo(Board &board) {
  board.RegisterRequest(kRequestDacControl, Control);
  board.RegisterRequest(kRequestDacDataPointer, [](Board &b, const ControlRequest &request) {
    if (request.setup.IsRead()) return kStall;
    ++b.dac.dataPointerResets;
    return Reply(0u);
  });
  board.RegisterRequest(kRequestDacDivisor, [](Board &b, const ControlRequest &request) {
    if (request.setup.IsRead()) return kStall;
    b.dac.divisor = request.setup.index;
    return Reply(0u);
  });
  board.RegisterOption("dac_fifo_paused", 0, [](Board &b, uint64_t value) {
    if (value == 0) b.dac.fifoResumed.notify_all();
  });
  board.OutPipe(0x02)->SetSink([&board](std::span<const uint8_t> data, BulkWait &wait) {
    return TakeFifoWords(board, data, wait);
  });
}

// The identity table: entry i holds i.
Reply FlashIdentity(Board &board, const ControlRequest &request) {
  if (request.setup.IsRead() || request.setup.index >= board.dac.outputs.size()) return kStall;
  const Region *flash = board.regions().Find("flash");
  const std::size_t start = std::size_t(request.setup.index) * kCalibrationTableBytes;
  if (flash == nullptr || flash->bytes.size() < start + kCalibrationTableBytes) return kStall;
  for (uint32_t i = 0; i < kCalibrationTableBytes / 2; ++i) {
    flash->bytes[start + 2 * i] = uint8_t(i);
    flash->bytes[start + 2 * i + 1] = uint8_t(i >> 8);
  }
  return 0u;
}

void RegisterSlowWave(Board &board) {
  board.RegisterRequest(kRequestSlowWaveSetup, [](Board &b, const ControlRequest &request) {
    if (request.setup.IsRead()) return kStall;
    b.dac.slowWaveSetup = request.setup.value;
    return Reply(0u);
  });
  board.RegisterRequest(kRequestFlashIdentity, FlashIdentity);
}

}  // namespace

void RegisterDacRequests(Board &board) {
  const ProductInfo info = LookUpProduct(board.productId());
  DacState &dac = board.dac;
  dac.kind = KindOf(board.productId(), info);
  RegisterDigitalStream(board);
  if (dac.kind == DacKind::None) return;
  dac.outputs.assign(info.dacChannels, 0);
  board.RegisterRegion("dacrange", dac.rangeReport);
  board.RegisterRequest(kRequestDacRange, Range);
  if (dac.kind != DacKind::DigitalStream) board.RegisterRequest(kRequestDacImmediate, Immediate);
  if (dac.kind == DacKind::WaveformFifo) RegisterWaveformFifo(board);
  if (dac.kind == DacKind::SlowWave) RegisterSlowWave(board);
}

uint32_t DacGetOutput(Board &board, uint32_t channel, uint16_t &counts) {
  const DacState &dac = board.dac;
  if (dac.outputs.empty()) return kErrorNotSupported;
  if (channel >= dac.outputs.size()) return kErrorInvalidParameter;
  counts = dac.outputs[channel];
  return kOk;
}

}  // namespace mirbax::sim
