// One simulated board: the firmware model's base.
//
// The base keeps what every board has (identity, options, EEPROM, controller
// RAM, capability record, product name, bulk pipes, transfer log, fault
// injection) and dispatches control requests to the handlers the family
// models register while the board is built (see the Register...Requests
// functions called by the constructor).  The families keep their own state in
// the structs of their headers, held here.
//
// Locking: one mutex (Lock()) guards every field of board state, the family
// states included.  Request handlers, region and option hooks and the
// control-API hooks run with it held.  Bulk transfers wait on their pipe's own
// mutex and never hold the board's: a bulk source or sink takes Lock() itself
// for the moments it touches board state.  Order: board lock before a pipe's.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>

#include "sim/adc_model.h"
#include "sim/bulk_pipe.h"
#include "sim/control_request.h"
#include "sim/core_requests.h"
#include "sim/counter_model.h"
#include "sim/dac_model.h"
#include "sim/dio_model.h"
#include "sim/fault_injector.h"
#include "sim/memory_model.h"
#include "sim/option_registry.h"
#include "sim/region_registry.h"
#include "sim/request_registry.h"
#include "sim/transfer_log.h"

namespace mirbax::sim {

// The driver a board is bound to (the values of MIRBAXSIM_DRIVER_*).
enum class Driver : uint32_t { WinUsb = 1, CyUsb2 = 2, CyUsb3 = 3 };

struct BoardIdentity {
  uint32_t id = 0;  // the board handle of the control API
  uint16_t productId = 0;
  Driver driver = Driver::CyUsb3;
  std::string loaderPathTag;  // non-empty: a board waiting for firmware
};

class Board {
 public:
  explicit Board(BoardIdentity identity);
  Board(const Board &) = delete;
  Board &operator=(const Board &) = delete;

  // ---- Identity (fixed for the board's life) --------------------------------
  uint32_t id() const { return identity_.id; }
  uint16_t productId() const { return identity_.productId; }
  Driver driver() const { return identity_.driver; }
  bool isLoader() const { return !identity_.loaderPathTag.empty(); }
  // Unique per board; see docs/simulated-boards.md for the form.
  const std::string &devicePath() const { return devicePath_; }

  // ---- Plugging -------------------------------------------------------------
  bool IsAttached() const { return attached_.load(); }
  // Unplugs the board: pending bulk transfers end with 1167, later ones and
  // control transfers fail with 1167.  False when it was unplugged already.
  bool Unplug();

  // ---- What the driver does (called by the platform backend) ---------------
  // A control transfer.  `data` is the data stage: what the host sends for a
  // write, the room for the answer for a read; at most setup.length bytes of
  // it are used.  Fails with 1167 unplugged, with an injected fault, or with
  // 31 when the firmware stalls.
  Outcome ControlTransfer(const ControlSetup &setup, std::span<uint8_t> data);
  // A bulk transfer: a read fills `buffer` from pipe 0x82 or 0x86, a write
  // sends `data` to pipe 0x02 or 0x06; 87 for another endpoint.  Blocks
  // until done, aborted (995), unplugged (1167) or timed out (121).
  Outcome BulkRead(uint8_t endpoint, std::span<uint8_t> buffer);
  Outcome BulkWrite(uint8_t endpoint, std::span<const uint8_t> data);
  // Ends the pending transfers of a pipe (they fail with 995).
  uint32_t AbortPipe(uint8_t endpoint);

  // What the CyUSB driver reports: its version, and whether the bus runs at
  // high speed.
  uint32_t DriverVersion();
  bool IsHighSpeed();

  // Opens of the board's device path.  OpenPath fails with 2 unplugged, with
  // 5 when it conflicts with the opens held (an exclusive open needs none; a
  // shared open needs no exclusive one).  HoldPath adds a hold without the
  // check (a WinUSB interface made from an open file).
  uint32_t OpenPath(bool shared);
  void HoldPath(bool shared);
  void ReleasePath(bool shared);
  uint32_t OpenCount();

  // ---- Extension points for the family models ------------------------------
  // The lock that guards all board state.
  std::unique_lock<std::mutex> Lock() { return std::unique_lock(mutex_); }

  // Only while the board is built (from the Register...Requests functions).
  void RegisterRequest(uint8_t request, RequestHandler handler);
  // For a request whose index selects a register (VRQ_GEN_REGISTER): the
  // handler of one index.
  void RegisterRequest(uint8_t request, uint16_t index, RequestHandler handler);
  void RegisterRegion(std::string name, std::span<uint8_t> bytes, RegionWriteHook afterWrite = {});
  void RegisterOption(std::string name, uint64_t defaultValue, OptionHook onSet = {});

  // The bulk pipes (null for another endpoint).  Their methods take only the
  // pipe's own lock and may be called with or without the board's.
  BulkInPipe *InPipe(uint8_t endpoint);
  BulkOutPipe *OutPipe(uint8_t endpoint);

  FaultInjector &faults() { return faults_; }
  const RegionRegistry &regions() const { return regions_; }

  // ---- Board state, guarded by Lock() --------------------------------------
  OptionRegistry options;
  TransferLog log;
  CoreState core;
  DioState dio;
  CounterState counters;
  AdcState adc;
  DacState dac;
  MemoryState memory;

 private:
  void RegisterBaseOptions();
  Deadline BulkDeadline();
  void LogBulk(uint8_t endpoint, std::size_t requested, const Outcome &outcome);

  const BoardIdentity identity_;
  const std::string devicePath_;
  std::atomic<bool> attached_{true};
  std::mutex mutex_;
  RequestRegistry requests_;
  RegionRegistry regions_;
  FaultInjector faults_;
  std::array<BulkInPipe, 2> inPipes_{BulkInPipe(0x82), BulkInPipe(0x86)};
  std::array<BulkOutPipe, 2> outPipes_{BulkOutPipe(0x02), BulkOutPipe(0x06)};
  // Opens of the device path (guarded by mutex_).
  uint32_t sharedOpens_ = 0;
  uint32_t exclusiveOpens_ = 0;
};

// The device path of a board; see docs/simulated-boards.md.
std::string MakeDevicePath(const BoardIdentity &identity);

}  // namespace mirbax::sim
