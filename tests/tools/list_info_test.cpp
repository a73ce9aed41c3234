// mirbax list and info, on real boards (through libusb) and simulated ones.
#include <gtest/gtest.h>

#include "tool_runner.h"

namespace mirbax::testing {
namespace {

// libmirbax.so through libusb.  A build without a vendor ID sees no board
// on any machine; with one, a board may be attached, and only a clean run
// is asked for.
TEST(ToolList, RealBoardsThroughLibusb) {
  const ToolRun run = RunTool({"list"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(run.err.empty()) << run.err;
  if (std::string(MIRBAX_USB_VENDOR_ID_HEX).empty()) EXPECT_EQ(run.out, "No boards found.\n");
}

TEST(ToolList, SimulatedBoardsInEntryOrderCyUsbBeforeWinUsb) {
  const ToolRun run = RunTool({"--sim", "8040:1", "8001", "8147:2", "list"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 4u) << run.out;
  EXPECT_EQ(lines[0].rfind("entry PID    name", 0), 0u);
  // CyUSB-bound boards are linked first.
  EXPECT_EQ(lines[1].substr(0, 12), "0     8001  ");
  EXPECT_EQ(lines[2].substr(0, 12), "1     8147  ");
  EXPECT_EQ(lines[3].substr(0, 12), "2     8040  ");
  EXPECT_TRUE(Contains(lines[1], "32 DIO lines, 9 counters")) << lines[1];
}

TEST(ToolList, NoSimulatedBoards) {
  const ToolRun run = RunTool({"--sim", "list"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "No boards found.\n");
}

TEST(ToolInfo, ShowsTheBoardsIdentity) {
  const ToolRun run = RunTool({"--sim", "8002", "8001", "info", "-d", "1"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "entry          1\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "product ID     8001\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "digital bytes  4 (32 lines)\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "counters       3 blocks of 3\n")) << run.out;
}

// A failed call is named, with its code and text, and gives exit code 1.
TEST(ToolInfo, AFailedCallIsReportedWithItsCodeAndText) {
  const ToolRun noBoard = RunTool({"--sim", "8001", "info", "-d", "5"});
  EXPECT_EQ(noBoard.exitCode, 1);
  EXPECT_EQ(noBoard.err, "mirbax info: QueryDeviceInfo: 2 (no board at that index)\n");
  const ToolRun twoBoards = RunTool({"--sim", "8001", "8002", "info", "-d", "only"});
  EXPECT_EQ(twoBoards.exitCode, 1);
  EXPECT_EQ(twoBoards.err, "mirbax info: ResolveDeviceIndex: 52 (more than one board matches)\n");
}

TEST(ToolInfo, WinUsbBoardsListTheirPipes) {
  const ToolRun run = RunTool({"--sim", "8040:1", "info"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "pipes          ")) << run.out;
  EXPECT_TRUE(Contains(run.out, "86 bulk")) << run.out;
}

}  // namespace
}  // namespace mirbax::testing
