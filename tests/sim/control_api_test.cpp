// The control API: argument checks, regions, options, product name, log and
// message texts, and the family hooks.
#include <cstring>

#include "sim_test_support.h"

namespace {

using namespace sim_test;

class ControlApiTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    board_ = Attach(0x8001, MIRBAXSIM_DRIVER_CYUSB3);
  }
  uint32_t board_ = 0;
};

TEST_F(ControlApiTest, NullPointersGive87) {
  uint32_t size = 0;
  uint64_t value = 0;
  EXPECT_EQ(MIRBAXSIM_SetOption(board_, nullptr, 1), 87u);
  EXPECT_EQ(MIRBAXSIM_GetOption(board_, nullptr, &value), 87u);
  EXPECT_EQ(MIRBAXSIM_GetOption(board_, "serial", nullptr), 87u);
  EXPECT_EQ(MIRBAXSIM_SetProductName(board_, nullptr), 87u);
  EXPECT_EQ(MIRBAXSIM_Poke(board_, nullptr, 0, &value, 1), 87u);
  EXPECT_EQ(MIRBAXSIM_Poke(board_, "eeprom", 0, nullptr, 1), 87u);
  EXPECT_EQ(MIRBAXSIM_Peek(board_, "eeprom", 0, nullptr, 1), 87u);
  EXPECT_EQ(MIRBAXSIM_SetDigitalInputs(board_, nullptr, 1), 87u);
  EXPECT_EQ(MIRBAXSIM_GetDACOutput(board_, 0, nullptr), 87u);
  EXPECT_EQ(MIRBAXSIM_GetLog(board_, nullptr, nullptr), 87u);
  EXPECT_EQ(MIRBAXSIM_GetMessages(nullptr, nullptr), 87u);
  EXPECT_EQ(MIRBAXSIM_GetDevicePath(board_, nullptr, nullptr), 87u);
  EXPECT_EQ(MIRBAXSIM_GetOpenHandleCount(board_, nullptr), 87u);
  size = 100;
  EXPECT_EQ(MIRBAXSIM_GetLog(board_, nullptr, &size), 87u);
}

TEST_F(ControlApiTest, UnknownBoardGives2) {
  const uint32_t unknown = board_ + 1000;
  uint8_t byte = 0;
  uint16_t counts = 0;
  uint32_t size = 0;
  EXPECT_EQ(MIRBAXSIM_Detach(unknown), 2u);
  EXPECT_EQ(MIRBAXSIM_SetOption(unknown, "serial", 1), 2u);
  EXPECT_EQ(MIRBAXSIM_SetProductName(unknown, "x"), 2u);
  EXPECT_EQ(MIRBAXSIM_Poke(unknown, "eeprom", 0, &byte, 1), 2u);
  EXPECT_EQ(MIRBAXSIM_Peek(unknown, "eeprom", 0, &byte, 1), 2u);
  EXPECT_EQ(MIRBAXSIM_SetAnalogInput(unknown, 0, 1), 2u);
  EXPECT_EQ(MIRBAXSIM_SetDigitalInputs(unknown, &byte, 1), 2u);
  EXPECT_EQ(MIRBAXSIM_GetDACOutput(unknown, 0, &counts), 2u);
  EXPECT_EQ(MIRBAXSIM_WriteBulkIn(unknown, 0x86, &byte, 1), 2u);
  EXPECT_EQ(MIRBAXSIM_ReadBulkOut(unknown, 0x02, &byte, &size), 2u);
  EXPECT_EQ(MIRBAXSIM_FailTransfers(unknown, 1, 31), 2u);
  EXPECT_EQ(MIRBAXSIM_GetLog(unknown, nullptr, &size), 2u);
  EXPECT_EQ(MIRBAXSIM_ClearLog(unknown), 2u);
}

TEST_F(ControlApiTest, RegionBounds) {
  struct Case {
    const char *region;
    uint32_t address;
    uint32_t size;
    uint32_t result;
  };
  const Case cases[] = {
      {"eeprom", 0, 8192, 0},  {"eeprom", 8191, 1, 0},  {"eeprom", 8192, 0, 0},
      {"eeprom", 8192, 1, 87}, {"eeprom", 1, 8192, 87}, {"eeprom", 0xFFFFFFFF, 2, 87},
      {"ram", 0, 65536, 0},    {"ram", 0xE600, 1, 0},   {"ram", 65536, 1, 87},
      {"pnp", 0, 15, 0},       {"pnp", 0, 16, 87},      {"nothing", 0, 1, 87},
      {"EEPROM", 0, 1, 87},
  };
  std::vector<uint8_t> buffer(65536, 0x3C);
  for (const Case &c : cases) {
    EXPECT_EQ(MIRBAXSIM_Poke(board_, c.region, c.address, buffer.data(), c.size), c.result)
        << c.region << " " << c.address << "+" << c.size;
    EXPECT_EQ(MIRBAXSIM_Peek(board_, c.region, c.address, buffer.data(), c.size), c.result)
        << c.region << " " << c.address << "+" << c.size;
  }
}

