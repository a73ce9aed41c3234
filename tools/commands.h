// The subcommands of the mirbax tool.  Each takes its own arguments (after
// the subcommand name) and returns the process exit code.
#pragma once

#include <string>
#include <vector>

namespace mirbax::tool {

// Exit codes scripts can rely on.
enum ExitCode : int {
  kExitOk = 0,
  kExitLibraryError = 1,  // a library call failed (its code and text are on stderr)
  kExitUsage = 2,         // bad command line
  kExitDataLost = 3,      // acquire: samples were lost or the stream ended early
};

int ListCommand(const std::vector<std::string> &args);
int InfoCommand(const std::vector<std::string> &args);
int DioCommand(const std::vector<std::string> &args);
int CounterCommand(const std::vector<std::string> &args);
int EepromCommand(const std::vector<std::string> &args);
int ScanCommand(const std::vector<std::string> &args);
int AcquireCommand(const std::vector<std::string> &args);
int DacCommand(const std::vector<std::string> &args);
int FirmwareCommand(const std::vector<std::string> &args);

}  // namespace mirbax::tool
