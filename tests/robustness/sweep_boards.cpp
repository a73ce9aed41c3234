#include "robustness/sweep_boards.h"

#include <chrono>
#include <memory>

#include "adc/bulk_acquire.h"
#include "core/device_table.h"

#include <gtest/gtest.h>
#include <mirbax.h>
#include <mirbax_sim.h>

#include <sstream>
#include <string>

namespace mirbax::testing {

namespace {

struct BoardKind {
  uint32_t pid;
  uint32_t driver;
  const char *what;
};

constexpr BoardKind kBoardKinds[] = {
    {0x8001, MIRBAXSIM_DRIVER_CYUSB3, "digital+counters"},
    {0x8040, MIRBAXSIM_DRIVER_WINUSB, "analog input"},
    {0x8070, MIRBAXSIM_DRIVER_CYUSB2, "analog output with flash"},
    {0x4001, MIRBAXSIM_DRIVER_CYUSB3, "DAC stream"},
    {0x8012, MIRBAXSIM_DRIVER_WINUSB, "watchdog"},
    {0x800C, MIRBAXSIM_DRIVER_CYUSB3, "digital stream+DAC"},
};

constexpr uint64_t kBulkTimeoutMs = 200;

const char *DriverName(uint32_t driver) {
  switch (driver) {
    case MIRBAXSIM_DRIVER_WINUSB: return "WinUSB";
    case MIRBAXSIM_DRIVER_CYUSB2: return "CyUSB2";
    default: return "CyUSB3";
  }
}

}  // namespace

std::vector<SweepBoard> AttachSweepBoards() {
  std::vector<SweepBoard> boards;
  for (const BoardKind &kind : kBoardKinds) {
    SweepBoard board{kind.pid, kind.driver, {}, 0, 0};
    char label[96];
    std::snprintf(label, sizeof label, "0x%04X %s on %s", kind.pid, kind.what, DriverName(kind.driver));
    board.label = label;
    EXPECT_EQ(MIRBAXSIM_Attach(kind.pid, kind.driver, &board.handle), 0u);
    EXPECT_EQ(MIRBAXSIM_SetOption(board.handle, "bulk_timeout_ms", kBulkTimeoutMs), 0u);
    boards.push_back(board);
  }
  MIRBAX_ReloadDeviceLinks();
  for (SweepBoard &board : boards) {
    bool found = false;
    for (uint32_t entry = 0; entry < boards.size() && !found; ++entry) {
      uint32_t pid = 0;
      if (QueryDeviceInfo(entry, &pid, nullptr, nullptr, nullptr, nullptr) == 0 && pid == board.pid) {
        board.entry = entry;
        found = true;
      }
    }
    EXPECT_TRUE(found) << board.label << " is not linked";
  }
  MIRBAX_ReloadDeviceLinks();
  return boards;
}

// A bulk acquisition's worker may still be in its last read when the abort
// flag is set: end it for sure, so none of its transfers reach the log of
// the next case.
void EndBulkWorker(uint32_t entry) {
  const std::shared_ptr<TADCWorker> worker = Dev[entry].ADCWorker;
  if (!worker) return;
  ADC_BulkAbort(entry);
  for (int attempt = 0; attempt < 100 && !worker->WaitFor(std::chrono::milliseconds(50)); ++attempt)
    MIRBAX_AbortPipe(entry, 0x86);
  worker->Join();
}

void StopEverything(uint32_t entry) {
  EndBulkWorker(entry);
  ADC_BulkContinuousEnd(entry, nullptr);
  DACOutputAbort(entry);
  DIO_StreamClose(entry);
  CTR_StopMeasuringPulseWidth(entry);
  CTR_EndWaitGates(entry);
  MIRBAX_ReloadDeviceLinks();
}

void OpenEntry(uint32_t entry) { QueryDeviceInfo(entry, nullptr, nullptr, nullptr, nullptr, nullptr); }

bool LogHoldsCommands(uint32_t board) {
  uint32_t size = 0;
  MIRBAXSIM_GetLog(board, nullptr, &size);
  if (size <= 1) return false;
  std::string text(size, '\0');
  MIRBAXSIM_GetLog(board, text.data(), &size);
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    // Control writes, bulk transfers and pipe aborts change or start
    // something; control reads only ask.
    if (line.starts_with("C 40") || line.starts_with("B ") || line.starts_with("A ")) return true;
  }
  return false;
}

}  // namespace mirbax::testing
