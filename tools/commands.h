// The subcommands of the mirbax tool.  Each takes its own arguments (after
// the subcommand name) and returns the process exit code.
#pragma once

#include <string>
#include <vector>

namespace mirbax::tool {

// Exit codes scripts can rely on.
enum ExitCode : int {
  kExitOk = 0,
  kExitLibraryError = 1,  // a library call failed
  kExitUsage = 2,         // bad command line
};

int ListCommand(const std::vector<std::string> &args);

}  // namespace mirbax::tool
