#include "core/cyusb_header.h"

namespace mirbax {

namespace {

void Put16(CyHeader &header, int offset, uint16_t value) {
  header[offset] = uint8_t(value);
  header[offset + 1] = uint8_t(value >> 8);
}

void Put32(CyHeader &header, int offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) header[offset + i] = uint8_t(value >> (8 * i));
}

// Offsets of the header fields.
enum : int {
  kRequestType = 0,
  kRequest = 1,
  kValue = 2,
  kIndex = 4,
  kLength = 6,
  kTimeout = 8,
  kEndpoint = 13,
  kBufferOffset = 30,
  kBufferLength = 34,
};

}  // namespace

CyHeader MakeCyControlHeader(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index,
                             uint32_t length) {
  CyHeader header{};
  const uint16_t length16 = uint16_t(length);  // the length field is 16 bits wide
  header[kRequestType] = requestType;
  header[kRequest] = request;
  Put16(header, kValue, value);
  Put16(header, kIndex, index);
  Put16(header, kLength, length16);
  Put32(header, kTimeout, CyBaseTimeout);
  Put32(header, kBufferOffset, kCyHeaderSize);
  Put32(header, kBufferLength, length16);
  return header;
}

CyHeader MakeCyBulkHeader(uint8_t pipeId, uint32_t dataSize, bool newerDriver) {
  CyHeader header{};
  Put32(header, kTimeout, CyBaseTimeout);
  header[kEndpoint] = pipeId;
  if (newerDriver) Put32(header, kBufferLength, dataSize);
  return header;
}

}  // namespace mirbax
