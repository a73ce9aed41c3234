// The capabilities EnsureOpen gives each product ID, checked on simulated
// boards of those IDs, and the probes of the open.
#include <cstddef>

#include "common/sim_fixture.h"
#include "core/device_table.h"

namespace mirbax::testing {
namespace {

struct Capabilities {
  uint32_t pid;
  uint32_t dioBytes = 0, dioConfigBits = 0, tristates = 0, counters = 0;
  double rootClock = 0;
  uint32_t immDACs = 0, immADCs = 0;
  int32_t dacsUsed = -1;  // -1: the model does not name it (the entry keeps its value)
  uint32_t adcChannels = 0, adcMuxChannels = 0, configBytes = 0;
  uint8_t rangeShift = 0;
  bool known = true;
  bool adcBulk = false, dacBoardRange = false, dacStream = false, dacDioStream = false;
  bool dioStream = false, clearFifo = false, debounce = false, customClocks = false;
  int32_t flashSectors = 0;
};

void PrintTo(const Capabilities &c, std::ostream *os) { *os << std::hex << "PID 0x" << c.pid; }

class ProductTable : public SimBoardsTest, public ::testing::WithParamInterface<Capabilities> {};

TEST_P(ProductTable, OpenSetsTheCapabilitiesOfTheModel) {
  const Capabilities &want = GetParam();
  AttachAndLink(want.pid);
  uint32_t pid = 0;
  ASSERT_EQ(QueryDeviceInfo(0, &pid, nullptr, nullptr, nullptr, nullptr), 0u);
  const TDeviceData &d = Dev[0];
  EXPECT_EQ(d.PID.load(), want.pid);
  EXPECT_EQ(d.bGetName, want.known);
  EXPECT_EQ(d.DIOBytes, want.dioBytes);
  EXPECT_EQ(d.DIOConfigBits, want.dioConfigBits);
  EXPECT_EQ(d.LastDIOData.size(), want.dioBytes);
  EXPECT_EQ(d.Tristates, want.tristates);
  EXPECT_EQ(d.Counters, want.counters);
  EXPECT_EQ(d.RootClock, want.rootClock);
  EXPECT_EQ(d.ImmDACs, want.immDACs);
  EXPECT_EQ(d.ImmADCs, want.immADCs);
  if (want.dacsUsed >= 0) EXPECT_EQ(d.DACsUsed, want.dacsUsed);
  EXPECT_EQ(d.ADCChannels, want.adcChannels);
  EXPECT_EQ(d.ADCMUXChannels, want.adcMuxChannels);
  EXPECT_EQ(d.ConfigBytes, want.configBytes);
  EXPECT_EQ(d.RangeShift, want.rangeShift);
  EXPECT_EQ(d.bADCBulk, want.adcBulk);
  EXPECT_EQ(d.bDACBoardRange, want.dacBoardRange);
  EXPECT_EQ(d.bDACStream, want.dacStream);
  EXPECT_EQ(d.bDACDIOStream, want.dacDioStream);
  EXPECT_EQ(d.bDIOStream, want.dioStream);
  EXPECT_EQ(d.bClearFIFO, want.clearFifo);
  EXPECT_EQ(d.bDIODebounce, want.debounce);
  EXPECT_EQ(d.bSetCustomClocks, want.customClocks);
  EXPECT_EQ(d.FlashSectors, want.flashSectors);
  EXPECT_EQ(d.StreamingBlockSize, 0x7C00u);
}

// clang-format off
const Capabilities kModels[] = {
  {.pid = 0x4001, .immDACs = 8, .dacsUsed = 5, .dacStream = true},
  {.pid = 0x4003, .immDACs = 8},
  {.pid = 0x8001, .dioBytes = 4, .dioConfigBits = 4, .tristates = 1, .counters = 3,
   .rootClock = 3e6, .debounce = true, .customClocks = true},
  {.pid = 0x8002, .dioBytes = 6, .dioConfigBits = 6, .tristates = 1},
  {.pid = 0x8004, .dioBytes = 4, .dioConfigBits = 32, .tristates = 1, .customClocks = true},
  {.pid = 0x8005, .dioBytes = 3, .dioConfigBits = 4, .tristates = 1, .debounce = true},
  {.pid = 0x8006, .dioBytes = 3, .dioConfigBits = 4, .tristates = 1, .counters = 2,
   .rootClock = 1e7, .debounce = true, .customClocks = true},
  {.pid = 0x8009, .dioBytes = 1, .dioConfigBits = 1, .dioStream = true, .clearFifo = true},
  {.pid = 0x800D, .dioBytes = 4, .dioConfigBits = 4, .tristates = 2, .immDACs = 1,
   .dacDioStream = true, .dioStream = true, .clearFifo = true},
  {.pid = 0x8012, .dioBytes = 4, .dioConfigBits = 4, .tristates = 1},
  {.pid = 0x8013, .known = false},
  {.pid = 0x8020, .counters = 5, .rootClock = 1e7},
  {.pid = 0x8037, .dioBytes = 2, .dioConfigBits = 2, .tristates = 1, .immADCs = 2},
  {.pid = 0x803E, .dioBytes = 9, .dioConfigBits = 9, .tristates = 1},
  {.pid = 0x8040, .dioBytes = 2, .dioConfigBits = 2, .tristates = 1, .counters = 1,
   .rootClock = 1e7, .adcChannels = 16, .adcMuxChannels = 16, .configBytes = 20,
   .adcBulk = true, .clearFifo = true},
  {.pid = 0x8047, .dioBytes = 2, .dioConfigBits = 2, .tristates = 1, .counters = 1,
   .rootClock = 1e7, .adcChannels = 16, .adcMuxChannels = 64, .configBytes = 21,
   .rangeShift = 2, .adcBulk = true, .clearFifo = true},
  {.pid = 0x8147, .dioBytes = 2, .dioConfigBits = 2, .tristates = 1, .counters = 1,
   .rootClock = 1e7, .immDACs = 4, .adcChannels = 16, .adcMuxChannels = 64, .configBytes = 21,
   .rangeShift = 2, .adcBulk = true, .dacBoardRange = true, .clearFifo = true},
  {.pid = 0x804A, .dioBytes = 2, .dioConfigBits = 2, .tristates = 1, .counters = 1,
   .rootClock = 1e7, .adcChannels = 16, .adcMuxChannels = 32, .configBytes = 21,
   .rangeShift = 3, .adcBulk = true, .clearFifo = true},
  {.pid = 0x8053, .dioBytes = 2, .dioConfigBits = 2, .tristates = 1, .counters = 1,
   .rootClock = 1e7, .adcChannels = 16, .adcMuxChannels = 64, .configBytes = 21,
   .rangeShift = 3, .adcBulk = true, .clearFifo = true},
  {.pid = 0x805E, .dioBytes = 2, .dioConfigBits = 2, .tristates = 1, .counters = 1,
   .rootClock = 1e7, .adcChannels = 16, .adcMuxChannels = 160, .configBytes = 21,
   .rangeShift = 3, .adcBulk = true, .clearFifo = true},
  {.pid = 0x815E, .dioBytes = 2, .dioConfigBits = 2, .tristates = 1, .counters = 1,
   .rootClock = 1e7, .immDACs = 4, .adcChannels = 16, .adcMuxChannels = 160, .configBytes = 21,
   .rangeShift = 3, .adcBulk = true, .dacBoardRange = true, .clearFifo = true},
  {.pid = 0x805F, .dioBytes = 2, .dioConfigBits = 2, .tristates = 1, .counters = 1,
   .rootClock = 1e7, .adcChannels = 16, .adcMuxChannels = 16, .configBytes = 20,
   .adcBulk = true, .clearFifo = true},
  {.pid = 0x8060, .dioBytes = 2, .dioConfigBits = 2, .tristates = 1, .immDACs = 16,
   .immADCs = 2, .dacsUsed = 16, .dacBoardRange = true, .flashSectors = 32},
  {.pid = 0x8073, .dioBytes = 2, .dioConfigBits = 2, .tristates = 1, .immDACs = 12,
   .dacsUsed = 12, .dacBoardRange = true, .flashSectors = 32},
  {.pid = 0x8074, .dioBytes = 2, .dioConfigBits = 2, .tristates = 1, .immDACs = 8,
   .immADCs = 2, .dacsUsed = 8, .dacBoardRange = true, .flashSectors = 32},
  {.pid = 0x8068, .dioBytes = 2, .dioConfigBits = 2, .tristates = 1, .immDACs = 1,
   .dacDioStream = true, .dioStream = true, .clearFifo = true},
  {.pid = 0x8180, .dioBytes = 2, .dioConfigBits = 2, .rootClock = 1e6, .adcChannels = 2,
   .adcMuxChannels = 2, .configBytes = 2, .dioStream = true, .clearFifo = true},
  {.pid = 0x1234, .known = false},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Models, ProductTable, ::testing::ValuesIn(kModels));

using OpenProbes = SimBoardsTest;

TEST_F(OpenProbes, NewerFirmwareReportsItsCapabilityRecord) {
  for (uint32_t driver : {MIRBAXSIM_DRIVER_WINUSB, MIRBAXSIM_DRIVER_CYUSB2, MIRBAXSIM_DRIVER_CYUSB3}) {
    SCOPED_TRACE(driver);
    ForgetEverything();
    const uint32_t board = Attach(0x8001, driver);
    const uint8_t record[15] = {15, 1, 0, 0, 0, 4, 3, 0, 1, 1, 0, 0, 0, 0, 1};
    ASSERT_EQ(MIRBAXSIM_Poke(board, "pnp", 0, record, sizeof record), 0u);
    MIRBAX_ReloadDeviceLinks();
    ASSERT_EQ(GetDevices(), 1u);
    EXPECT_TRUE(Dev[0].bFirmware20);
    EXPECT_EQ(Dev[0].PNPData.PNPSize, 15);
    EXPECT_EQ(Dev[0].PNPData.nDIOBytes, 4);
    EXPECT_TRUE(bDevHasPNPByte(Dev[0], offsetof(TPNPData, HasDIOWrite1)));
  }
}

TEST_F(OpenProbes, ARecordStartingWith0xFFCountsAsNone) {
  const uint32_t board = Attach(0x8001);
  const uint8_t record[15] = {0xFF, 1, 2, 3};
  ASSERT_EQ(MIRBAXSIM_Poke(board, "pnp", 0, record, sizeof record), 0u);
  MIRBAX_ReloadDeviceLinks();
  ASSERT_EQ(GetDevices(), 1u);
  EXPECT_EQ(Dev[0].PNPData.PNPSize, 0);
  EXPECT_FALSE(bDevHasPNPByte(Dev[0], offsetof(TPNPData, HasDIOWrite1)));
}

TEST_F(OpenProbes, AShortRecordReachesOnlyItsFields) {
  const uint32_t board = Attach(0x8001);
  const uint8_t record[15] = {14, 1, 0, 0, 0, 4, 3, 0, 1, 1, 0, 0, 0, 0, 1};
  ASSERT_EQ(MIRBAXSIM_Poke(board, "pnp", 0, record, sizeof record), 0u);
  MIRBAX_ReloadDeviceLinks();
  ASSERT_EQ(GetDevices(), 1u);
  EXPECT_TRUE(bDevHasPNPByte(Dev[0], offsetof(TPNPData, MapHighDstBit)));
  EXPECT_FALSE(bDevHasPNPByte(Dev[0], offsetof(TPNPData, HasDIOWrite1)));
}

TEST_F(OpenProbes, OlderFirmwareIsNotTheNewerGeneration) {
  const uint32_t board = Attach(0x8001);
  ASSERT_EQ(MIRBAXSIM_SetOption(board, "firmware20", 0), 0u);
  MIRBAX_ReloadDeviceLinks();
  ASSERT_EQ(GetDevices(), 1u);
  EXPECT_FALSE(Dev[0].bFirmware20);
  EXPECT_EQ(CheckFirmware20(0), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(Dev[0].PNPData.PNPSize, 0);
  EXPECT_TRUE(ControlLines(board, 0x3F).empty()) << "no record read without the newer firmware";
}

TEST_F(OpenProbes, ANewBoardInTheEntryIsProbedAgain) {
  const uint32_t newer = AttachAndLink(0x8001);
  ASSERT_EQ(GetDevices(), 1u);
  ASSERT_TRUE(Dev[0].bFirmware20);
  MIRBAXSIM_Detach(newer);
  const uint32_t older = Attach(0x8001);
  MIRBAXSIM_SetOption(older, "firmware20", 0);
  MIRBAX_ReloadDeviceLinks();
  ASSERT_EQ(GetDevices(), 1u);
  EXPECT_FALSE(Dev[0].bFirmware20);
}

TEST_F(OpenProbes, UnknownProductIdsAreNotAskedForTheirRecord) {
  const uint32_t board = AttachAndLink(0x8013);
  ASSERT_EQ(GetDevices(), 1u);
  EXPECT_TRUE(ControlLines(board, 0xA3).empty());
  EXPECT_TRUE(ControlLines(board, 0x3F).empty());
}

TEST_F(OpenProbes, BusSpeedIsProbedOnceAndCached) {
  const uint32_t board = AttachAndLink(0x8040);
  ASSERT_EQ(GetDevices(), 1u);
  EXPECT_EQ(CheckUSBSpeed(0), usHigh);
  MIRBAXSIM_SetOption(board, "high_speed", 0);
  EXPECT_EQ(CheckUSBSpeed(0), usHigh) << "cached until the next open";
  MIRBAX_ReloadDeviceLinks();
  ASSERT_EQ(GetDevices(), 1u);
  EXPECT_EQ(CheckUSBSpeed(0), usLowFull);
}

}  // namespace
}  // namespace mirbax::testing
