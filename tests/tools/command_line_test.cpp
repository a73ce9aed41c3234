// The tool's command line: help for every subcommand, and exit code 2 with a
// message for every kind of bad command line.
#include <gtest/gtest.h>

#include "tool_runner.h"

namespace mirbax::testing {
namespace {

const char *const kCommands[] = {"list",    "info", "dio", "counter", "eeprom",
                                 "scan",    "acquire", "dac", "firmware"};

TEST(ToolCommandLine, EverySubcommandHasHelp) {
  for (const char *command : kCommands) {
    for (const char *flag : {"--help", "-h"}) {
      const ToolRun run = RunTool({command, flag});
      EXPECT_EQ(run.exitCode, 0) << command;
      EXPECT_TRUE(Contains(run.out, std::string("usage: mirbax ") + command)) << command << run.out;
      EXPECT_TRUE(run.err.empty()) << command << run.err;
    }
  }
}

TEST(ToolCommandLine, TheToolsHelpListsEverySubcommandAndTheExitCodes) {
  const ToolRun run = RunTool({"--help"});
  EXPECT_EQ(run.exitCode, 0);
  for (const char *command : kCommands)
    EXPECT_TRUE(Contains(run.out, std::string("\n  ") + command + " ")) << command;
  EXPECT_TRUE(Contains(run.out, "exit codes: 0 success, 1 a library call failed, 2 bad command line"));
}

struct BadLine {
  std::vector<std::string> args;
  const char *message;
};

TEST(ToolCommandLine, BadCommandLinesExitWithTwoAndSayWhy) {
  const BadLine kBad[] = {
      {{}, "usage: mirbax"},
      {{"frobnicate"}, "unknown command 'frobnicate'"},
      {{"--sim", "xyz", "list"}, "bad simulated board 'xyz'"},
      {{"--sim", "8001:7", "list"}, "bad simulated board '8001:7'"},
      {{"--sim", "8001", "list", "extra"}, "unexpected argument 'extra'"},
      {{"--sim", "8001", "info", "--bogus"}, "unknown option '--bogus'"},
      {{"--sim", "8001", "info", "-d", "32"}, "bad --device"},
      {{"--sim", "8001", "dio", "--device"}, "option --device needs a value"},
      {{"--sim", "8001", "dio"}, "want read, write or config"},
      {{"--sim", "8001", "dio", "write", "--bit", "3", "2"}, "want: write --bit N 0|1"},
      {{"--sim", "8001", "dio", "write", "00ff"}, "4 bytes for this board"},
      {{"--sim", "8001", "counter", "load", "0", "1", "70000"}, "want: load BLOCK COUNTER VALUE"},
      {{"--sim", "8001", "counter", "freq", "0", "-5"}, "want: freq BLOCK HZ"},
      {{"--sim", "8001", "eeprom", "write", "0", "zz"}, "want: write ADDRESS"},
      {{"--sim", "8040", "scan", "--channels", "x"}, "bad --channels 'x'"},
      {{"--sim", "8040", "acquire", "--format", "wav"}, "bad --format 'wav'"},
      {{"--sim", "8040", "acquire", "--rate", "0"}, "bad --rate '0'"},
      {{"--sim", "8040", "acquire", "--buffer", "100"}, "bad --buffer '100'"},
      {{"--sim", "8073", "dac", "set", "0"}, "want: set CHANNEL COUNTS"},
      {{"--sim", "8073", "dac", "set", "0", "65536"}, "bad pair '0 65536'"},
      {{"firmware"}, "want: firmware SCRIPT"},
      {{"firmware", "/nonexistent/script"}, "cannot read the script"},
  };
  for (const BadLine &bad : kBad) {
    const ToolRun run = RunTool(bad.args);
    std::string line;
    for (const std::string &word : bad.args) line += word + " ";
    EXPECT_EQ(run.exitCode, 2) << line << run.err;
    EXPECT_TRUE(Contains(run.err, bad.message)) << line << "\n" << run.err;
    EXPECT_TRUE(run.out.empty()) << line << run.out;
  }
}

}  // namespace
}  // namespace mirbax::testing
