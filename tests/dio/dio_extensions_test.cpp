// The digital extensions: synchronization, debounce, latches, automap, PWM
// and SPI, with their size limits and packing; and the watchdog.
#include <cmath>
#include <limits>

#include "common/unreadable_page.h"
#include "dio_fixture.h"

namespace mirbax::testing {
namespace {

constexpr uint32_t kSyncBoard = 0x8001;  // custom clocks and debounce, D 4
constexpr uint32_t kSpiBoard = 0x8008;
constexpr uint32_t kPlainBoard = 0x8030;  // D 2, none of the flags
constexpr uint32_t kWatchdogBoard = 0x8010;

using Bytes = std::vector<uint8_t>;

class Extensions : public DioBoardTest {};
MIRBAX_ON_EVERY_DRIVER(Extensions);

TEST_P(Extensions, SyncDivisorAndTicksAreRoundedAndReported) {
  Plug(kSyncBoard);
  const struct {
    double rate, a;
    uint16_t value;  // ticks A << 8 | divisor
    double rateOut, aOut;
  } cases[] = {
      {1000, 1.0, 0x0303, 1000, 1.0},        {5000, 0.5, 0x0201, 3000, 2.0 / 3},
      {1000, 100, 0xFF03, 1000, 85},          {7, 1.0, 0x0000, 0, 0},
      {11.8, 0, 0x00FE, 3000.0 / 254, 0},
  };
  for (const auto &c : cases) {
    MIRBAXSIM_ClearLog(board_);
    double rate = c.rate, a = c.a, b = 2.0, cc = 3.0;
    ASSERT_EQ(DIO_CSA_DoSync(0, &rate, &a, &b, &cc), 0u) << c.rate;
    EXPECT_DOUBLE_EQ(rate, c.rateOut);
    EXPECT_DOUBLE_EQ(a, c.aOut);
    const bool off = c.value == 0;
    EXPECT_DOUBLE_EQ(b, off ? 0 : 2.0);
    EXPECT_EQ(Log(board_), std::vector<std::string>{WriteLine(0xC4, c.value, off ? 0 : 0x0906)});
  }
}

TEST_P(Extensions, SyncRefusesDurationsWithoutATickCount) {
  Plug(kSyncBoard);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const double bad : {-1.0, -1e-9, nan}) {
    double rate = 1000, a = 1, b = bad, c = 1;
    EXPECT_EQ(DIO_CSA_DoSync(0, &rate, &a, &b, &c), MIRBAX_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(rate, 1000);  // nothing written back
  }
  double rate = nan, a = 1, b = 1, c = 1;
  EXPECT_EQ(DIO_CSA_DoSync(0, &rate, &a, &b, &c), MIRBAX_ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_P(Extensions, CsaDebounceAndReadAllString) {
  Plug(kSyncBoard);
  const Bytes levels = {1, 2, 3, 4};
  ASSERT_EQ(MIRBAXSIM_SetDigitalInputs(board_, levels.data(), 4), 0u);
  ASSERT_EQ(DIO_CSA_DebounceSet(0, 0x12345), 0u);
  Bytes pairs(8);
  ASSERT_EQ(DIO_CSA_DebounceReadAll(0, pairs.data()), 0u);
  EXPECT_EQ(pairs, (Bytes{1, 1, 2, 2, 3, 3, 4, 4}));
  Bytes buffer(10, 0xEE);
  uint32_t size = 10;
  ASSERT_EQ(DIO_CSA_ReadAllString(0, buffer.data(), &size), 0u);
  EXPECT_EQ(size, 8u);  // two whole readings of 4 bytes fit
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 8), (Bytes{1, 2, 3, 4, 1, 2, 3, 4}));
  size = 3;
  ASSERT_EQ(DIO_CSA_ReadAllString(0, buffer.data(), &size), 0u);
  EXPECT_EQ(size, 0u);
  const std::vector<std::string> log = Log(board_);
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0], WriteLine(0x18, 0x2345, 0x0100));
  EXPECT_EQ(Head(log[1]), ReadHead(0x18, 0, 0x0101, 8));
}

