// MIRBAX_UploadD15LoFirmwaresByPID against simulated boards waiting for
// firmware: the CPU held in reset, the records in RAM at their addresses,
// the CPU let run; and the message boxes of the boards it cannot load.
#include "common/last_error.h"
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "common/sim_fixture.h"
#include "core/links.h"
#include "platform/platform.h"

namespace mirbax::testing {
namespace {

constexpr char kCaption[] = "MIRBAX_UploadD15LoFirmwaresByPID";

class Loader : public SimBoardsTest {
 protected:
  void SetUp() override {
    SimBoardsTest::SetUp();
    dir_ = std::filesystem::temp_directory_path() /
           ("mirbax_loader_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    SimBoardsTest::TearDown();
  }

  std::string Image(const std::string &name, const std::string &content) {
    const std::filesystem::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }

  static uint32_t AttachLoader(const char *tag) {
    uint32_t board = 0;
    EXPECT_EQ(MIRBAXSIM_AttachLoader(tag, &board), 0u);
    return board;
  }

  static std::string Ram(uint32_t board, uint32_t address, uint32_t size) {
    std::string bytes(size, '\0');
    EXPECT_EQ(MIRBAXSIM_Peek(board, "ram", address, bytes.data(), size), 0u);
    return bytes;
  }

  static std::string Message(const std::string &text) {
    return std::string(kCaption) + "\t" + text + "\t48";
  }

  // Runs the loader; returns the count and stores the last error.
  uint32_t Upload(const std::string &script) {
    SetLastErrorValue(-1);
    const uint32_t count = MIRBAX_UploadD15LoFirmwaresByPID(script.c_str());
    lastError_ = LastErrorValue();
    return count;
  }

  std::filesystem::path dir_;
  int lastError_ = -1;
};

// Two data records, an end-of-file record.
constexpr char kImage[] =
    ":0300100011223300\r\n"
    ":02200000A5C300\r\n"
    ":00000001FF\r\n";

TEST_F(Loader, LoadsTheImageOfTheBoardsProductID) {
  const uint32_t board = AttachLoader("vid_0000&pid_0001");
  const std::string image = Image("fw.hex", kImage);
  EXPECT_EQ(Upload("8001=" + image), 1u) << "8001 and 0001 reduce to the same ID";
  EXPECT_EQ(lastError_, 0);
  EXPECT_EQ(Ram(board, 0x0010, 3), "\x11\x22\x33");
  EXPECT_EQ(Ram(board, 0x2000, 2), "\xA5\xC3");
  EXPECT_EQ(Ram(board, 0xE600, 1), std::string(1, '\0')) << "the CPU runs again";
  EXPECT_EQ(Log(board), (std::vector<std::string>{
                            "C 40 a0 e600 0000 0001 01",
                            "C 40 a0 0010 0000 0003 112233",
                            "C 40 a0 2000 0000 0002 a5c3",
                            "C 40 a0 e600 0000 0001 00",
                        }));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Loader, ClosesTheBoardAndLinksNothing) {
  const uint32_t board = AttachLoader("vid_0000&pid_0001");
  EXPECT_EQ(Upload("0001=" + Image("fw.hex", kImage)), 1u);
  uint32_t handles = 99;
  ASSERT_EQ(MIRBAXSIM_GetOpenHandleCount(board, &handles), 0u);
  EXPECT_EQ(handles, 0u);
  for (const TDeviceData &device : Dev) EXPECT_FALSE(device.bGotHandle.load());
}

TEST_F(Loader, ALineWithALeadingBlankIsIgnored) {
  const uint32_t board = AttachLoader("vid_0000&pid_0001");
  EXPECT_EQ(Upload(" 8001=" + Image("fw.hex", kImage)), 0u);
  EXPECT_EQ(lastError_, 0);
  EXPECT_EQ(Messages(), (std::vector<std::string>{Message("Device PID 0001 not recognized!")}));
  EXPECT_TRUE(Log(board).empty());
}

TEST_F(Loader, TheLastLineForAnIDWins) {
  const uint32_t board = AttachLoader("vid_0000&pid_0001");
  const std::string first = Image("first.hex", ":0100100011DE\n");
  const std::string second = Image("second.hex", ":0100100022CD\n");
  EXPECT_EQ(Upload("0001=" + first + "\r\n; a comment\r\n8001=" + second + "\r\n"), 1u);
  EXPECT_EQ(Ram(board, 0x0010, 1), "\x22");
}

TEST_F(Loader, AnImageWithABlankInARecordIsRejectedWhole) {
  const uint32_t board = AttachLoader("vid_0000&pid_0001");
  const std::string image = Image("bad.hex", ":0100100011DE\n:01001100 22CC\n");
  EXPECT_EQ(Upload("0001=" + image), 0u);
  EXPECT_EQ(Messages(), (std::vector<std::string>{Message("Device PID 0001 not recognized!")}));
  EXPECT_EQ(Ram(board, 0x0010, 1), std::string(1, '\0'));
}

TEST_F(Loader, OnlyDataRecordsAreWrittenAtTheir16BitAddresses) {
  const uint32_t board = AttachLoader("vid_0000&pid_0001");
  const std::string image = Image("ext.hex",
                                  "  :020000040001F9\n"
                                  ":02FFF0000102FE\n"
                                  ":0400000300001234B3\n"
                                  ":00000001FF\n  ");
  EXPECT_EQ(Upload("0001=" + image), 1u);
  EXPECT_EQ(Ram(board, 0xFFF0, 2), "\x01\x02") << "the extended address is ignored";
  EXPECT_EQ(ControlLines(board, 0xA0).size(), 3u) << "reset, one record, run";
}

TEST_F(Loader, LowerCaseImagesLoad) {
  const uint32_t board = AttachLoader("vid_0000&pid_0001");
  EXPECT_EQ(Upload("1=" + Image("lower.hex", ":01abcd00efbd\n")), 1u);
  EXPECT_EQ(Ram(board, 0xABCD, 1), "\xEF");
}

TEST_F(Loader, AProductIDThatIsNotHex) {
  const uint32_t board = AttachLoader("vid_0000&pid_8G01");
  EXPECT_EQ(Upload("8001=" + Image("fw.hex", kImage)), 0u);
  EXPECT_EQ(lastError_, 0);
  EXPECT_EQ(Messages(), (std::vector<std::string>{Message("Device PID 8G01 not hex!")}));
  EXPECT_TRUE(Log(board).empty());
}

TEST_F(Loader, AnEmptyScriptRecognizesNoBoard) {
  AttachLoader("vid_0000&pid_0001");
  EXPECT_EQ(Upload(""), 0u);
  EXPECT_EQ(lastError_, 0);
  EXPECT_EQ(Messages(), (std::vector<std::string>{Message("Device PID 0001 not recognized!")}));
}

TEST_F(Loader, ThePathIDIsShownAsFourUpperCaseDigits) {
  AttachLoader("vid_0000&pid_abcd");
  EXPECT_EQ(Upload(""), 0u);
  EXPECT_EQ(Messages(), (std::vector<std::string>{Message("Device PID 2BCD not recognized!")}));
}

TEST_F(Loader, APathWithoutTheTagIsPassedOverQuietly) {
  const uint32_t board = AttachLoader("vid_0000&rev_0001");
  EXPECT_EQ(Upload("0001=" + Image("fw.hex", kImage)), 0u);
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(Log(board).empty());
}

TEST_F(Loader, ABoardThatCannotBeOpened) {
  const uint32_t board = AttachLoader("vid_0000&pid_0001");
  const std::vector<std::string> paths = GetDevicePaths(D15LoClassGUID);
  ASSERT_EQ(paths.size(), 1u);
  const platform::Handle held = platform::OpenDevicePath(paths[0], /*shared=*/false);
  ASSERT_NE(held, platform::kInvalidHandle);
  EXPECT_EQ(Upload("0001=" + Image("fw.hex", kImage)), 0u);
  platform::CloseHandle(held);
  EXPECT_EQ(Messages(), (std::vector<std::string>{Message("Unable to open CyUSB device!")}));
  EXPECT_TRUE(Log(board).empty());
}

TEST_F(Loader, AFailedResetWriteSkipsTheBoard) {
  const uint32_t board = AttachLoader("vid_0000&pid_0001");
  ASSERT_EQ(MIRBAXSIM_FailTransfers(board, 1, 1167), 0u);
  EXPECT_EQ(Upload("0001=" + Image("fw.hex", kImage)), 0u);
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{Message("Error 1167 putting CPU into reset!")}));
  EXPECT_EQ(Ram(board, 0x0010, 3), std::string(3, '\0'));
  uint32_t handles = 99;
  ASSERT_EQ(MIRBAXSIM_GetOpenHandleCount(board, &handles), 0u);
  EXPECT_EQ(handles, 0u) << "the handle is closed";
}

TEST_F(Loader, FailedRecordWritesAreNotDetected) {
  const uint32_t board = AttachLoader("vid_0000&pid_0001");
  ASSERT_EQ(MIRBAXSIM_FailTransfersAfter(board, 1, 1, 31), 0u);
  EXPECT_EQ(Upload("0001=" + Image("fw.hex", kImage)), 1u) << "counted as loaded";
  EXPECT_EQ(Ram(board, 0x0010, 3), std::string(3, '\0'));
  EXPECT_EQ(Ram(board, 0x2000, 2), "\xA5\xC3");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Loader, EveryWaitingBoardGetsItsOwnImage) {
  const uint32_t one = AttachLoader("vid_0000&pid_0001");
  const uint32_t unknown = AttachLoader("vid_0000&pid_0003");
  const uint32_t two = AttachLoader("vid_0000&pid_8002");
  const std::string script = "0001=" + Image("one.hex", ":0100100011DE\n") + "\n" +
                             "0002=" + Image("two.hex", ":0100100022CD\n") + "\n";
  EXPECT_EQ(Upload(script), 2u);
  EXPECT_EQ(lastError_, 0);
  EXPECT_EQ(Ram(one, 0x0010, 1), "\x11");
  EXPECT_EQ(Ram(two, 0x0010, 1), "\x22");
  EXPECT_TRUE(Log(unknown).empty());
  EXPECT_EQ(Messages(), (std::vector<std::string>{Message("Device PID 0003 not recognized!")}));
}

TEST_F(Loader, LinkedBoardsAreNotTouched) {
  const uint32_t linked = AttachAndLink(0x8001);
  ASSERT_EQ(GetDevices(), 1u);
  MIRBAXSIM_ClearLog(linked);
  AttachLoader("vid_0000&pid_0001");
  EXPECT_EQ(Upload("0001=" + Image("fw.hex", kImage)), 1u);
  EXPECT_TRUE(Log(linked).empty());
  EXPECT_TRUE(Dev[0].bGotHandle.load());
}

TEST_F(Loader, AnUnreadableScriptEndsWithInternalError) {
  SetLastErrorValue(0);
  EXPECT_EQ(MIRBAX_UploadD15LoFirmwaresByPID(nullptr), 0u);
  EXPECT_EQ(LastErrorValue(), int(MIRBAX_ERROR_INTERNAL_ERROR));
}

TEST_F(Loader, MissingFilesAreSkippedWithoutAMessage) {
  EXPECT_EQ(Upload("0001=" + (dir_ / "missing.hex").string()), 0u);
  EXPECT_EQ(lastError_, 0);
  EXPECT_TRUE(Messages().empty()) << "no waiting board, nothing to tell";
}

TEST_F(Loader, UploadFirmwareIsNotAvailable) {
  const uint8_t image[4] = {};
  EXPECT_EQ(MIRBAX_UploadFirmware(0, image, sizeof image), MIRBAX_ERROR_NOT_SUPPORTED);
}

}  // namespace
}  // namespace mirbax::testing
