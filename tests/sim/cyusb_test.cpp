// The CyUSB driver's I/O controls and the core requests every board answers.
#include "sim_test_support.h"

namespace {

using namespace sim_test;

class CyUsbTest : public SimTest {
 protected:
  void AttachOpen(uint32_t pid, uint32_t driver = MIRBAXSIM_DRIVER_CYUSB3) {
    board_ = Attach(pid, driver);
    handle_ = Open(board_, true);
    ASSERT_NE(handle_, platform::kInvalidHandle);
  }
  uint32_t QueryWord(uint32_t code) {
    uint8_t word[4] = {};
    uint32_t returned = 0;
    EXPECT_TRUE(platform::DeviceIoControl(handle_, code, word, 4, word, 4, &returned));
    EXPECT_EQ(returned, 4u);
    return word[0] | word[1] << 8 | word[2] << 16 | uint32_t(word[3]) << 24;
  }

  uint32_t board_ = 0;
  platform::Handle handle_ = platform::kInvalidHandle;
};

TEST_F(CyUsbTest, DriverVersionPerDriverAndOption) {
  struct Case {
    uint32_t driver;
    uint64_t option;  // 0: keep the default
    uint32_t version;
  };
  const Case cases[] = {{MIRBAXSIM_DRIVER_CYUSB3, 0, 0x01020100},
                        {MIRBAXSIM_DRIVER_CYUSB2, 0, 0x01010000},
                        {MIRBAXSIM_DRIVER_CYUSB2, 0x010303E7, 0x010303E7}};
  for (const Case &c : cases) {
    AttachOpen(0x8001, c.driver);
    if (c.option) {
      ASSERT_EQ(MIRBAXSIM_SetOption(board_, "driver_version", c.option), 0u);
    }
    EXPECT_EQ(QueryWord(platform::IOCTL_ADAPT_GET_DRIVER_VERSION), c.version) << c.driver;
  }
}

TEST_F(CyUsbTest, DeviceSpeedFollowsHighSpeedOption) {
  AttachOpen(0x8001);
  EXPECT_EQ(QueryWord(platform::IOCTL_ADAPT_GET_DEVICE_SPEED), 2u);
  ASSERT_EQ(MIRBAXSIM_SetOption(board_, "high_speed", 0), 0u);
  EXPECT_EQ(QueryWord(platform::IOCTL_ADAPT_GET_DEVICE_SPEED), 1u);
}

TEST_F(CyUsbTest, ShortOutputForAWordIsRefused) {
  AttachOpen(0x8001);
  uint8_t word[2] = {};
  uint32_t returned = 0;
  EXPECT_FALSE(platform::DeviceIoControl(handle_, platform::IOCTL_ADAPT_GET_DRIVER_VERSION, word, 2,
                                         word, 2, &returned));
  EXPECT_EQ(platform::GetLastError(), 122u);
}

TEST_F(CyUsbTest, DeviceDescriptorByStandardAndVendorRequest) {
  AttachOpen(0x8147);
  for (uint8_t type : {uint8_t{0x80}, uint8_t{0xC0}}) {
    const CyResult read = CyRead(handle_, 0x06, 0x0100, 0, 18, type);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.bytesReturned, 38u + 18u);
    EXPECT_EQ(read.data[0], 18);
    EXPECT_EQ(read.data[1], 1);
    EXPECT_EQ(read.data[10] | read.data[11] << 8, 0x8147);
    EXPECT_EQ(read.data[15], 2);  // iProduct
  }
}

TEST_F(CyUsbTest, ProductStringAsUtf16) {
  AttachOpen(0x8001);
  ASSERT_EQ(MIRBAXSIM_SetProductName(board_, "DIO-32\xC3\xA9"), 0u);  // "DIO-32é"
  const CyResult read = CyRead(handle_, 0x06, 0x0302, 0, 64);
  ASSERT_TRUE(read.ok);
  const std::vector<uint8_t> expected = {16,  3, 'D', 0, 'I', 0, 'O',  0,
                                         '-', 0, '3', 0, '2', 0, 0xE9, 0};
  EXPECT_EQ(read.bytesReturned, 38u + expected.size());
  EXPECT_EQ(std::vector<uint8_t>(read.data.begin(), read.data.begin() + 16), expected);
  // Bytes past the answer are left as they were.
  EXPECT_EQ(read.data[16], 0xEE);
}

