// The SPI port on the digital lines of the streaming boards: one register
// write or read per call, addressed by device address (high byte of the
// index) and register (low byte).
#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"

namespace mirbax {
namespace {

constexpr uint16_t SpiIndex(uint8_t address, uint8_t reg) {
  return uint16_t((address << 8) | reg);
}

}  // namespace
}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t DIO_SPI_Write(uint32_t DeviceIndex, uint8_t Address, uint8_t Reg,
                                     uint8_t Value) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!device.bDIOSPI) return ERROR_BAD_TOKEN_TYPE;
    return mirbax::_GenericVendorWrite(di, VRQ_DIO_SPI_WRITE, Value, SpiIndex(Address, Reg), 0,
                                       nullptr);
  });
}

MIRBAX_EXPORT uint32_t DIO_SPI_Read(uint32_t DeviceIndex, uint8_t Address, uint8_t Reg,
                                    uint8_t *pValue) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!device.bDIOSPI) return ERROR_BAD_TOKEN_TYPE;
    uint8_t value = 0;
    uint32_t size = 1;
    const uint32_t result =
        mirbax::_GenericVendorRead(di, VRQ_DIO_SPI_READ, 0, SpiIndex(Address, Reg), size, &value);
    if (result == ERROR_SUCCESS) WriteCaller(pValue, value);
    return result;
  });
}