TEST_P(Extensions, ReadAllStringStoresNothingOnFailure) {
  Plug(kPlainBoard);
  uint32_t size = 10;
  uint8_t buffer[10];
  MIRBAXSIM_FailTransfers(board_, 1, 31);
  EXPECT_EQ(DIO_CSA_ReadAllString(0, buffer, &size), 31u);
  EXPECT_EQ(size, 0u);
  size = 10;
  EXPECT_EQ(DIO_CSA_ReadAllString(5, buffer, &size), MIRBAX_ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(size, 0u);
}

TEST_P(Extensions, LatchesAreSplitAndCutToTheCallersRoom) {
  Plug(kSyncBoard);
  const Bytes high = {0x0F, 0, 0, 0};
  ASSERT_EQ(MIRBAXSIM_SetDigitalInputs(board_, high.data(), 4), 0u);
  uint8_t low = 0, highLatch = 0, none = 0;
  uint32_t size = 1;
  ASSERT_EQ(DIO_Latch_Read(0, &low, &highLatch, &none, &size), 0u);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(highLatch, 0x0F);
  EXPECT_EQ(low, 0xF0);
  EXPECT_EQ(none, 0x00);
  ASSERT_EQ(DIO_Latch_Reset(0), 0u);
  UnreadablePage page;
  size = 1;
  EXPECT_EQ(DIO_Latch_Read(0, page.get(), &highLatch, &none, &size), MIRBAX_ERROR_NOACCESS);
  const std::vector<std::string> log = Log(board_);
  ASSERT_EQ(log.size(), 2u);  // the faulty call sent nothing
  EXPECT_EQ(Head(log[0]), ReadHead(0x14, 0, 0, 12));
}

TEST_P(Extensions, TablesArePackedWithinTheirLimits) {
  Plug(kSyncBoard);
  Bytes table(70);
  for (size_t i = 0; i < table.size(); ++i) table[i] = uint8_t(i + 1);
  uint32_t size = 7;
  ASSERT_EQ(DIO_Automap_SetTable(0, table.data(), &size), 0u);
  EXPECT_EQ(size, 6u);
  size = 65;
  EXPECT_EQ(DIO_Automap_SetTable(0, table.data(), &size), MIRBAX_ERROR_BAD_LENGTH);
  const uint16_t entry = 0x0A0B;
  ASSERT_EQ(DIO_Automap_AddEntry(0, &entry), 0u);
  size = 4;
  ASSERT_EQ(DIO_PWM_Start(0, table.data(), &size), 0u);
  size = 17;
  EXPECT_EQ(DIO_PWM_Start(0, table.data(), &size), MIRBAX_ERROR_BAD_LENGTH);
  size = 1024;
  ASSERT_EQ(DIO_Deb_SetConfig(0, Bytes(1024, 7).data(), &size), 0u);
  size = 1025;
  EXPECT_EQ(DIO_Deb_SetConfig(0, table.data(), &size), MIRBAX_ERROR_BAD_LENGTH);
  const uint8_t divisor = 9;
  ASSERT_EQ(DIO_Latch_SetDivisor(0, &divisor), 0u);
  ASSERT_EQ(DIO_Automap_ClearTable(0), 0u);
  EXPECT_EQ(DIO_Automap_SetTickDivisor(0, &divisor), MIRBAX_ERROR_NOT_SUPPORTED);
  const std::vector<std::string> log = Log(board_);
  ASSERT_EQ(log.size(), 6u);
  EXPECT_EQ(log[0], WriteLine(0x3C, 0, 0x81, {1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(log[1], WriteLine(0x3C, 0, 0x84, {0x0B, 0x0A}));
  EXPECT_EQ(log[2], WriteLine(0x3C, 0, 0x71, {0x64, 1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}));
  EXPECT_EQ(Head(log[3]), WriteLine(0x3C, 0, 0x51, Bytes(1024, 7)).substr(0, 22));
  EXPECT_EQ(log[4], WriteLine(0x3C, 0, 0x63, {9}));
  EXPECT_EQ(log[5], WriteLine(0x3C, 0, 0x82));
  Bytes pwm(18);
  ASSERT_EQ(MIRBAXSIM_Peek(board_, "pwm_record", 0, pwm.data(), 18), 0u);
  EXPECT_EQ(pwm[17], 2);
}

TEST_P(Extensions, TableCopiesThatFaultGive998AndSendNothing) {
  Plug(kSyncBoard);
  UnreadablePage page;
  uint32_t size = 4;
  EXPECT_EQ(DIO_Automap_SetTable(0, page.get(), &size), MIRBAX_ERROR_NOACCESS);
  EXPECT_EQ(DIO_PWM_Start(0, page.get(), &size), MIRBAX_ERROR_NOACCESS);
  EXPECT_EQ(DIO_Deb_SetConfig(0, page.get(), &size), MIRBAX_ERROR_NOACCESS);
  EXPECT_EQ(DIO_Automap_AddEntry(0, nullptr), MIRBAX_ERROR_NOACCESS);
  EXPECT_EQ(DIO_Latch_SetDivisor(0, nullptr), MIRBAX_ERROR_NOACCESS);
  EXPECT_EQ(DIO_Deb_ReadAll(0, page.get()), MIRBAX_ERROR_NOACCESS);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_P(Extensions, OlderFirmwareAndMissingFlagsAreRefused) {
  Plug(kPlainBoard, [](uint32_t board) { MIRBAXSIM_SetOption(board, "firmware20", 0); });
  uint32_t size = 0;
  const uint8_t byte = 0;
  uint8_t out = 0;
  double rate = 1000, a = 1, b = 1, c = 1;
  EXPECT_EQ(DIO_Automap_ClearTable(0), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(DIO_PWM_Start(0, &byte, &size), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(DIO_Latch_Reset(0), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(DIO_CSA_DoSync(0, &rate, &a, &b, &c), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DIO_CSA_DebounceSet(0, 1), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DIO_SPI_Write(0, 1, 2, 3), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DIO_SPI_Read(0, 1, 2, &out), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  for (const std::string &line : Log(board_)) EXPECT_EQ(line.substr(0, 9), "C c0 a3 8");  // probes only
}

TEST_P(Extensions, SpiAddressesARegisterOfADevice) {
  Plug(kSpiBoard);
  ASSERT_EQ(DIO_SPI_Write(0, 2, 0x10, 0x5A), 0u);
  uint8_t value = 0;
  ASSERT_EQ(DIO_SPI_Read(0, 2, 0x10, &value), 0u);
  EXPECT_EQ(value, 0x5A);
  EXPECT_EQ(Log(board_), (std::vector<std::string>{WriteLine(0xC0, 0x5A, 0x0210),
                                                    ReadHead(0xC1, 0, 0x0210, 1) + " 5a"}));
}

// ---- Watchdog -------------------------------------------------------------

class Watchdog : public DioBoardTest {};
MIRBAX_ON_EVERY_DRIVER(Watchdog);

TEST_P(Watchdog, TimeoutIsRoundedAndClampedAheadOfTheTable) {
  Plug(kWatchdogBoard);
  const struct {
    double seconds;
    uint16_t sent;
  } cases[] = {{2.5, 2}, {3.5, 4}, {-1, 0}, {65536, 0xFFFF}, {65534.6, 0xFFFF}, {1.2, 1}};
  const uint8_t table[3] = {0xAA, 0xBB, 0xCC};
  for (const auto &c : cases) {
    MIRBAXSIM_ClearLog(board_);
    const uint32_t size = 3;
    ASSERT_EQ(WDG_SetConfig(0, &c.seconds, table, &size), 0u);
    EXPECT_EQ(Log(board_), std::vector<std::string>{WriteLine(
                               0x3C, 0, 0x41, {uint8_t(c.sent), uint8_t(c.sent >> 8), 0xAA, 0xBB, 0xCC})});
  }
  MIRBAXSIM_ClearLog(board_);
  const double seconds = 10;
  const uint32_t none = 0, tooLong = 1025;
  ASSERT_EQ(WDG_SetConfig(0, &seconds, nullptr, &none), 0u);
  EXPECT_EQ(WDG_SetConfig(0, &seconds, table, &tooLong), MIRBAX_ERROR_BAD_LENGTH);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(WDG_SetConfig(0, &nan, table, &none), MIRBAX_ERROR_INTERNAL_ERROR);
  EXPECT_EQ(Log(board_), std::vector<std::string>{WriteLine(0x3C, 0, 0x41, {10, 0})});
}

TEST_P(Watchdog, StatusAndPet) {
  Plug(kWatchdogBoard);
  Bytes status(1024, 0xEE);
  uint32_t size = 1025;
  EXPECT_EQ(WDG_GetStatus(0, status.data(), &size), MIRBAX_ERROR_BAD_LENGTH);
  EXPECT_EQ(WDG_Pet(0, 1), MIRBAX_ERROR_INVALID_FLAG_NUMBER);
  EXPECT_TRUE(Log(board_).empty());
  ASSERT_EQ(WDG_Pet(0, 0), 0u);
  size = 1024;
  ASSERT_EQ(WDG_GetStatus(0, status.data(), &size), 0u);
  EXPECT_EQ(size, 16u);  // the board's status is shorter than the room
  EXPECT_EQ(status[2], 1);  // one pet counted before this read
  EXPECT_EQ(status[16], 0xEE);
  const std::vector<std::string> log = Log(board_);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(Head(log[0]), ReadHead(0x2E, 0, 0x41, 2));
  EXPECT_EQ(Head(log[1]), ReadHead(0x2E, 0, 0x41, 1024));
  MIRBAXSIM_FailTransfers(board_, 1, 31);
  size = 8;
  EXPECT_EQ(WDG_GetStatus(0, status.data(), &size), 31u);
  EXPECT_EQ(size, 0u);
}

}  // namespace
}  // namespace mirbax::testing
