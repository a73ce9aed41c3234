#include "sim/memory_model.h"

#include <algorithm>
#include <stdexcept>

#include "sim/board.h"
#include "sim/product_info.h"

namespace mirbax::sim {

namespace {

constexpr double kCpuHz = 12'000'000.0;
constexpr uint32_t kStreamStatusSize = 4;

// The byte address of a flash request: the word address is index * 65536 +
// value.
uint32_t FlashAddress(const ControlSetup &setup) {
  return (uint32_t(setup.index) << 16 | setup.value) * 2;
}

Reply FlashReadWrite(Board &board, const ControlRequest &request) {
  std::vector<uint8_t> &flash = board.memory.flash;
  const uint32_t address = FlashAddress(request.setup);
  if (address >= flash.size()) return kStall;
  if (request.setup.IsRead()) {
    const std::size_t count = std::min<std::size_t>(request.reply.size(), flash.size() - address);
    std::copy_n(flash.begin() + address, count, request.reply.begin());
    return uint32_t(count);
  }
  if (request.sent.size() > flash.size() - address) return kStall;
  // Programming only clears bits: an erased byte takes any value, a
  // programmed one keeps its zeros until its sector is erased.
  for (std::size_t i = 0; i < request.sent.size(); ++i) flash[address + i] &= request.sent[i];
  return 0;
}

Reply FlashErase(Board &board, const ControlRequest &request) {
  MemoryState &memory = board.memory;
  if (request.setup.IsRead() || request.setup.index >= memory.flashSectors) return kStall;
  const auto sector = memory.flash.begin() + request.setup.index * kFlashSectorSize;
  std::fill(sector, sector + kFlashSectorSize, uint8_t{0xFF});
  ++memory.flashErases;
  return 0;
}

Reply DefaultsRegister(Board &board, const ControlRequest &request) {
  MemoryState &memory = board.memory;
  const ControlSetup &setup = request.setup;
  if (setup.index == kGenRegReadDefaults) {
    if (!setup.IsRead()) return kStall;
    const std::size_t count = std::min<std::size_t>(request.reply.size(), kDefaultsTableSize);
    std::copy_n(memory.defaultsTable.begin(), count, request.reply.begin());
    return uint32_t(count);
  }
  if (setup.IsRead() || setup.value != kDefaultsMagic) return kStall;
  switch (setup.index) {
    case kGenRegSaveDefaults:
      memory.defaultsTable = memory.settings;
      return 0;
    case kGenRegRestoreDefaults:
      memory.defaultsTable = memory.factoryDefaults;
      memory.settings = memory.factoryDefaults;
      return 0;
    case kGenRegWriteDefaults:
      if (request.sent.size() > kDefaultsTableSize) return kStall;
      std::copy(request.sent.begin(), request.sent.end(), memory.defaultsTable.begin());
      return 0;
    default:
      return kStall;
  }
}

Reply GlobalTick(Board &board, const ControlRequest &request) {
  if (request.setup.IsRead() || !request.sent.empty()) return kStall;
  board.memory.globalTickDivisor = uint16_t(65535 - request.setup.value);
  return 0;
}

// The requests of the newer firmware generation that share one code.
Reply GeneralRegister(Board &board, const ControlRequest &request) {
  if (board.options.Value("firmware20") == 0) return kStall;
  switch (request.setup.index) {
    case kGenRegSaveDefaults:
    case kGenRegRestoreDefaults:
    case kGenRegReadDefaults:
    case kGenRegWriteDefaults:
      return DefaultsRegister(board, request);
    case kGenRegGlobalTick:
      return GlobalTick(board, request);
    default: {
      const auto it = board.memory.generalRegisters.find(request.setup.index);
      if (it == board.memory.generalRegisters.end()) return kStall;
      return it->second(board, request);
    }
  }
}

Reply ClearFifo(Board &board, const ControlRequest &request) {
  if (request.setup.IsRead()) return kStall;
  for (const uint8_t endpoint : {uint8_t{0x82}, uint8_t{0x86}})
    if (BulkInPipe *pipe = board.InPipe(endpoint)) pipe->ClearQueue();
  MemoryState &memory = board.memory;
  ++memory.fifoClears;
  memory.lastFifoClear = request.setup.request;
  for (const FifoClearHook &hook : memory.fifoClearHooks) hook(board, request.setup.request);
  return 0;
}

Reply StreamStatus(Board &board, const ControlRequest &request) {
  if (!request.setup.IsRead()) return kStall;
  const uint64_t status = board.options.Value("stream_status");
  const uint64_t sent = std::min<uint64_t>(board.options.Value("stream_status_bytes"),
                                           kStreamStatusSize);
  const std::size_t count = std::min<std::size_t>(request.reply.size(), sent);
  for (std::size_t i = 0; i < count; ++i) request.reply[i] = uint8_t(status >> (8 * i));
  return uint32_t(count);
}

MemoryState::DefaultsTable FactoryDefaults(uint16_t productId) {
  // The board's own content: a small header naming the product, the rest 0.
  MemoryState::DefaultsTable table{};
  table[0] = uint8_t(productId);
  table[1] = uint8_t(productId >> 8);
  return table;
}

}  // namespace

void RegisterMemoryRequests(Board &board) {
  MemoryState &memory = board.memory;
  memory.flashSectors = LookUpProduct(board.productId()).flashSectors;
  if (memory.flashSectors > 0) {
    memory.flash.assign(kFlashSize, 0xFF);
    board.RegisterRegion("flash", memory.flash);
    board.RegisterRequest(kRequestFlashReadWrite, FlashReadWrite);
    board.RegisterRequest(kRequestFlashErase, FlashErase);
  }

  memory.factoryDefaults = FactoryDefaults(board.productId());
  memory.defaultsTable = memory.factoryDefaults;
  memory.settings = memory.factoryDefaults;
  board.RegisterRegion("defaults", memory.defaultsTable);
  board.RegisterRegion("settings", memory.settings);
  board.RegisterRequest(kRequestGenRegister, GeneralRegister);

  for (const uint8_t request : {kRequestGenClearFifoNext, kRequestGenClearFifo,
                                kRequestGenClearFifoWait, kRequestGenAbortAndClear})
    board.RegisterRequest(request, ClearFifo);

  board.RegisterOption("stream_status", 0);
  board.RegisterOption("stream_status_bytes", kStreamStatusSize);
  board.RegisterRequest(kRequestGenStreamStatus, StreamStatus);
}

void RegisterGeneralRegister(Board &board, uint16_t index, RequestHandler handler) {
  switch (index) {
    case kGenRegSaveDefaults:
    case kGenRegRestoreDefaults:
    case kGenRegReadDefaults:
    case kGenRegWriteDefaults:
    case kGenRegGlobalTick:
      throw std::logic_error("general register taken by the memory model");
    default:
      break;
  }
  if (!board.memory.generalRegisters.emplace(index, std::move(handler)).second)
    throw std::logic_error("general register registered twice");
}

void OnFifoClear(Board &board, FifoClearHook hook) {
  board.memory.fifoClearHooks.push_back(std::move(hook));
}

double GlobalTickHz(const Board &board) { return kCpuHz / board.memory.globalTickDivisor; }

}  // namespace mirbax::sim
