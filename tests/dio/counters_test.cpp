// The 8254 counters: addressing, the request layouts, reads, and the
// frequency output with its divisor pair on the wire.
#include <cmath>
#include <limits>

#include "common/unreadable_page.h"
#include "dio_fixture.h"

namespace mirbax::testing {
namespace {

constexpr uint32_t kTwoBlocks = 0x8006;  // 2 blocks, 10 MHz
constexpr uint32_t kOneBlock = 0x8040;   // 1 block, 10 MHz
constexpr uint32_t kThreeMHz = 0x8001;   // 3 blocks, 3 MHz
constexpr uint32_t kNoCounters = 0x8030;

class Counters : public DioBoardTest {};
MIRBAX_ON_EVERY_DRIVER(Counters);

TEST_P(Counters, AddressesAreNormalizedOrRefused) {
  Plug(kTwoBlocks);
  const struct {
    uint32_t block, counter;
    bool valid;
    uint16_t value;  // of the mode-0 request: control word << 8 | block
  } cases[] = {
      {0, 0, true, 0x3000}, {0, 2, true, 0xB000}, {0, 3, true, 0x3001}, {0, 5, true, 0xB001},
      {0, 6, false, 0},     {1, 0, true, 0x3001}, {1, 2, true, 0xB001}, {1, 3, false, 0},
      {2, 0, false, 0},     {0, 0xFFFFFFFF, false, 0},
  };
  for (const auto &c : cases) {
    MIRBAXSIM_ClearLog(board_);
    const uint32_t result = CTR_8254Mode(0, c.block, c.counter, 0);
    if (c.valid) {
      EXPECT_EQ(result, 0u) << c.block << "/" << c.counter;
      EXPECT_EQ(Log(board_), std::vector<std::string>{WriteLine(0x21, c.value, 0)});
    } else {
      EXPECT_EQ(result, MIRBAX_ERROR_INVALID_ADDRESS) << c.block << "/" << c.counter;
      EXPECT_TRUE(Log(board_).empty());
    }
  }
}

TEST_P(Counters, RequestLayouts) {
  Plug(kTwoBlocks);
  ASSERT_EQ(MIRBAXSIM_SetCounter(board_, 5, 0xBEEF, 0), 0u);
  ASSERT_EQ(CTR_8254Mode(0, 1, 2, 3), 0u);
  ASSERT_EQ(CTR_8254Load(0, 1, 2, 1000), 0u);
  ASSERT_EQ(CTR_8254ModeLoad(0, 0, 4, 5, 0xABCD), 0u);
  uint16_t count = 0;
  ASSERT_EQ(CTR_8254Read(0, 0, 2, &count), 0u);
  EXPECT_EQ(Log(board_), (std::vector<std::string>{
                             WriteLine(0x21, 0xB601, 0), WriteLine(0x22, 0x8001, 1000),
                             WriteLine(0x23, 0x7A01, 0xABCD), ReadHead(0x20, 0x0200, 0, 2) + " 0000"}));
  EXPECT_EQ(count, 0u);
  MIRBAXSIM_ClearLog(board_);
  ASSERT_EQ(MIRBAXSIM_SetCounter(board_, 5, 0xBEEF, 0), 0u);
  ASSERT_EQ(CTR_8254Read(0, 1, 2, &count), 0u);
  EXPECT_EQ(count, 0xBEEF);
  EXPECT_EQ(Log(board_), std::vector<std::string>{ReadHead(0x20, 0x0201, 0, 2) + " efbe"});
}

TEST_P(Counters, ModesBeyondFiveAreRefused) {
  Plug(kOneBlock);
  uint16_t count = 0;
  EXPECT_EQ(CTR_8254Mode(0, 0, 0, 6), MIRBAX_ERROR_INVALID_ADDRESS);
  EXPECT_EQ(CTR_8254ModeLoad(0, 0, 0, 6, 1), MIRBAX_ERROR_INVALID_ADDRESS);
  EXPECT_EQ(CTR_8254ReadModeLoad(0, 0, 0, 0xFFFFFFFF, 1, &count), MIRBAX_ERROR_INVALID_ADDRESS);
  EXPECT_TRUE(Log(board_).empty());
  for (uint32_t mode = 0; mode < 6; ++mode) EXPECT_EQ(CTR_8254Mode(0, 0, 1, mode), 0u);
}

TEST_P(Counters, ReadModeLoadAndStatusReturnWhatTheBoardHolds) {
  Plug(kOneBlock);
  ASSERT_EQ(MIRBAXSIM_SetCounter(board_, 1, 0x1234, 0), 0u);
  uint16_t count = 0;
  // The board answers with the count the counter held before the new load.
  ASSERT_EQ(CTR_8254ReadModeLoad(0, 0, 1, 2, 500, &count), 0u);
  EXPECT_EQ(count, 0x1234);
  uint8_t status = 0;
  ASSERT_EQ(CTR_8254ReadStatus(0, 0, 1, &count, &status), 0u);
  EXPECT_EQ(count, 500);
  EXPECT_EQ(status & 0x3F, 0x34);  // LSB-then-MSB access, mode 2, binary
  const std::vector<std::string> log = Log(board_);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], ReadHead(0x23, 0x7400, 500, 2) + " 3412");
  EXPECT_EQ(Head(log[1]), ReadHead(0x20, 0x0100, 0, 3));
}

