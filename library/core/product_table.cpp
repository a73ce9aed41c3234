// The product-ID table: what each known board model can do.  EnsureOpen
// resets the capability fields and then applies the row of the board's
// product ID; an ID in no row leaves every capability cleared.
#include <array>
#include <span>

#include "core/device_table.h"

namespace mirbax {

namespace {

struct PidRange {
  uint32_t first;
  uint32_t last;
};

using RowSetter = void (*)(TDeviceData &device, uint32_t pid);

struct ProductRow {
  std::span<const PidRange> pids;
  RowSetter apply;
};

void Digital(TDeviceData &d, uint32_t dioBytes, uint32_t tristates) {
  d.DIOBytes = dioBytes;
  d.Tristates = tristates;
}

void Counters(TDeviceData &d, uint32_t blocks, double rootClockHz) {
  d.Counters = blocks;
  d.RootClock = rootClockHz;
}

// The three ADC rows: boards with bit 8 of the ID set also have 4 DACs with a
// board-wide range.
void BulkAdc(TDeviceData &d, uint32_t pid, uint32_t muxChannels, uint32_t configBytes,
             uint8_t rangeShift) {
  Digital(d, 2, 1);
  Counters(d, 1, 10'000'000);
  d.bADCBulk = true;
  d.ADCChannels = 16;
  d.ADCMUXChannels = muxChannels;
  d.ConfigBytes = configBytes;
  d.RangeShift = rangeShift;
  d.bClearFIFO = true;
  if (pid & 0x0100) {
    d.bDACBoardRange = true;
    d.ImmDACs = 4;
  }
}

// 32 channels per group of five IDs from 0x804A (and 0x814A).
uint32_t MultiplexerChannels(uint32_t pid) { return 32 * (((pid - 0x804A) & ~0x0100u) / 5 + 1); }

// v = (PID div 2) mod 4 gives 16, 12, 8 or 4 DACs.
uint32_t DacCount(uint32_t pid) {
  constexpr std::array<uint32_t, 4> counts{16, 12, 8, 4};
  return counts[(pid / 2) % 4];
}

constexpr PidRange kWaveDac[] = {{0x4001, 0x4002}};
constexpr PidRange kImmediateDac[] = {{0x4003, 0x4003}};
constexpr PidRange kDio32Counters[] = {{0x8001, 0x8001}};
constexpr PidRange kDio48[] = {{0x8002, 0x8002}};
constexpr PidRange kDio96[] = {{0x8003, 0x8003}};
constexpr PidRange kDio32ConfigBits[] = {{0x8004, 0x8004}};
constexpr PidRange kDio24Debounce[] = {{0x8005, 0x8005}};
constexpr PidRange kDio24Counters[] = {{0x8006, 0x8006}};
constexpr PidRange kDioStream8[] = {{0x8008, 0x800A}};
constexpr PidRange kDioStream32Dac[] = {{0x800C, 0x800F}};
constexpr PidRange kWatchdog[] = {{0x8010, 0x8012}, {0x8014, 0x8016}, {0x8018, 0x801A},
                                  {0x801C, 0x801F}};
constexpr PidRange kCounters15[] = {{0x8020, 0x8020}};
constexpr PidRange kDio16[] = {{0x8030, 0x8031}};
constexpr PidRange kDio24[] = {{0x8032, 0x8033}};
constexpr PidRange kDio16Adc[] = {{0x8036, 0x8037}};
constexpr PidRange kDio72[] = {{0x803C, 0x803E}};
constexpr PidRange kAdc16[] = {{0x8040, 0x8044}, {0x805F, 0x805F}, {0x8140, 0x8144},
                               {0x815F, 0x815F}};
constexpr PidRange kAdc64[] = {{0x8045, 0x8049}, {0x8145, 0x8149}};
constexpr PidRange kAdcMux[] = {{0x804A, 0x805E}, {0x814A, 0x815E}};
constexpr PidRange kDacBoards[] = {{0x8060, 0x8060}, {0x8070, 0x807F}};
constexpr PidRange kDioStreamDac[] = {{0x8068, 0x8068}};
constexpr PidRange kDioStreamAdc[] = {{0x8180, 0x8180}};

const ProductRow kProductTable[] = {
    {kWaveDac,
     [](TDeviceData &d, uint32_t) {
       d.ImmDACs = 8;
       d.DACsUsed = 5;
       d.bDACStream = true;
     }},
    {kImmediateDac, [](TDeviceData &d, uint32_t) { d.ImmDACs = 8; }},
    {kDio32Counters,
     [](TDeviceData &d, uint32_t) {
       Digital(d, 4, 1);
       Counters(d, 3, 3'000'000);
       d.bSetCustomClocks = true;
       d.bDIODebounce = true;
     }},
    {kDio48, [](TDeviceData &d, uint32_t) { Digital(d, 6, 1); }},
    {kDio96, [](TDeviceData &d, uint32_t) { Digital(d, 12, 1); }},
    {kDio32ConfigBits,
     [](TDeviceData &d, uint32_t) {
       Digital(d, 4, 1);
       d.DIOConfigBits = 32;
       d.bSetCustomClocks = true;
     }},
    {kDio24Debounce,
     [](TDeviceData &d, uint32_t) {
       Digital(d, 3, 1);
       d.DIOConfigBits = 4;
       d.bDIODebounce = true;
     }},
    {kDio24Counters,
     [](TDeviceData &d, uint32_t) {
       Digital(d, 3, 1);
       d.DIOConfigBits = 4;
       Counters(d, 2, 10'000'000);
       d.bSetCustomClocks = true;
       d.bDIODebounce = true;
     }},
    {kDioStream8,
     [](TDeviceData &d, uint32_t) {
       Digital(d, 1, 0);
       d.bDIOStream = true;
       d.bDIOSPI = true;
       d.bClearFIFO = true;
     }},
    {kDioStream32Dac,
     [](TDeviceData &d, uint32_t) {
       Digital(d, 4, 2);
       d.bDIOStream = true;
       d.bDIOSPI = true;
       d.bClearFIFO = true;
       d.bDACDIOStream = true;
       d.ImmDACs = 1;
     }},
    {kWatchdog,
     [](TDeviceData &d, uint32_t) {
       Digital(d, 4, 1);
       d.WDGBytes = 2;
     }},
    {kCounters15,
     [](TDeviceData &d, uint32_t) {
       Counters(d, 5, 10'000'000);
       d.bGateSelectable = true;
     }},
    {kDio16, [](TDeviceData &d, uint32_t) { Digital(d, 2, 1); }},
    {kDio24, [](TDeviceData &d, uint32_t) { Digital(d, 3, 1); }},
    {kDio16Adc,
     [](TDeviceData &d, uint32_t) {
       Digital(d, 2, 1);
       d.ImmADCs = 2;
       d.ImmADCPostScale = 0.8192;
     }},
    {kDio72, [](TDeviceData &d, uint32_t) { Digital(d, 9, 1); }},
    {kAdc16, [](TDeviceData &d, uint32_t pid) { BulkAdc(d, pid, 16, 20, 0); }},
    {kAdc64, [](TDeviceData &d, uint32_t pid) { BulkAdc(d, pid, 64, 21, 2); }},
    {kAdcMux,
     [](TDeviceData &d, uint32_t pid) { BulkAdc(d, pid, MultiplexerChannels(pid), 21, 3); }},
    {kDacBoards,
     [](TDeviceData &d, uint32_t pid) {
       Digital(d, 2, 1);
       d.FlashSectors = 32;
       d.bDACBoardRange = true;
       d.bDACChannelCal = true;
       d.bDACSlowWaveStream = true;
       d.ImmDACs = DacCount(pid);
       d.DACsUsed = int32_t(d.ImmDACs);
       if (pid % 2 == 0) d.ImmADCs = 2;
     }},
    {kDioStreamDac,
     [](TDeviceData &d, uint32_t) {
       Digital(d, 2, 1);
       d.bDIOStream = true;
       d.bClearFIFO = true;
       d.bDACDIOStream = true;
       d.ImmDACs = 1;
     }},
    {kDioStreamAdc,
     [](TDeviceData &d, uint32_t) {
       Digital(d, 2, 0);
       d.RootClock = 1'000'000;
       d.bDIOStream = true;
       d.bADCDIOStream = true;
       d.ADCChannels = 2;
       d.ADCMUXChannels = 2;
       d.ConfigBytes = 2;
       d.bClearFIFO = true;
     }},
};

bool Contains(std::span<const PidRange> ranges, uint32_t pid) {
  for (const PidRange &range : ranges)
    if (pid >= range.first && pid <= range.last) return true;
  return false;
}

}  // namespace

void ApplyProductTable(TDeviceData &device, uint32_t pid) {
  for (const ProductRow &row : kProductTable) {
    if (!Contains(row.pids, pid)) continue;
    device.bGetName = true;
    row.apply(device, pid);
    return;
  }
}

}  // namespace mirbax
