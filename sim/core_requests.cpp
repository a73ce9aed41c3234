#include "sim/core_requests.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sim/board.h"
#include "sim/descriptors.h"
#include "sim/product_info.h"

namespace mirbax::sim {

namespace {

constexpr uint8_t kDeviceDescriptorType = 1;
constexpr uint8_t kStringDescriptorType = 3;
constexpr char kManufacturer[] = "MIRBAX simulated boards";

// The firmware identification read at 0x8000 (index 1): byte 0 the firmware
// generation, byte 1 its revision, byte 2 feature flags, of which bit 1 marks
// the newer generation's request set.
constexpr std::array<uint8_t, 3> kNewerFirmwareId = {0x04, 0x00, 0x02};
constexpr std::array<uint8_t, 3> kOlderFirmwareId = {0x02, 0x00, 0x00};

// Copies as much of `answer` as the host asked for; returns the count.
uint32_t Answer(std::span<const uint8_t> answer, std::span<uint8_t> reply) {
  const std::size_t count = std::min(answer.size(), reply.size());
  std::copy_n(answer.begin(), count, reply.begin());
  return static_cast<uint32_t>(count);
}

// Reads memory at `address`; a read that runs past the end answers the
// bytes up to it, a read that starts past it stalls.
Reply ReadMemory(std::span<const uint8_t> memory, uint32_t address, std::span<uint8_t> reply) {
  if (address >= memory.size()) return kStall;
  return Answer(memory.subspan(address), reply);
}

// Writes memory at `address`; a write that would run past the end stalls
// and changes nothing.
Reply WriteMemory(std::span<uint8_t> memory, uint32_t address, std::span<const uint8_t> data) {
  if (address > memory.size() || data.size() > memory.size() - address) return kStall;
  std::copy(data.begin(), data.end(), memory.begin() + address);
  return 0;
}

Reply GetDescriptor(Board &board, const ControlRequest &request) {
  if (!request.setup.IsRead()) return kStall;
  const uint8_t type = request.setup.value >> 8;
  const uint8_t index = request.setup.value & 0xFF;
  if (type == kDeviceDescriptorType && index == 0) {
    return Answer(MakeDeviceDescriptor(board.productId()), request.reply);
  }
  if (type != kStringDescriptorType) return kStall;
  switch (index) {
    case 0:
      return Answer(MakeLanguageDescriptor(), request.reply);
    case kManufacturerStringIndex:
      return Answer(MakeStringDescriptor(kManufacturer), request.reply);
    case kProductStringIndex:
      return Answer(MakeStringDescriptor(board.core.productName), request.reply);
    default:
      return kStall;
  }
}

Reply RamWrite(Board &board, const ControlRequest &request) {
  // The controller's loader also reads memory back through this request.
  if (request.setup.IsRead()) return ReadMemory(board.core.ram, request.setup.value, request.reply);
  return WriteMemory(board.core.ram, request.setup.value, request.sent);
}

Reply RamRead(Board &board, const ControlRequest &request) {
  if (!request.setup.IsRead()) return kStall;
  if (request.setup.value == kFirmwareIdAddress && request.setup.index == 1) {
    const bool newer = board.options.Value("firmware20") != 0;
    return Answer(newer ? kNewerFirmwareId : kOlderFirmwareId, request.reply);
  }
  return ReadMemory(board.core.ram, request.setup.value, request.reply);
}

Reply EepromReadWrite(Board &board, const ControlRequest &request) {
  if (request.setup.IsRead())
    return ReadMemory(board.core.eeprom, request.setup.value, request.reply);
  return WriteMemory(board.core.eeprom, request.setup.value, request.sent);
}

Reply PnpData(Board &board, const ControlRequest &request) {
  if (!request.setup.IsRead()) return kStall;
  return Answer(board.core.pnp, request.reply);
}

std::string DefaultProductName(const Board &board) {
  if (board.isLoader()) return "SIM-LOADER";
  char name[16];
  std::snprintf(name, sizeof name, "SIM-%04X", board.productId());
  return name;
}

}  // namespace

std::array<uint8_t, kPnpSize> DefaultCapabilityRecord(uint16_t productId) {
  const ProductInfo info = LookUpProduct(productId);
  std::array<uint8_t, kPnpSize> record{};
  record[0] = kPnpSize;  // PNPSize: the whole record is valid
  record[1] = 1;         // Rev, little-endian
  record[3] = static_cast<uint8_t>(info.adcConfigBytes);
  record[4] = static_cast<uint8_t>((info.dioConfigBits + 7) / 8);
  record[5] = static_cast<uint8_t>(info.dioBytes);
  record[6] = static_cast<uint8_t>(info.counterBlocks);
  record[7] = static_cast<uint8_t>(info.dacChannels);
  record[8] = info.debounce ? 1 : 0;      // HasDeb
  record[9] = info.dioBytes > 0 ? 1 : 0;  // HasLatch
  // PWMTableMaxLen, MapTableMaxLen, MapHighSrcBit, MapHighDstBit stay 0
  // (no PWM or automap tables) until the digital model offers them.
  record[14] = 1;  // HasDIOWrite1
  return record;
}

void StoreSerialNumber(CoreState &core, uint64_t serial) {
  for (int i = 0; i < 8; ++i)
    core.eeprom[kSerialNumberAddress + i] = static_cast<uint8_t>(serial >> (8 * i));
}

void RegisterCoreRequests(Board &board) {
  board.core.pnp = DefaultCapabilityRecord(board.productId());
  board.core.productName = DefaultProductName(board);
  StoreSerialNumber(board.core, board.options.Value("serial"));

  board.RegisterRequest(kRequestGetDescriptor, GetDescriptor);
  board.RegisterRequest(kRequestPnpData, PnpData);
  board.RegisterRequest(kRequestRamWrite, RamWrite);
  board.RegisterRequest(kRequestEepromReadWrite, EepromReadWrite);
  board.RegisterRequest(kRequestRamRead, RamRead);

  board.RegisterRegion("eeprom", board.core.eeprom);
  board.RegisterRegion("ram", board.core.ram);
  board.RegisterRegion("pnp", board.core.pnp);
}

}  // namespace mirbax::sim
