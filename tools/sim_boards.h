// --sim PID[:driver]...: simulated boards for the tool to run on.
#pragma once

#include <string>
#include <vector>

namespace mirbax::tool {

// Attaches one simulated board per "PID[:driver]" word (PID in hex, driver
// 1 WinUSB, 2 or 3 CyUSB; default 3).  False with a message on a bad word.
bool AttachSimulatedBoards(const std::vector<std::string> &specs, std::string &error);

}  // namespace mirbax::tool
