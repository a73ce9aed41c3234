#include "sim_boards.h"

#include <cstdio>
#include <cstdlib>

#include "library_api.h"

namespace mirbax::tool {

namespace {

std::vector<uint32_t> attached;

bool ParseHex(const std::string &text, uint32_t &value) {
  if (text.empty() || text.size() > 4) return false;
  char *end = nullptr;
  value = uint32_t(std::strtoul(text.c_str(), &end, 16));
  return *end == '\0';
}

// A waiting board's path ends with the product-ID tag the loader reads.
uint32_t AttachLoader(uint32_t pid, uint32_t &board) {
  char tag[32];
  std::snprintf(tag, sizeof tag, "vid_0000&pid_%04x", pid);
  return Api().MIRBAXSIM_AttachLoader(tag, &board);
}

}  // namespace

bool AttachSimulatedBoards(const std::vector<std::string> &specs, std::string &error) {
  for (const std::string &spec : specs) {
    const auto colon = spec.find(':');
    uint32_t pid = 0;
    uint32_t driver = MIRBAXSIM_DRIVER_CYUSB3;
    bool loader = false;
    bool ok = ParseHex(spec.substr(0, colon), pid);
    if (ok && colon != std::string::npos) {
      const std::string driverText = spec.substr(colon + 1);
      loader = driverText == "loader";
      ok = loader || driverText == "1" || driverText == "2" || driverText == "3";
      if (ok && !loader) driver = uint32_t(driverText[0] - '0');
    }
    if (!ok) {
      error = "bad simulated board '" + spec +
              "': want PID[:driver], PID in hex, driver 1-3 or 'loader'";
      return false;
    }
    uint32_t board = 0;
    const uint32_t result =
        loader ? AttachLoader(pid, board) : Api().MIRBAXSIM_Attach(pid, driver, &board);
    if (result != 0) {
      error = "cannot attach simulated board '" + spec + "'";
      return false;
    }
    attached.push_back(board);
  }
  return true;
}

const std::vector<uint32_t> &SimulatedBoards() { return attached; }

}  // namespace mirbax::tool
