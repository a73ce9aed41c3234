// Digital configuration: directions, tristates and initial outputs, and the
// query of the set-up the board holds.
//
// Every configuration that carries output data stores it in the output
// mirror LastDIOData before the request goes out, so later single-bit and
// byte writes start from it.
#include <algorithm>
#include <vector>

#include "core/frame.h"
#include "core/transport.h"
#include "dio/caller_bytes.h"
#include "dio/dio_layout.h"

namespace mirbax {
namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes &record, const Bytes &part) { record.insert(record.end(), part.begin(), part.end()); }

uint32_t SendConfig(uint32_t di, uint8_t request, uint16_t value, uint16_t index,
                    const Bytes &record) {
  return _GenericVendorWrite(di, request, value, index, uint32_t(record.size()), record.data());
}

// One value/mask pair of the masked configuration; a mask bit of 1 applies
// the matching value bit.
struct MaskedPair {
  Bytes value, mask;
};

// Mask given: its bytes, with the value's bytes or the default value.  Only
// the value given: every bit applies.  Neither: both defaults.
MaskedPair BuildMaskedPair(const void *pValue, const void *pMask, uint32_t length,
                           uint8_t defaultValue, uint8_t defaultMask) {
  MaskedPair pair;
  pair.value = pValue ? ReadCallerBytes(pValue, length) : Bytes(length, defaultValue);
  if (pMask)
    pair.mask = ReadCallerBytes(pMask, length);
  else
    pair.mask = Bytes(length, pValue ? 0xFF : defaultMask);
  return pair;
}

}  // namespace
}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t DIO_Configure(uint32_t DeviceIndex, uint8_t Tristate, const void *pOutMask,
                                     const void *pData) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    const DioLayout size = LayoutOf(device);
    if (size.D == 0) return ERROR_BAD_TOKEN_TYPE;
    if (pOutMask == nullptr || pData == nullptr) return ERROR_INVALID_PARAMETER;

    // Output data, direction mask, change-of-state mask (always zero).
    Bytes data = ReadCallerBytes(pData, size.D);
    const Bytes outMask = ReadCallerBytes(pOutMask, size.M);
    device.LastDIOData = data;
    Append(data, outMask);
    data.resize(data.size() + size.M, 0);
    return SendConfig(di, VRQ_DIO_CONFIG, SignedByteValue(Tristate), 0, data);
  });
}

MIRBAX_EXPORT uint32_t DIO_ConfigureEx(uint32_t DeviceIndex, const void *pOutMask,
                                       const void *pData, const void *pTristateMask) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    const DioLayout size = LayoutOf(device);
    if (size.D == 0 || size.T == 0) return ERROR_BAD_TOKEN_TYPE;
    if (pOutMask == nullptr || pData == nullptr || pTristateMask == nullptr)
      return ERROR_INVALID_PARAMETER;

    // Output data, direction mask, tristate mask.
    Bytes record = ReadCallerBytes(pData, size.D);
    const Bytes outMask = ReadCallerBytes(pOutMask, size.M);
    const Bytes tristateMask = ReadCallerBytes(pTristateMask, size.T);
    device.LastDIOData = record;
    Append(record, outMask);
    Append(record, tristateMask);
    return SendConfig(di, VRQ_DIO_CONFIG, 0, uint16_t(size.D), record);
  });
}

MIRBAX_EXPORT uint32_t DIO_ConfigurationQuery(uint32_t DeviceIndex, void *pOutMask,
                                              void *pTristateMask) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    const DioLayout size = LayoutOf(device);
    if (size.T == 0) return ERROR_BAD_TOKEN_TYPE;
    if (pOutMask == nullptr || pTristateMask == nullptr) return ERROR_INVALID_PARAMETER;

    // Direction mask, then tristate mask; handed over whatever the read gave.
    Bytes reply(size.M + size.T, 0);
    uint32_t received = uint32_t(reply.size());
    const uint32_t result = mirbax::_GenericVendorRead(di, VRQ_DIO_CONFIG_QUERY, 0,
                                                       uint16_t(size.D), received, reply.data());
    WriteCallerBytes(pOutMask, std::span(reply).first(size.M));
    WriteCallerBytes(pTristateMask, std::span(reply).subspan(size.M));
    return result;
  });
}

MIRBAX_EXPORT uint32_t DIO_ConfigureMasked(uint32_t DeviceIndex, const void *pOuts,
                                           const void *pOutsMask, const void *pData,
                                           const void *pDataMask, const void *pTristates,
                                           const void *pTristatesMask) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    const DioLayout size = LayoutOf(device);
    if (size.D == 0 || size.T == 0) return ERROR_BAD_TOKEN_TYPE;

    // Every pointer may be null: a missing pair leaves directions and data
    // alone and puts every line's tristate under control (value 0).
    const MaskedPair outs = BuildMaskedPair(pOuts, pOutsMask, size.M, 0x00, 0x00);
    const MaskedPair data = BuildMaskedPair(pData, pDataMask, size.D, 0xFF, 0x00);
    const MaskedPair tristates = BuildMaskedPair(pTristates, pTristatesMask, size.T, 0x00, 0xFF);

    // The mirror takes the data values as built, not merged with the mask.
    device.LastDIOData = data.value;
    Bytes record;
    for (const MaskedPair *pair : {&outs, &data, &tristates}) {
      Append(record, pair->mask);
      Append(record, pair->value);
    }
    return SendConfig(di, VRQ_DIO_CONFIG_MASKED, 0, 0, record);
  });
}
