// Counter gates: which gate the board watches, and the wait for gate events
// the board reports on its bulk IN pipes (gate A on 0x82, gate B on 0x86,
// two bytes per event).
//
// A thread blocked in CTR_WaitForGate is released by the board: when another
// thread ends the wait (CTR_EndWaitGates) or the board goes away, the
// pending bulk read ends with a failure.
#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"
#include "dio/counters.h"

namespace mirbax {
namespace {

constexpr uint8_t kGateAPipe = 0x82, kGateBPipe = 0x86;

// Gates are numbered over all counters of the board.
bool IsGate(const TDeviceData &device, uint32_t gate) {
  return gate < kCountersPerBlock * device.Counters;
}

uint32_t CheckGateSelectable(const TDeviceData &device) {
  if (device.Counters == 0 || !device.bGateSelectable) return ERROR_BAD_TOKEN_TYPE;
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t CTR_8254SelectGate(uint32_t DeviceIndex, uint32_t GateIndex) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t result = CheckGateSelectable(device)) return result;
    if (!IsGate(device, GateIndex)) return ERROR_INVALID_ADDRESS;
    return mirbax::_GenericVendorWrite(di, VRQ_CTR_SELGATE, uint16_t(GateIndex), 0, 0, nullptr);
  });
}

MIRBAX_EXPORT uint32_t CTR_SetWaitGates(uint32_t DeviceIndex, uint8_t A, uint8_t B) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t result = CheckGateSelectable(device)) return result;
    if (!IsGate(device, A) || !IsGate(device, B)) return ERROR_INVALID_ADDRESS;
    return mirbax::_GenericVendorWrite(di, VRQ_CTR_COS_BULK_GATE2, 0, uint16_t((B << 8) | A), 0,
                                       nullptr);
  });
}

MIRBAX_EXPORT uint32_t CTR_EndWaitGates(uint32_t DeviceIndex) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t result = CheckGateSelectable(device)) return result;
    return mirbax::_GenericVendorWrite(di, VRQ_CTR_COS_BULK_ABORT, 0, 0, 0, nullptr);
  });
}

MIRBAX_EXPORT uint32_t CTR_WaitForGate(uint32_t DeviceIndex, uint8_t GateIndex,
                                       uint16_t *Content) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t result = CheckGateSelectable(device)) return result;
    if (GateIndex > 1) return ERROR_INVALID_ADDRESS;
    // Read the caller's word first: a bad pointer fails before an event is
    // taken off the pipe (and lost), and a short message keeps the rest.
    uint16_t message = ReadCaller(Content);
    uint32_t transferred = 0;
    const uint32_t result = _GenericBulk(di, GateIndex == 0 ? kGateAPipe : kGateBPipe, &message,
                                         sizeof message, transferred);
    if (transferred > 0) WriteCaller(Content, message);
    return result;
  });
}