TEST_F(CyUsbTest, DefaultProductNameAndLanguage) {
  AttachOpen(0x80ab);
  const CyResult name = CyRead(handle_, 0x06, 0x0302, 0, 255);
  ASSERT_TRUE(name.ok);
  std::string ascii;
  for (std::size_t i = 2; i < name.data[0]; i += 2) ascii += static_cast<char>(name.data[i]);
  EXPECT_EQ(ascii, "SIM-80AB");
  const CyResult language = CyRead(handle_, 0x06, 0x0300, 0, 4);
  ASSERT_TRUE(language.ok);
  EXPECT_EQ(language.data, (std::vector<uint8_t>{4, 3, 0x09, 0x04}));
}

TEST_F(CyUsbTest, ShortReadReportsOnlyTheRequestedBytes) {
  AttachOpen(0x8001);
  const CyResult read = CyRead(handle_, 0x06, 0x0100, 0, 8);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.bytesReturned, 38u + 8u);
}

TEST_F(CyUsbTest, GenerationProbeFollowsFirmware20) {
  for (uint64_t newer : {1u, 0u}) {
    AttachOpen(0x8001);
    ASSERT_EQ(MIRBAXSIM_SetOption(board_, "firmware20", newer), 0u);
    const CyResult probe = CyRead(handle_, 0xA3, 0x8000, 1, 3);
    ASSERT_TRUE(probe.ok);
    ASSERT_EQ(probe.bytesReturned, 38u + 3u);
    const bool looksNewer = probe.data[0] != 0xFF && probe.data[0] >= 3 && (probe.data[2] & 2);
    EXPECT_EQ(looksNewer, newer == 1);
  }
}

TEST_F(CyUsbTest, CapabilityRecordDefaultsFromProductId) {
  struct Case {
    uint32_t pid;
    uint8_t dioBytes;
    uint8_t counterBlocks;
    uint8_t adcConfigBytes;
    uint8_t dacs;
  };
  const Case cases[] = {
      {0x8001, 4, 3, 0, 0}, {0x8147, 2, 1, 21, 4}, {0x8073, 2, 0, 0, 12}, {0x8013, 0, 0, 0, 0}};
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.pid);
    AttachOpen(c.pid);
    const CyResult pnp = CyRead(handle_, 0x3F, 0, 0, 15);
    ASSERT_TRUE(pnp.ok);
    ASSERT_EQ(pnp.bytesReturned, 38u + 15u);
    EXPECT_EQ(pnp.data[0], 15);  // PNPSize
    EXPECT_EQ(pnp.data[3], c.adcConfigBytes);
    EXPECT_EQ(pnp.data[5], c.dioBytes);
    EXPECT_EQ(pnp.data[6], c.counterBlocks);
    EXPECT_EQ(pnp.data[7], c.dacs);
    EXPECT_EQ(pnp.data[14], 1);  // HasDIOWrite1
  }
}

TEST_F(CyUsbTest, CapabilityRecordFromRegion) {
  AttachOpen(0x8001);
  const uint8_t invalid = 0xFF;
  ASSERT_EQ(MIRBAXSIM_Poke(board_, "pnp", 0, &invalid, 1), 0u);
  const CyResult pnp = CyRead(handle_, 0x3F, 0, 0, 15);
  ASSERT_TRUE(pnp.ok);
  EXPECT_EQ(pnp.data[0], 0xFF);
}

