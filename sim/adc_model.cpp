#include "sim/adc_model.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "sim/board.h"
#include "sim/errors.h"
#include "sim/product_info.h"

namespace mirbax::sim {

namespace {

constexpr uint8_t kRequestProbeCal = 0xBA;
constexpr uint8_t kRequestBulkSram = 0xBB;
constexpr uint8_t kRequestBcControl = 0xBC;
constexpr uint8_t kRequestSetConfig = 0xBE;
constexpr uint8_t kRequestImmediate = 0xBF;
constexpr uint8_t kRequestClockedStart = 0xC5;
constexpr uint8_t kRequestGetConfig = 0xD2;
constexpr uint8_t kRequestDebug = 0xD4;

constexpr uint32_t kTableEntries = 65536;
constexpr uint32_t kTableBytes = 2 * kTableEntries;
constexpr uint16_t kHiRefAddress = 0x1DF2;
constexpr uint16_t kDefaultHiRef = 65103;  // 65102.80704 rounded

constexpr uint8_t kArmRecord[4] = {0x05, 0x00, 0x00, 0x00};
constexpr uint8_t kStartRecord[4] = {0x07, 0x00, 0x00, 0x01};
constexpr uint8_t kStopRecord[4] = {0x02, 0x00, 0x02, 0x00};

bool Sent(const ControlRequest &request, const uint8_t (&record)[4]) {
  return request.sent.size() == 4 && std::memcmp(request.sent.data(), record, 4) == 0;
}

uint16_t TableEntry(const AdcState &adc, bool bipolar, uint32_t raw) {
  const std::size_t at = (bipolar ? 0 : kTableBytes) + 2 * std::size_t(raw);
  return uint16_t(adc.calTables[at] | adc.calTables[at + 1] << 8);
}

uint16_t HighReference(Board &board) {
  if (const uint64_t forced = board.options.Value("adc_ref_high")) return uint16_t(forced);
  const auto &eeprom = board.core.eeprom;
  const uint16_t stored = uint16_t(eeprom[kHiRefAddress] | eeprom[kHiRefAddress + 1] << 8);
  return stored == 0xFFFF || stored == 0 ? kDefaultHiRef : stored;
}

// Whether an armed block needs a start, and which.
bool NeedsSoftwareStart(uint8_t startMode) { return (startMode & 0x07) == 0x04; }
bool NeedsHardwareStart(uint8_t startMode) { return (startMode & 0x03) != 0; }

void StartWaitingBlock(Board &board) {
  if (board.adc.run != AdcRun::BlockWaiting) return;
  board.adc.run = AdcRun::Block;
  board.adc.pacedSince = std::chrono::steady_clock::now();
  board.InPipe(0x86)->Wake();
}

void ArmBlock(Board &board, uint64_t samples) {
  AdcBeginRun(board, AdcRun::Block, samples);
  if (samples == 0) {
    board.adc.run = AdcRun::Idle;
    return;
  }
  const uint8_t startMode = board.adc.config[17];
  const bool waits = NeedsSoftwareStart(startMode) ||
                     (NeedsHardwareStart(startMode) && board.options.Value("adc_trigger") == 0);
  if (waits) board.adc.run = AdcRun::BlockWaiting;
  board.InPipe(0x86)->Wake();
}

void StopContinuous(Board &board) {
  const uint64_t held = board.options.Value("adc_held_bytes");
  AdcState &adc = board.adc;
  if (adc.run == AdcRun::Continuous && held >= 2) {
    adc.run = AdcRun::Block;  // the pattern goes on for the held samples
    adc.blockSamplesLeft = held / 2;
  } else {
    adc.run = AdcRun::Idle;
  }
}

Reply BcControl(Board &board, const ControlRequest &request) {
  AdcState &adc = board.adc;
  const ControlSetup &setup = request.setup;
  if (setup.IsRead()) {
    const uint32_t left = adc.run == AdcRun::Block ? uint32_t(adc.blockSamplesLeft * 2) : 0;
    const uint8_t answer[4] = {uint8_t(left), uint8_t(left >> 8), uint8_t(left >> 16),
                               uint8_t(left >> 24)};
    const std::size_t n = std::min<std::size_t>(request.reply.size(), 4);
    std::memcpy(request.reply.data(), answer, n);
    return uint32_t(n);
  }
  if (adc.bulk && Sent(request, kArmRecord)) {
    ArmBlock(board, uint64_t(setup.value) << 16 | setup.index);
  } else if (adc.bulk && Sent(request, kStartRecord)) {
    AdcBeginRun(board, AdcRun::Continuous, 0);
  } else if (adc.bulk && Sent(request, kStopRecord)) {
    StopContinuous(board);
  } else if (request.sent.empty() && setup.value == 3 && adc.dioStream) {
    AdcBeginRun(board, AdcRun::DioStream, 0);
  } else if (request.sent.empty() && (setup.value == 0 || setup.value == 0x10)) {
    adc.run = AdcRun::Idle;
  } else {
    return kStall;
  }
  board.InPipe(0x86)->Wake();
  return 0u;
}

Reply Immediate(Board &board, const ControlRequest &request) {
  AdcState &adc = board.adc;
  if (!request.setup.IsRead()) {
    if (!adc.bulk) return kStall;
    StartWaitingBlock(board);  // the software start of a conversion or scan
    return 0u;
  }
  if (adc.bulk || adc.dioStream || adc.inputs.empty()) return kStall;
  const std::size_t n = std::min(request.reply.size(), adc.inputs.size() * 2);
  for (std::size_t i = 0; i < n; ++i)
    request.reply[i] = uint8_t(adc.inputs[i / 2] >> (8 * (i % 2)));
  return uint32_t(n);
}

// Stores the chunk last received on pipe 0x02 into the table the block's
// calibration mode selects: bit 2 (5: bipolar coding) the bipolar table,
// else the unipolar one.
Reply BulkSram(Board &board, const ControlRequest &request) {
  AdcState &adc = board.adc;
  if (request.setup.IsRead()) return kStall;
  const bool bipolar = (adc.config[16] & 0x04) != 0;
  const uint32_t first = request.setup.value;
  const uint32_t count = std::min<uint32_t>(
      {uint32_t(request.setup.index), uint32_t(adc.tableChunk.size() / 2), kTableEntries - first});
  std::memcpy(&adc.calTables[(bipolar ? 0 : kTableBytes) + 2 * first], adc.tableChunk.data(),
              2 * count);
  return 0u;
}

void RegisterBulkRequests(Board &board) {
  board.RegisterRequest(kRequestProbeCal, [](Board &b, const ControlRequest &request) -> Reply {
    if (!request.setup.IsRead() || request.reply.empty()) return kStall;
    request.reply[0] = b.options.Value("cal_supported") ? 0xBB : 0x00;
    return 1u;
  });
  board.RegisterRequest(kRequestBulkSram, BulkSram);
  board.RegisterRequest(kRequestClockedStart, [](Board &b, const ControlRequest &request) -> Reply {
    if (request.setup.IsRead()) return kStall;
    AdcBeginRun(b, AdcRun::Continuous, 0);
    b.InPipe(0x86)->Wake();
    return 0u;
  });
  board.RegisterRequest(kRequestDebug, [](Board &b, const ControlRequest &request) -> Reply {
    if (request.setup.IsRead() || request.setup.value != 30 || request.sent.size() != 1)
      return kStall;
    b.adc.fastScanDebug = request.sent[0] != 0;
    return 0u;
  });
  // Calibration chunks arrive on pipe 0x02 ahead of their store request.
  board.OutPipe(0x02)->SetSink([&board](std::span<const uint8_t> data, BulkWait &) -> uint32_t {
    auto lock = board.Lock();
    const uint64_t accept = board.options.Value("adc_table_accept");
    const std::size_t n = accept ? std::min<std::size_t>(accept, data.size()) : data.size();
    board.adc.tableChunk.assign(data.begin(), data.begin() + std::ptrdiff_t(n));
    return uint32_t(n);
  });
}

void RegisterBlockRequests(Board &board) {
  board.RegisterRequest(kRequestGetConfig, [](Board &b, const ControlRequest &request) -> Reply {
    if (!request.setup.IsRead()) return kStall;
    const std::size_t n = std::min(request.reply.size(), b.adc.config.size());
    std::memcpy(request.reply.data(), b.adc.config.data(), n);
    return uint32_t(n);
  });
  board.RegisterRequest(kRequestSetConfig, [](Board &b, const ControlRequest &request) -> Reply {
    if (request.setup.IsRead()) return kStall;
    const std::size_t n = std::min(request.sent.size(), b.adc.config.size());
    std::memcpy(b.adc.config.data(), request.sent.data(), n);
    return 0u;
  });
  board.RegisterRequest(kRequestBcControl, BcControl);
}

void RegisterAdcOptions(Board &board) {
  board.RegisterOption("adc_trigger", 1, [](Board &b, uint64_t value) {
    if (value != 0) StartWaitingBlock(b);
  });
  board.RegisterOption("adc_held_bytes", 0);
  board.RegisterOption("adc_ref_low", 0);
  board.RegisterOption("adc_ref_high", 0);
  board.RegisterOption("adc_table_accept", 0);
}

}  // namespace

void AdcBeginRun(Board &board, AdcRun run, uint64_t blockSamples) {
  AdcState &adc = board.adc;
  adc.run = run;
  adc.blockSamplesLeft = blockSamples;
  adc.streamSample = 0;
  adc.scanPosition = 0;
  adc.pacedSince = std::chrono::steady_clock::now();
  adc.pacedBase = 0;
  adc.scanChannels.clear();
  adc.conversions = 1;
  if (!adc.bulk) return;
  // The scan of the block: start to end, wrapping past the last input.
  const std::vector<uint8_t> &c = adc.config;
  uint32_t start = c[18] & 0x0F, end = c[18] >> 4;
  if (adc.configBytes >= 21) {
    start |= uint32_t(c[20] & 0x0F) << 4;
    end |= c[20] & 0xF0;
  }
  if (end >= start) {
    for (uint32_t ch = start; ch <= end; ++ch) adc.scanChannels.push_back(ch);
  } else {
    for (uint32_t ch = start; ch < adc.muxChannels; ++ch) adc.scanChannels.push_back(ch);
    for (uint32_t ch = 0; ch <= end; ++ch) adc.scanChannels.push_back(ch);
  }
  if (adc.scanChannels.empty()) adc.scanChannels.push_back(0);
  adc.conversions = c[19] + 1u;
}

uint16_t AdcConvert(Board &board, uint32_t channel) {
  AdcState &adc = board.adc;
  if (!adc.bulk) return channel < adc.inputs.size() ? adc.inputs[channel] : 0;
  const uint8_t calMode = adc.config[16];
  if (calMode != 0) {  // measuring a reference: bit 1 the high one, bit 2 bipolar coding
    const bool bipolar = (calMode & 0x04) != 0;
    uint32_t raw = (calMode & 0x02) ? HighReference(board)
                                    : uint32_t(board.options.Value("adc_ref_low"));
    if (bipolar) raw = uint32_t(std::nearbyint((raw + 65536.0) * 0.5));
    return TableEntry(adc, bipolar, std::min<uint32_t>(raw, 65535));
  }
  const uint32_t group = std::min<uint32_t>(channel >> adc.rangeShift, 15);
  const bool bipolar = (adc.config[group] & 0x01) != 0;
  const uint16_t raw = channel < adc.inputs.size() ? adc.inputs[channel] : 0;
  return TableEntry(adc, bipolar, raw);
}

void RegisterAdcRequests(Board &board) {
  const ProductInfo info = LookUpProduct(board.productId());
  AdcState &adc = board.adc;
  if (info.adcConfigBytes == 0) {
    if (info.immediateAdcs == 0) return;
    adc.inputs.assign(info.immediateAdcs, 0);
    board.RegisterRequest(kRequestImmediate, Immediate);
    return;
  }
  adc.configBytes = info.adcConfigBytes;
  adc.dioStream = info.adcConfigBytes == 2;
  adc.bulk = !adc.dioStream;
  adc.muxChannels = info.adcMuxChannels;
  adc.rangeShift = adc.muxChannels == 16 ? 0 : adc.muxChannels == 64 ? 2 : 3;
  adc.config.assign(adc.configBytes, 0);
  adc.inputs.assign(adc.muxChannels, 0);
  board.RegisterRegion("adcconfig", adc.config);
  RegisterBlockRequests(board);
  RegisterAdcOptions(board);
  if (adc.bulk) {
    adc.calTables.resize(2 * kTableBytes);
    for (uint32_t t = 0; t < 2; ++t)
      for (uint32_t i = 0; i < kTableEntries; ++i) {
        adc.calTables[t * kTableBytes + 2 * i] = uint8_t(i);
        adc.calTables[t * kTableBytes + 2 * i + 1] = uint8_t(i >> 8);
      }
    board.RegisterRegion("caltable", adc.calTables);
    board.RegisterRequest(kRequestImmediate, Immediate);
    RegisterBulkRequests(board);
  }
  InstallAdcSource(board);
}

uint32_t AdcSetAnalogInput(Board &board, uint32_t channel, uint16_t counts) {
  AdcState &adc = board.adc;
  if (adc.inputs.empty()) return kErrorNotSupported;
  if (channel >= adc.inputs.size()) return kErrorInvalidParameter;
  adc.inputs[channel] = counts;
  return kOk;
}

}  // namespace mirbax::sim
