// QueryDeviceInfo: product ID, product name and the digital and counter
// counts of a board.
//
// The name is the board's USB product string, read through the board's own
// vendor request.  It is converted from UTF-16 to Latin-1 (characters beyond
// U+00FF become '?'): one byte per character, so the counts the caller gets
// match the characters of the name exactly.
#include <algorithm>
#include <string>
#include <vector>

#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/links.h"
#include "core/transport.h"

namespace mirbax {

namespace {

constexpr uint32_t kDeviceDescriptorSize = 18;

std::string Utf16ToLatin1(const std::vector<uint8_t> &reply, uint32_t units) {
  std::string text;
  for (uint32_t i = 0; i < units; ++i) {
    const uint32_t offset = 2 + 2 * i;
    if (offset + 1 >= reply.size()) break;
    const uint16_t unit = uint16_t(reply[offset] | reply[offset + 1] << 8);
    text.push_back(unit <= 0xFF ? char(unit) : '?');
  }
  return text;
}

// Steps 6 to 11: the product name of an open board with a known ID.
uint32_t ReadProductName(uint32_t di, uint32_t *pNameSize, char *pName) {
  std::vector<uint8_t> descriptor(kDeviceDescriptorSize);
  uint32_t size = kDeviceDescriptorSize;
  if (const uint32_t result =
          _GenericVendorRead(di, VRQ_GET_DESCRIPTOR, 0x0100, 0, size, descriptor.data()))
    return result;
  if (size < kDeviceDescriptorSize) return ERROR_HANDLE_EOF;
  const uint8_t stringIndex = descriptor[15] != 0 ? descriptor[15] : 2;

  const uint32_t room = ReadCaller(pNameSize);
  if (room >= 0x7FFF) return ERROR_INVALID_PARAMETER;  // beyond any string descriptor
  std::vector<uint8_t> reply(2 * (room + 1));
  uint32_t replySize = uint32_t(reply.size());
  if (const uint32_t result = _GenericVendorRead(di, VRQ_GET_DESCRIPTOR,
                                                 uint16_t(0x0300 + stringIndex), 0, replySize,
                                                 reply.data()))
    return result;
  reply.resize(replySize);
  const uint32_t n = replySize > 0 ? reply[0] / 2u : 0u;
  if (n == 0) {
    WriteCaller(pNameSize, 0u);
    return ERROR_SUCCESS;
  }
  if (pName != nullptr) {
    std::string name = Utf16ToLatin1(reply, n - 1);
    name.push_back('\0');
    const uint32_t copied = std::min<uint32_t>({n, room, uint32_t(name.size())});
    if (const uint32_t fault = CopyToCaller(pName, name.data(), copied)) return fault;
  }
  WriteCaller(pNameSize, n - 1);
  return ERROR_SUCCESS;
}

}  // namespace

}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t QueryDeviceInfo(uint32_t DeviceIndex, uint32_t *pPID, uint32_t *pNameSize,
                                       char *pName, uint32_t *pDIOBytes, uint32_t *pCounters) {
  return Guarded([&]() -> uint32_t {
    uint32_t di = DeviceIndex;
    if (const uint32_t result = Validate(di)) return result;
    if (!Dev[di].bGotHandle) LoadDriverLinks();
    if (const uint32_t result = EnsureOpen(di)) return result;
    TDeviceData &device = Dev[di];
    if (pPID) WriteCaller(pPID, device.PID.load());
    if (pDIOBytes) WriteCaller(pDIOBytes, device.DIOBytes);
    if (pCounters) WriteCaller(pCounters, device.Counters);
    if (pNameSize == nullptr) return ERROR_SUCCESS;
    if (!device.bGetName) {
      WriteCaller(pNameSize, 0u);
      return ERROR_SUCCESS;
    }
    return ReadProductName(di, pNameSize, pName);
  });
}
