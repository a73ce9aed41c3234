// mirbax dac play: a waveform from a CSV file on simulated boards.
#include <gtest/gtest.h>

#include "tool_runner.h"

namespace mirbax::testing {
namespace {

TEST(ToolDacPlay, PlaysACsvWaveformOnTheBoardKinds) {
  ScratchDirectory directory;
  WriteFile(directory.File("two.csv"), "0,4095\r\n1024,3072\n\n2048,2048\n4095,0\n");
  WriteFile(directory.File("one.csv"), "1\n2\n3\n");
  const ToolRun fifo =
      RunTool({"--sim", "4001", "dac", "play", directory.File("two.csv"), "--rate", "100000"});
  EXPECT_EQ(fifo.exitCode, 0) << fifo.err;
  EXPECT_EQ(fifo.out, "played 4 points on 2 channels at 100000.000 Hz\n");
  const ToolRun stream = RunTool({"--sim", "800C", "dac", "play", directory.File("one.csv"),
                                  "--rate", "1048576"});
  EXPECT_EQ(stream.exitCode, 0) << stream.err;
  EXPECT_EQ(stream.out, "played 3 points on 1 channel at 1048576.000 Hz\n");
}

TEST(ToolDacPlay, RefusesWhatCannotBePlayed) {
  ScratchDirectory directory;
  WriteFile(directory.File("ragged.csv"), "1,2\n3\n");
  WriteFile(directory.File("two.csv"), "1,2\n3,4\n");
  const ToolRun ragged = RunTool({"--sim", "4001", "dac", "play", directory.File("ragged.csv")});
  EXPECT_EQ(ragged.exitCode, 2);
  EXPECT_NE(ragged.err.find("1 columns, the first line has 2"), std::string::npos) << ragged.err;
  // One DAC through the digital stream: two channels are too many.
  const ToolRun tooMany = RunTool({"--sim", "800C", "dac", "play", directory.File("two.csv")});
  EXPECT_EQ(tooMany.exitCode, 1);
  EXPECT_NE(tooMany.err.find("DACOutputSetCount: 14"), std::string::npos) << tooMany.err;
  const ToolRun none = RunTool({"--sim", "4003", "dac", "play", directory.File("two.csv")});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_NE(none.err.find("DACOutputOpen: 1349"), std::string::npos) << none.err;
  EXPECT_EQ(RunTool({"--sim", "4001", "dac", "play", directory.File("missing.csv")}).exitCode, 2);
}

}  // namespace
}  // namespace mirbax::testing
