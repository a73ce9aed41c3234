// DACSetChannelCal: calibration tables from files into the board's flash,
// and the identity table.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "dac/dac_fixture.h"
#include "common/temporary_directory.h"

namespace mirbax::testing {
namespace {

constexpr uint32_t kTableBytes = 131072;

class ChannelCalibration : public DacBoardTest {
 protected:
  void SetUp() override {
    DacBoardTest::SetUp();
    dir_ = MakeTemporaryDirectory("mirbax-dac-flash");
    OpenBoard(kSlowWaveBoard);  // 16 channels, 32 flash sectors
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    DacBoardTest::TearDown();
  }

  std::string WriteTable(const std::string &name, uint32_t lines, const std::string &lineEnd) {
    std::string text;
    for (uint32_t i = 0; i < lines; ++i) text += std::to_string((i * 7) & 0xFFFF) + lineEnd;
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  std::vector<uint16_t> FlashTable(uint32_t channel) const {
    std::vector<uint16_t> table(kTableBytes / 2);
    EXPECT_EQ(MIRBAXSIM_Peek(board_, "flash", channel * kTableBytes, table.data(), kTableBytes), 0u);
    return table;
  }

  std::string dir_;
};

TEST_F(ChannelCalibration, AFileGoesToTheChannelsTwoSectors) {
  for (const char *lineEnd : {"\n", "\r\n"}) {
    MIRBAXSIM_ClearLog(board_);
    ASSERT_EQ(DACSetChannelCal(0, 5, WriteTable("cal.txt", 65536, lineEnd).c_str()), 0u);
    const std::vector<std::string> controls = Controls();
    ASSERT_EQ(controls.size(), 2u + 32u);
    EXPECT_EQ(controls[0], "C 40 fc 0000 000a 0000");
    EXPECT_EQ(controls[1], "C 40 fc 0000 000b 0000");
    const std::vector<uint16_t> table = FlashTable(5);
    for (uint32_t i = 0; i < table.size(); ++i) ASSERT_EQ(table[i], (i * 7) & 0xFFFF) << i;
  }
}

TEST_F(ChannelCalibration, TheIdentityNamesEraseAndAskForTheIdentity) {
  for (const char *name : {":1TO1:", ":NONE:"}) {
    MIRBAXSIM_ClearLog(board_);
    ASSERT_EQ(DACSetChannelCal(0, 3, name), 0u) << name;
    EXPECT_EQ(Controls(), (std::vector<std::string>{"C 40 fc 0000 0006 0000", "C 40 fc 0000 0007 0000",
                                                    "C 40 f0 0000 0003 0000"}));
    const std::vector<uint16_t> table = FlashTable(3);
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[40000], 40000);
  }
}

TEST_F(ChannelCalibration, NamesAreCaseSensitive) {
  EXPECT_EQ(DACSetChannelCal(0, 3, ":none:"), ERROR_FILE_NOT_FOUND);  // a file of that name
  EXPECT_TRUE(Log(board_).empty());
}

TEST_F(ChannelCalibration, ABadFileErasesNothing) {
  EXPECT_EQ(DACSetChannelCal(0, 1, WriteTable("short.txt", 65535, "\n").c_str()), ERROR_HANDLE_EOF);
  const std::string bad = WriteTable("bad.txt", 65536, "\n");
  {
    std::fstream file(bad, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(0);
    file << "x";  // the first value is no longer a number
  }
  EXPECT_EQ(DACSetChannelCal(0, 1, bad.c_str()), ERROR_INVALID_DATA);
  EXPECT_EQ(DACSetChannelCal(0, 1, dir_.c_str()), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_F(ChannelCalibration, ChecksComeFirst) {
  EXPECT_EQ(DACSetChannelCal(0, 16, ":1TO1:"), ERROR_INVALID_ADDRESS);
  EXPECT_EQ(DACSetChannelCal(0, 0, nullptr), ERROR_INTERNAL_ERROR);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_F(ChannelCalibration, AFailureAfterTheEraseLeavesTheTableErased) {
  ASSERT_EQ(DACSetChannelCal(0, 2, ":1TO1:"), 0u);
  MIRBAXSIM_FailTransfersAfter(board_, 2, 1, 31);  // the first flash write
  EXPECT_EQ(DACSetChannelCal(0, 2, WriteTable("cal.txt", 65536, "\n").c_str()), 31u);
  const std::vector<uint16_t> table = FlashTable(2);
  EXPECT_EQ(table[0], 0xFFFF);
  EXPECT_EQ(table[65535], 0xFFFF);
  MIRBAXSIM_FailTransfers(board_, 1, 31);  // the first erase: nothing else is sent
  MIRBAXSIM_ClearLog(board_);
  EXPECT_EQ(DACSetChannelCal(0, 2, ":1TO1:"), 31u);
  EXPECT_TRUE(Controls().empty());
}

class ChannelCalibrationCapability : public DacBoardTest,
                                     public ::testing::WithParamInterface<uint32_t> {};

TEST_P(ChannelCalibrationCapability, BoardsWithoutTablesGive1349) {
  OpenBoard(GetParam());
  EXPECT_EQ(DACSetChannelCal(0, 0, ":1TO1:"), ERROR_BAD_TOKEN_TYPE);
  EXPECT_TRUE(Log(board_).empty());
}

INSTANTIATE_TEST_SUITE_P(Boards, ChannelCalibrationCapability,
                         ::testing::Values(kImmediateBoard, kRangeAdcBoard, kStreamDacBoard));

}  // namespace
}  // namespace mirbax::testing