TEST_F(CyUsbTest, EepromWriteThenReadAndSerialNumber) {
  AttachOpen(0x8001);
  ASSERT_EQ(MIRBAXSIM_SetOption(board_, "serial", 0x1122334455667788ull), 0u);
  const CyResult serial = CyRead(handle_, 0xA2, 0x1DF8, 0, 8);
  ASSERT_TRUE(serial.ok);
  EXPECT_EQ(serial.data, (std::vector<uint8_t>{0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11}));

  ASSERT_TRUE(CyWrite(handle_, 0xA2, 0x1E00, 0, {1, 2, 3}).ok);
  uint8_t peeked[3] = {};
  ASSERT_EQ(MIRBAXSIM_Peek(board_, "eeprom", 0x1E00, peeked, 3), 0u);
  EXPECT_EQ(std::vector<uint8_t>(peeked, peeked + 3), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(CyRead(handle_, 0xA2, 0x1E00, 0, 3).data, (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(CyUsbTest, DefaultSerialNumbersAreDistinctAndProgrammed) {
  const uint32_t a = Attach(0x8001, MIRBAXSIM_DRIVER_CYUSB3);
  const uint32_t b = Attach(0x8001, MIRBAXSIM_DRIVER_CYUSB3);
  uint64_t serialA = 0, serialB = 0;
  ASSERT_EQ(MIRBAXSIM_Peek(a, "eeprom", 0x1DF8, &serialA, 8), 0u);
  ASSERT_EQ(MIRBAXSIM_Peek(b, "eeprom", 0x1DF8, &serialB, 8), 0u);
  EXPECT_NE(serialA, 0u);
  EXPECT_NE(serialA, ~0ull);
  EXPECT_NE(serialA, serialB);
  uint64_t option = 0;
  ASSERT_EQ(MIRBAXSIM_GetOption(a, "serial", &option), 0u);
  EXPECT_EQ(option, serialA);
}

TEST_F(CyUsbTest, MemoryEdges) {
  AttachOpen(0x8001);
  struct Case {
    const char *what;
    uint8_t request;
    uint16_t address;
    uint16_t length;
    bool read;
    bool ok;
    uint32_t bytes;  // data bytes answered (reads)
  };
  const Case cases[] = {
      {"eeprom read up to the end", 0xA2, 0x1FFE, 2, true, true, 2},
      {"eeprom read past the end is cut", 0xA2, 0x1FFE, 4, true, true, 2},
      {"eeprom read beyond the end stalls", 0xA2, 0x2000, 1, true, false, 0},
      {"eeprom write past the end stalls", 0xA2, 0x1FFF, 2, false, false, 0},
      {"ram read at the top", 0xA3, 0xFFFF, 1, true, true, 1},
      {"ram write past the end stalls", 0xA0, 0xFFFF, 2, false, false, 0},
  };
  for (const Case &c : cases) {
    const CyResult result =
        c.read ? CyRead(handle_, c.request, c.address, 0, c.length)
               : CyWrite(handle_, c.request, c.address, 0, std::vector<uint8_t>(c.length, 0x5A));
    EXPECT_EQ(result.ok, c.ok) << c.what;
    if (c.ok && c.read) {
      EXPECT_EQ(result.bytesReturned, 38u + c.bytes) << c.what;
    }
    if (!c.ok) {
      EXPECT_EQ(result.error, 31u) << c.what;
    }
  }
  uint8_t last = 0;
  ASSERT_EQ(MIRBAXSIM_Peek(board_, "eeprom", 0x1FFF, &last, 1), 0u);
  EXPECT_EQ(last, 0) << "a stalled write changes nothing";
}

TEST_F(CyUsbTest, CpuResetRegisterHoldsWhatWasWritten) {
  AttachOpen(0x8001);
  ASSERT_TRUE(CyWrite(handle_, 0xA0, 0xE600, 0, {1}).ok);
  uint8_t reset = 0;
  ASSERT_EQ(MIRBAXSIM_Peek(board_, "ram", 0xE600, &reset, 1), 0u);
  EXPECT_EQ(reset, 1);
  ASSERT_TRUE(CyWrite(handle_, 0xA0, 0xE600, 0, {0}).ok);
  ASSERT_EQ(MIRBAXSIM_Peek(board_, "ram", 0xE600, &reset, 1), 0u);
  EXPECT_EQ(reset, 0);
}

TEST_F(CyUsbTest, UnknownRequestsStall) {
  AttachOpen(0x8001);
  for (uint8_t request : {uint8_t{0x7E}, uint8_t{0x99}, uint8_t{0xFF}}) {
    const CyResult write = CyWrite(handle_, request, 0, 0, {0});
    EXPECT_FALSE(write.ok);
    EXPECT_EQ(write.error, 31u);
    const CyResult read = CyRead(handle_, request, 0, 0, 2);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.error, 31u);
  }
  // Writes to read-only requests stall too.
  EXPECT_EQ(CyWrite(handle_, 0x3F, 0, 0, {1}).error, 31u);
  EXPECT_EQ(CyWrite(handle_, 0x06, 0x0100, 0, {1}).error, 31u);
}

TEST_F(CyUsbTest, LogShowsControlTransfersAsTheyCrossedTheBus) {
  AttachOpen(0x8001);
  ASSERT_TRUE(CyWrite(handle_, 0xA2, 0x1E00, 0, {0xff, 0x08}).ok);
  ASSERT_TRUE(CyRead(handle_, 0xA2, 0x1E00, 0, 2).ok);
  ASSERT_TRUE(CyWrite(handle_, 0xA0, 0xE600, 0, {}).ok);
  ASSERT_FALSE(CyRead(handle_, 0x77, 0x1234, 0xABCD, 4).ok);
  EXPECT_EQ(LogLines(board_), (std::vector<std::string>{
                                  "C 40 a2 1e00 0000 0002 ff08",
                                  "C c0 a2 1e00 0000 0002 ff08",
                                  "C 40 a0 e600 0000 0000",
                                  "C c0 77 1234 abcd 0004",
                              }));
}

TEST_F(CyUsbTest, TransfersOnADetachedBoardFail) {
  AttachOpen(0x8001);
  ASSERT_EQ(MIRBAXSIM_Detach(board_), 0u);
  EXPECT_EQ(CyRead(handle_, 0x06, 0x0100, 0, 18).error, 1167u);
  EXPECT_EQ(CyBulk(handle_, 0x86, std::vector<uint8_t>(4)).error, 1167u);
  uint8_t pipe = 0x86;
  EXPECT_FALSE(platform::DeviceIoControl(handle_, platform::IOCTL_ADAPT_ABORT_PIPE, &pipe, 1,
                                         nullptr, 0, nullptr));
  EXPECT_EQ(platform::GetLastError(), 1167u);
}

TEST_F(CyUsbTest, BadIoControlsAreRefused) {
  AttachOpen(0x8001);
  uint8_t shortHeader[10] = {};
  uint32_t returned = 0;
  EXPECT_FALSE(platform::DeviceIoControl(handle_, platform::IOCTL_ADAPT_SEND_EP0_CONTROL_TRANSFER,
                                         shortHeader, 10, shortHeader, 10, &returned));
  EXPECT_EQ(platform::GetLastError(), 87u);
  EXPECT_FALSE(platform::DeviceIoControl(handle_, platform::IOCTL_ADAPT_SELECT_INTERFACE,
                                         shortHeader, 1, nullptr, 0, &returned));
  EXPECT_EQ(platform::GetLastError(), 1u);
  EXPECT_FALSE(platform::DeviceIoControl(handle_, platform::IOCTL_ADAPT_ABORT_PIPE, nullptr, 0,
                                         nullptr, 0, &returned));
  EXPECT_EQ(platform::GetLastError(), 87u);
  EXPECT_EQ(CyBulk(handle_, 0x03, std::vector<uint8_t>(4)).error, 87u);
}

TEST_F(CyUsbTest, WinUsbBoardHasNoCyUsbDriver) {
  const uint32_t board = Attach(0x8001, MIRBAXSIM_DRIVER_WINUSB);
  const platform::Handle file = Open(board, false);
  ASSERT_NE(file, platform::kInvalidHandle);
  EXPECT_EQ(CyRead(file, 0x06, 0x0100, 0, 18).error, 1u);
  EXPECT_TRUE(platform::CloseHandle(file));
}

}  // namespace