TEST_P(Counters, ReadAllAndLatchedReadCoverEveryCounter) {
  Plug(kTwoBlocks);
  for (uint32_t i = 0; i < 6; ++i) ASSERT_EQ(MIRBAXSIM_SetCounter(board_, i, uint16_t(100 * (i + 1)), 0), 0u);
  uint16_t counts[6] = {};
  ASSERT_EQ(CTR_8254ReadAll(0, counts), 0u);
  for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(counts[i], 100 * (i + 1));
  uint8_t latched[13] = {};
  ASSERT_EQ(CTR_8254ReadLatched(0, latched), 0u);
  EXPECT_EQ(latched[0] | latched[1] << 8, 100);
  EXPECT_EQ(latched[10] | latched[11] << 8, 600);
  const std::vector<std::string> log = Log(board_);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(Head(log[0]), ReadHead(0x25, 0, 0, 12));
  EXPECT_EQ(Head(log[1]), ReadHead(0x26, 0, 0, 13));
}

TEST_P(Counters, TheLatchedReadOfOneBlockIsSevenBytes) {
  Plug(kOneBlock);
  uint8_t latched[7] = {};
  ASSERT_EQ(CTR_8254ReadLatched(0, latched), 0u);
  ASSERT_EQ(Log(board_).size(), 1u);
  EXPECT_EQ(Head(Log(board_)[0]), ReadHead(0x26, 0, 0, 7));
}

TEST_P(Counters, BadOutputPointersFailBeforeAnythingIsSent) {
  Plug(kOneBlock);
  UnreadablePage page;
  uint8_t status = 0;
  EXPECT_EQ(CTR_8254Read(0, 0, 0, nullptr), MIRBAX_ERROR_INTERNAL_ERROR);
  EXPECT_EQ(CTR_8254ReadModeLoad(0, 0, 0, 0, 1, page.get<uint16_t>()), MIRBAX_ERROR_INTERNAL_ERROR);
  EXPECT_TRUE(Log(board_).empty());
  EXPECT_EQ(CTR_8254ReadStatus(0, 0, 0, nullptr, &status), MIRBAX_ERROR_INTERNAL_ERROR);
  EXPECT_EQ(CTR_8254ReadAll(0, page.get<uint16_t>()), MIRBAX_ERROR_NOACCESS);
}

