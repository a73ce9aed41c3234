// The device table: one entry per board the library has linked.
//
// `Dev` is a fixed array of 32 entries that lives as long as the library.
// Link loading puts a board into a free entry (driver handles, driver type,
// path); the first call that names the entry opens it (EnsureOpen): it reads
// the product ID and sets the capability fields from the product-ID table.
// Family code decides what a board can do from these fields alone.
//
// Entry states:  Free -> Linked (bGotHandle) -> Open (bGotHandle, bOpen)
//                Linked/Open -> Removed (bDeviceWasHere) when a transfer shows
//                the board has gone; Removed -> Free by MIRBAX_CloseDevice or
//                ClearDevices.  A removed entry is never taken by another board.
#pragma once

#include <mirbax.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/sync.h"
#include "platform/platform.h"

namespace mirbax {

using platform::Handle;

enum TUSBDriverType : uint8_t { dtNone = 0, dtWinUSB = 1, dtCyUSB2 = 2, dtCyUSB3 = 3 };
enum TUSBSpeed : uint8_t { usUnknown = 0, usLowFull = 1, usHigh = 2 };

// Workers and stream state owned by the family code; the entry only refers
// to them.
class TDACWorker;
class TCtrMonitorThread;
class TADCWorker;
class TADCContAcqWorker;
class TADCContBufWorker;
class TRingAcqData;

struct THandleTableEntry {
  uint32_t ThreadID;
  Handle hDevice;
};

struct TDeviceData {
  // Link and state flags.  Atomic so that threads sharing a device see one
  // another's links, opens and removals without a data race.
  std::atomic<bool> bOpen{false};
  std::atomic<bool> bDeviceWasHere{false};  // removal mark
  std::atomic<bool> bGotHandle{false};      // holds a driver link

  std::mutex hHandleTableMutex;             // guards HandleTable, DevPath, hWinUSBFile
  std::vector<THandleTableEntry> HandleTable;
  uint32_t ExpandFromOldHandle = 0;
  Handle hWinUSBFile = 0;
  std::atomic<TUSBDriverType> USBDriverType{dtNone};
  std::string DevPath;

  // Serializes the set-up of EnsureOpen: two threads opening one entry at
  // once wait for each other instead of racing on the capability fields.
  std::mutex hOpenMutex;

  // Capabilities, set by EnsureOpen from the product-ID table.
  uint32_t DIOBytes = 0;
  uint32_t DIOConfigBits = 0;
  std::vector<uint8_t> LastDIOData;  // output mirror, DIOBytes long
  uint32_t Counters = 0;
  uint32_t Tristates = 0;
  bool bGateSelectable = false;
  double RootClock = 0.0;
  uint16_t LastEventCount = 0;
  std::atomic<uint32_t> PID{0};  // 0xFFFFFFFF while an open is under way
  uint16_t CtrDivisor = 0;
  bool bGetName = false;
  uint32_t ConfigBytes = 0;
  uint32_t ImmDACs = 0;
  uint32_t ImmADCs = 0;
  double ImmADCPostScale = 1.0;
  bool bDACBoardRange = false;
  bool bDACChannelCal = false;
  bool bDACStream = false;
  bool bDACDIOStream = false;
  bool bDACSlowWaveStream = false;
  int32_t DACsUsed = 0;

  // Waveform output state.
  std::atomic<bool> bDACOpen{false};
  std::atomic<bool> bDACClosing{false};
  std::atomic<bool> bDACAborting{false};
  std::atomic<bool> bDACStarted{false};
  std::vector<std::string> DACData;  // queued output buffers, guarded by hDACDataMutex
  std::mutex hDACDataMutex;
  Semaphore hDACDataSem;
  std::string PendingDACData;
  std::shared_ptr<TDACWorker> WorkerThread;
  std::shared_ptr<TCtrMonitorThread> CtrMonitorThread;

  // Analog input.
  bool bADCBulk = false;
  bool bADCDIOStream = false;
  uint32_t ADCChannels = 0;
  uint32_t ADCMUXChannels = 0;
  std::shared_ptr<TADCWorker> ADCWorker;
  std::shared_ptr<TADCContAcqWorker> ADCContAcqWorker;
  std::shared_ptr<TADCContBufWorker> ADCContBufWorker;
  std::shared_ptr<TRingAcqData> pRingAcqData;
  uint8_t RangeShift = 0;
  std::vector<uint8_t> FastITConfig, FastITBakConfig;
  std::vector<uint8_t> CSA_FastConfig, CSA_FastBakConfig;

  // Digital stream and extensions.
  bool bDIOStream = false;
  bool bDIOOpen = false;
  bool bDIORead = false;
  uint32_t StreamingBlockSize = 0x7C00;
  uint32_t StreamingBlockSizeFloor = 0;
  bool bDIODebounce = false;
  bool bDIOSPI = false;
  bool bSetCustomClocks = false;
  uint32_t WDGBytes = 0;
  bool bClearFIFO = false;
  int32_t FlashSectors = 0;

  // Cached probes.
  std::atomic<bool> bFirmware20{false};
  std::atomic<TUSBSpeed> USBSpeed{usUnknown};
  TPNPData PNPData{};
};

inline constexpr uint32_t kDeviceCount = MIRBAX_MAX_DEVICES;

// The device table.  Never destroyed: at process exit workers may still run
// and refer to their entries.
extern std::array<TDeviceData, kDeviceCount> &Dev;

// EnsureOpen: sets up the capability fields of a linked entry at its first
// use.  0, 2 (no link), 1617 (removed) or the descriptor read's failure.
uint32_t EnsureOpen(uint32_t DeviceIndex);

// Applies the product-ID table to an entry whose capability fields are reset.
void ApplyProductTable(TDeviceData &device, uint32_t pid);

// 0 when the board runs the newer firmware generation (probed once, cached).
uint32_t CheckFirmware20(uint32_t DeviceIndex);

// Reads the board's capability record into PNPData.
uint32_t CheckPNPData(uint32_t DeviceIndex);

// The bus speed, probed once per open.
TUSBSpeed CheckUSBSpeed(uint32_t DeviceIndex);

// True when the board's capability record reaches the field at `offset`
// (use offsetof(TPNPData, field)).
bool bDevHasPNPByte(const TDeviceData &device, std::size_t offset);

}  // namespace mirbax
