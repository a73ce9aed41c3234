#include "sim_boards.h"

#include <mirbax_sim.h>

#include <cstdlib>

namespace mirbax::tool {

namespace {

bool ParseHex(const std::string &text, uint32_t &value) {
  if (text.empty() || text.size() > 4) return false;
  char *end = nullptr;
  value = uint32_t(std::strtoul(text.c_str(), &end, 16));
  return *end == '\0';
}

}  // namespace

bool AttachSimulatedBoards(const std::vector<std::string> &specs, std::string &error) {
  for (const std::string &spec : specs) {
    const auto colon = spec.find(':');
    uint32_t pid = 0;
    uint32_t driver = MIRBAXSIM_DRIVER_CYUSB3;
    bool ok = ParseHex(spec.substr(0, colon), pid);
    if (ok && colon != std::string::npos) {
      const std::string driverText = spec.substr(colon + 1);
      ok = driverText == "1" || driverText == "2" || driverText == "3";
      if (ok) driver = uint32_t(driverText[0] - '0');
    }
    if (!ok) {
      error = "bad simulated board '" + spec + "': want PID[:driver], PID in hex, driver 1-3";
      return false;
    }
    uint32_t board = 0;
    if (MIRBAXSIM_Attach(pid, driver, &board) != 0) {
      error = "cannot attach simulated board '" + spec + "'";
      return false;
    }
  }
  return true;
}

}  // namespace mirbax::tool