TEST_F(ControlApiTest, PokeThenPeek) {
  const uint8_t data[4] = {0xDE, 0xAD, 0xBE, 0xEF};
  ASSERT_EQ(MIRBAXSIM_Poke(board_, "ram", 0x1000, data, 4), 0u);
  uint8_t back[6] = {};
  ASSERT_EQ(MIRBAXSIM_Peek(board_, "ram", 0x0FFF, back, 6), 0u);
  EXPECT_EQ(std::vector<uint8_t>(back, back + 6),
            (std::vector<uint8_t>{0, 0xDE, 0xAD, 0xBE, 0xEF, 0}));
}

TEST_F(ControlApiTest, Options) {
  struct Case {
    const char *name;
    uint64_t defaultValue;
  };
  const Case cases[] = {{"firmware20", 1},         {"high_speed", 1},
                        {"cal_supported", 1},      {"sample_rate", 0},
                        {"adc_pattern", 0},        {"driver_version", 0x01020100},
                        {"bulk_timeout_ms", 42000}};
  for (const Case &c : cases) {
    uint64_t value = 0xABCD;
    ASSERT_EQ(MIRBAXSIM_GetOption(board_, c.name, &value), 0u) << c.name;
    EXPECT_EQ(value, c.defaultValue) << c.name;
    ASSERT_EQ(MIRBAXSIM_SetOption(board_, c.name, 7), 0u) << c.name;
    ASSERT_EQ(MIRBAXSIM_GetOption(board_, c.name, &value), 0u) << c.name;
    EXPECT_EQ(value, 7u) << c.name;
  }
  uint64_t value = 0;
  EXPECT_EQ(MIRBAXSIM_SetOption(board_, "no_such_option", 1), 87u);
  EXPECT_EQ(MIRBAXSIM_GetOption(board_, "no_such_option", &value), 87u);
}

TEST_F(ControlApiTest, SerialOptionZeroMeansUnprogrammed) {
  ASSERT_EQ(MIRBAXSIM_SetOption(board_, "serial", 0), 0u);
  uint64_t stored = 1;
  ASSERT_EQ(MIRBAXSIM_Peek(board_, "eeprom", 0x1DF8, &stored, 8), 0u);
  EXPECT_EQ(stored, 0u);
}

TEST_F(ControlApiTest, FamilyHooksReportMissingModels) {
  const uint8_t levels[2] = {0xFF, 0x00};
  uint16_t counts = 0;
  EXPECT_EQ(MIRBAXSIM_SetAnalogInput(board_, 0, 1234), 50u);
  EXPECT_EQ(MIRBAXSIM_SetDigitalInputs(board_, levels, 2), 0u);  // modelled
  EXPECT_EQ(MIRBAXSIM_GetDACOutput(board_, 0, &counts), 50u);
}

TEST_F(ControlApiTest, LogTextSizes) {
  const platform::Handle handle = Open(board_, true);
  ASSERT_TRUE(CyRead(handle, 0x3F, 0, 0, 1).ok);
  const std::string expected = "C c0 3f 0000 0000 0001 0f\n";
  uint32_t size = 0;
  ASSERT_EQ(MIRBAXSIM_GetLog(board_, nullptr, &size), 122u);
  EXPECT_EQ(size, expected.size() + 1);
  std::vector<char> text(size);
  size = static_cast<uint32_t>(expected.size());  // one byte short: no room for the NUL
  EXPECT_EQ(MIRBAXSIM_GetLog(board_, text.data(), &size), 122u);
  size = static_cast<uint32_t>(text.size());
  ASSERT_EQ(MIRBAXSIM_GetLog(board_, text.data(), &size), 0u);
  EXPECT_EQ(std::string(text.data()), expected);
  ASSERT_EQ(MIRBAXSIM_ClearLog(board_), 0u);
  size = 0;
  EXPECT_EQ(MIRBAXSIM_GetLog(board_, nullptr, &size), 122u);
  EXPECT_EQ(size, 1u);
  platform::CloseHandle(handle);
}

TEST_F(ControlApiTest, MessagesAreRecordedAndReset) {
  platform::MessageBox("MIRBAX_UploadD15LoFirmwaresByPID", "Device PID zz12 not hex!", 48);
  platform::MessageBox("caption", "second", 0);
  uint32_t size = 256;
  char text[256];
  ASSERT_EQ(MIRBAXSIM_GetMessages(text, &size), 0u);
  EXPECT_STREQ(text,
               "MIRBAX_UploadD15LoFirmwaresByPID\tDevice PID zz12 not hex!\t48\n"
               "caption\tsecond\t0\n");
  EXPECT_EQ(size, std::strlen(text) + 1);
  ASSERT_EQ(MIRBAXSIM_Reset(), 0u);
  size = sizeof text;
  ASSERT_EQ(MIRBAXSIM_GetMessages(text, &size), 0u);
  EXPECT_STREQ(text, "");
}

}  // namespace
