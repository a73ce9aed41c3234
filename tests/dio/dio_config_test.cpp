// Digital configuration: the records on the wire, the output mirror they
// fill, and the checks that refuse a call before anything is sent.
#include "core/device_table.h"
#include "dio_fixture.h"

namespace mirbax::testing {
namespace {

constexpr uint32_t kFourBytes = 0x8001;      // D 4, direction bits 4 (M 1), tristate bits 1
constexpr uint32_t kLineDirections = 0x8004; // D 4, direction bits 32 (M 4), tristate bits 1
constexpr uint32_t kNoTristate = 0x8008;     // D 1, no tristate control
constexpr uint32_t kNoDigital = 0x4003;      // no digital bytes

using Bytes = std::vector<uint8_t>;

class DioConfig : public DioBoardTest {};
MIRBAX_ON_EVERY_DRIVER(DioConfig);

TEST_P(DioConfig, ConfigureSendsDataDirectionAndZeroChangeOfState) {
  Plug(kFourBytes);
  // The tristate byte travels widened as a signed byte.
  const struct {
    uint8_t tristate;
    uint16_t value;
  } cases[] = {{0x00, 0x0000}, {0x01, 0x0001}, {0x7F, 0x007F}, {0x80, 0xFF80}, {0xFF, 0xFFFF}};
  const Bytes data = {0x11, 0x22, 0x33, 0x44};
  const uint8_t outMask = 0x05;
  for (const auto &c : cases) {
    MIRBAXSIM_ClearLog(board_);
    ASSERT_EQ(DIO_Configure(0, c.tristate, &outMask, data.data()), 0u);
    EXPECT_EQ(Log(board_), std::vector<std::string>{WriteLine(
                               0x12, c.value, 0, {0x11, 0x22, 0x33, 0x44, 0x05, 0x00})});
  }
  EXPECT_EQ(Dev[0].LastDIOData, data);
}

TEST_P(DioConfig, ConfigureExSendsTheTristateMaskAndTheByteCountAsIndex) {
  Plug(kLineDirections);
  const Bytes data = {1, 2, 3, 4}, outMask = {0xF0, 0x0F, 0xFF, 0x00};
  const uint8_t tristate = 0x01;
  ASSERT_EQ(DIO_ConfigureEx(0, outMask.data(), data.data(), &tristate), 0u);
  EXPECT_EQ(Log(board_), std::vector<std::string>{
                             WriteLine(0x12, 0, 4, {1, 2, 3, 4, 0xF0, 0x0F, 0xFF, 0x00, 0x01})});
  EXPECT_EQ(Dev[0].LastDIOData, data);

  // The board holds the set-up; the query reads it back, directions first.
  MIRBAXSIM_ClearLog(board_);
  Bytes queried(4, 0xEE);
  uint8_t queriedTristate = 0xEE;
  ASSERT_EQ(DIO_ConfigurationQuery(0, queried.data(), &queriedTristate), 0u);
  EXPECT_EQ(queried, outMask);
  EXPECT_EQ(queriedTristate, tristate);
  const std::vector<std::string> log = Log(board_);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], ReadHead(0x13, 0, 4, 5) + " f00fff0001");
}

TEST_P(DioConfig, MaskedConfigurationWithNoPointersSendsTheDefaults) {
  Plug(kFourBytes);
  ASSERT_EQ(DIO_ConfigureMasked(0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0u);
  // Outs mask, outs, data mask, data, tristate mask, tristates.
  EXPECT_EQ(Log(board_), std::vector<std::string>{WriteLine(
                             0x1F, 0, 0, {0x00, 0x00, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00})});
  EXPECT_EQ(Dev[0].LastDIOData, Bytes(4, 0xFF));
}

TEST_P(DioConfig, MaskedConfigurationBuildsEachPairByItsRule) {
  Plug(kFourBytes);
  const Bytes data = {1, 2, 3, 4}, dataMask = {0x0F, 0, 0, 0xF0};
  const uint8_t outs = 0x03, outsMask = 0x01, tristates = 0x01;
  struct Case {
    const char *what;
    const void *pOuts, *pOutsMask, *pData, *pDataMask, *pTristates, *pTristatesMask;
    Bytes record, mirror;
  };
  const Case cases[] = {
      {"only data: every data bit applies", nullptr, nullptr, data.data(), nullptr, nullptr,
       nullptr, {0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4, 0xFF, 0}, data},
      {"data mask without data: default values under the mask", nullptr, nullptr, nullptr,
       dataMask.data(), nullptr, nullptr,
       {0, 0, 0x0F, 0, 0, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0}, Bytes(4, 0xFF)},
      {"every pair given", &outs, &outsMask, data.data(), dataMask.data(), &tristates,
       &tristates, {0x01, 0x03, 0x0F, 0, 0, 0xF0, 1, 2, 3, 4, 0x01, 0x01}, data},
      {"only tristate values: all of them apply", nullptr, nullptr, nullptr, nullptr,
       &tristates, nullptr, {0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01},
       Bytes(4, 0xFF)},
  };
  for (const Case &c : cases) {
    MIRBAXSIM_ClearLog(board_);
    ASSERT_EQ(DIO_ConfigureMasked(0, c.pOuts, c.pOutsMask, c.pData, c.pDataMask, c.pTristates,
                                  c.pTristatesMask),
              0u)
        << c.what;
    EXPECT_EQ(Log(board_), std::vector<std::string>{WriteLine(0x1F, 0, 0, c.record)}) << c.what;
    EXPECT_EQ(Dev[0].LastDIOData, c.mirror) << c.what;
  }
}

TEST_P(DioConfig, RefusalsComeInOrderAndSendNothing) {
  Plug(kNoTristate);
  const Bytes bytes(8, 0);
  // A board without tristate control: the functions that need it refuse.
  EXPECT_EQ(DIO_ConfigureEx(0, bytes.data(), bytes.data(), bytes.data()),
            MIRBAX_ERROR_BAD_TOKEN_TYPE);
  Bytes out(8);
  EXPECT_EQ(DIO_ConfigurationQuery(0, out.data(), out.data()), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DIO_ConfigureMasked(0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
            MIRBAX_ERROR_BAD_TOKEN_TYPE);
  // The plain configuration does not need it, but its pointers.
  EXPECT_EQ(DIO_Configure(0, 0, nullptr, bytes.data()), MIRBAX_ERROR_INVALID_PARAMETER);
  EXPECT_EQ(DIO_Configure(0, 0, bytes.data(), nullptr), MIRBAX_ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_P(DioConfig, ABoardWithoutDigitalBytesRefusesEveryConfiguration) {
  Plug(kNoDigital);
  const Bytes bytes(8, 0);
  EXPECT_EQ(DIO_Configure(0, 0, nullptr, nullptr), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DIO_ConfigureEx(0, nullptr, nullptr, nullptr), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DIO_ConfigureMasked(0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
            MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_P(DioConfig, NullQueryPointersAreRefusedOnATristateBoard) {
  Plug(kFourBytes);
  uint8_t byte = 0;
  EXPECT_EQ(DIO_ConfigurationQuery(0, nullptr, &byte), MIRBAX_ERROR_INVALID_PARAMETER);
  EXPECT_EQ(DIO_ConfigurationQuery(0, &byte, nullptr), MIRBAX_ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(Log(board_).empty());
}

}  // namespace
}  // namespace mirbax::testing
