// --sim PID[:driver]...: simulated boards for the tool to run on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mirbax::tool {

// Attaches one simulated board per "PID[:driver]" word: PID in hex; driver
// 1 WinUSB, 2 or 3 CyUSB (default 3), or "loader" for a board waiting for
// firmware under that product ID.  False with a message on a bad word.
bool AttachSimulatedBoards(const std::vector<std::string> &specs, std::string &error);

// The handles of the simulated boards attached, in command-line order.
const std::vector<uint32_t> &SimulatedBoards();

}  // namespace mirbax::tool