TEST_P(Counters, ABoardWithoutCountersRefusesEveryFunction) {
  Plug(kNoCounters);
  uint16_t word = 0;
  uint8_t byte = 0;
  double hz = 1000;
  EXPECT_EQ(CTR_8254Mode(0, 0, 0, 0), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(CTR_8254Load(0, 0, 0, 1), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(CTR_8254ModeLoad(0, 0, 0, 0, 1), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(CTR_8254ReadModeLoad(0, 0, 0, 0, 1, &word), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(CTR_8254Read(0, 0, 0, &word), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(CTR_8254ReadStatus(0, 0, 0, &word, &byte), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(CTR_8254ReadAll(0, &word), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(CTR_8254ReadLatched(0, &word), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(CTR_StartOutputFreq(0, 0, &hz), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_TRUE(Log(board_).empty());
}

// ---- Frequency output ---------------------------------------------------------

struct FrequencyCase {
  uint32_t pid;
  uint32_t block;
  double wanted;
  uint16_t a, b;
};

class FrequencyOutput : public DioBoardTest {};
MIRBAX_ON_EVERY_DRIVER(FrequencyOutput);

TEST_P(FrequencyOutput, LoadsBothDividersAndReportsTheRateProduced) {
  const FrequencyCase cases[] = {
      {kOneBlock, 0, 5e6, 2, 2},      {kOneBlock, 0, 1000, 100, 100},
      {kTwoBlocks, 1, 1002.5, 105, 95}, {kThreeMHz, 2, 1000, 60, 50},
  };
  for (const FrequencyCase &c : cases) {
    ForgetEverything();
    Plug(c.pid);
    double hz = c.wanted;
    ASSERT_EQ(CTR_StartOutputFreq(0, c.block, &hz), 0u) << c.wanted;
    const double root = c.pid == kThreeMHz ? 3e6 : 10e6;
    EXPECT_DOUBLE_EQ(hz, root / (double(c.a) * c.b));
    // Counter 1 in mode 2 divides by A, counter 2 in mode 3 by B.
    EXPECT_EQ(Log(board_), (std::vector<std::string>{WriteLine(0x23, uint16_t(0x7400 | c.block), c.a),
                                                      WriteLine(0x23, uint16_t(0xB600 | c.block), c.b)}))
        << c.wanted;
  }
}

TEST_P(FrequencyOutput, ZeroOrLessStopsTheOutputWithModesOnly) {
  Plug(kTwoBlocks);
  for (const double stop : {0.0, -5.0, -std::numeric_limits<double>::infinity()}) {
    MIRBAXSIM_ClearLog(board_);
    double hz = stop;
    ASSERT_EQ(CTR_StartOutputFreq(0, 1, &hz), 0u);
    EXPECT_EQ(hz, stop);
    EXPECT_EQ(Log(board_), (std::vector<std::string>{WriteLine(0x21, 0x7401, 0),
                                                      WriteLine(0x21, 0xB601, 0)}));
  }
}

TEST_P(FrequencyOutput, RatesWithoutAPairOfDivisorsAreRefusedUnsent) {
  Plug(kOneBlock);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const double wanted : {0.0023, 1e-9, nan, std::numeric_limits<double>::infinity()}) {
    double hz = wanted;
    EXPECT_EQ(CTR_StartOutputFreq(0, 0, &hz), MIRBAX_ERROR_INVALID_DATA) << wanted;
    if (!std::isnan(wanted)) {
      EXPECT_EQ(hz, wanted);
    }
  }
  EXPECT_TRUE(Log(board_).empty());
}

TEST_P(FrequencyOutput, TheBlockIsTakenAsGivenAndThePointerIsNeeded) {
  Plug(kTwoBlocks);
  double hz = 1000;
  EXPECT_EQ(CTR_StartOutputFreq(0, 2, &hz), MIRBAX_ERROR_INVALID_ADDRESS);
  EXPECT_EQ(CTR_StartOutputFreq(0, 2, nullptr), MIRBAX_ERROR_INVALID_ADDRESS);
  EXPECT_EQ(CTR_StartOutputFreq(0, 1, nullptr), MIRBAX_ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(Log(board_).empty());
}

}  // namespace
}  // namespace mirbax::testing
