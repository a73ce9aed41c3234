// The transfer primitives: every exchange with a board goes through here.
//
// Each primitive has one branch per driver path.  WinUSB: one interface
// handle shared by every thread.  CyUSB: one file handle per calling thread,
// opened at the thread's first transfer, and the 38-byte transfer header in
// front of the data.  Driver failures become result codes; a failure that
// shows the board has gone closes the entry and marks it removed (1617).
//
// These take a resolved, linked device index; the exported functions in
// transport_api.cpp add the call frame.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/device_table.h"

namespace mirbax {

// Vendor request codes.
enum : uint8_t {
  VRQ_GET_DESCRIPTOR = 0x06,
  VRQ_DIO_WRITE = 0x10,
  VRQ_DIO_READ = 0x11,
  VRQ_DIO_CONFIG = 0x12,
  VRQ_DIO_CONFIG_QUERY = 0x13,
  VRQ_DIO_LATCH_READ = 0x14,
  VRQ_DIO_DEB_READ = 0x15,
  VRQ_DIO_ADVANCED = 0x18,
  VRQ_DIO_CONFIG_MASKED = 0x1F,
  VRQ_CTR_READ = 0x20,
  VRQ_CTR_MODE = 0x21,
  VRQ_CTR_LOAD = 0x22,
  VRQ_CTR_MODELOAD = 0x23,
  VRQ_CTR_SELGATE = 0x24,
  VRQ_CTR_READALL = 0x25,
  VRQ_CTR_READLATCHED = 0x26,
  VRQ_CTR_COS_BULK_GATE2 = 0x27,
  VRQ_CTR_COS_BULK_ABORT = 0x29,
  VRQ_WDG_STATUS = 0x2E,
  VRQ_DIO_WDG16_DEPREC = 0x2F,
  VRQ_GEN_CLEAR_FIFO_NEXT = 0x34,
  VRQ_GEN_CLEAR_FIFO = 0x35,
  VRQ_GEN_CLEAR_FIFO_WAIT = 0x36,
  VRQ_GEN_ABORT_AND_CLEAR = 0x38,
  VRQ_SET_GPIF_MODE = 0x39,
  VRQ_GEN_REGISTER = 0x3C,
  VRQ_PNP_DATA = 0x3F,
  VRQ_PCIE_WDG = 0x40,
  VRQ_WDG = 0x44,
  VRQ_OFFLINE_READWRITE = 0x50,
  VRQ_DACDIO_WRITEALL = 0x8C,
  VRQ_SELF_TEST_1 = 0x91,
  CUR_RAM_WRITE = 0xA0,
  CUR_EEPROM_READWRITE = 0xA2,
  CUR_RAM_READ = 0xA3,
  VRQ_DAC_CONTROL = 0xB0,
  VRQ_DAC_DATAPTR = 0xB1,
  VRQ_DAC_DIVISOR = 0xB2,
  VRQ_DAC_IMMEDIATE = 0xB3,
  VRQ_GEN_STREAM_STATUS = 0xB4,
  VRQ_FLASH_READWRITE = 0xB5,
  VRQ_DAC_RANGE = 0xB7,
  VRQ_PROBE_CALFEATURE = 0xBA,
  VRQ_BULK_SRAM = 0xBB,
  VRQ_BC_CONTROL = 0xBC,
  VRQ_DIO_SETCLOCKS = 0xBD,
  VRQ_ADC_SET_CONFIG = 0xBE,
  VRQ_ADC_IMMEDIATE = 0xBF,
  VRQ_DIO_SPI_WRITE = 0xC0,
  VRQ_DIO_SPI_READ = 0xC1,
  VRQ_SET_CUSTOM_CLOCKS = 0xC4,
  VRQ_ADC_CLOCKED_START = 0xC5,
  VRQ_SLOW_WAVE_SETUP = 0xC7,
  VRQ_ADC_GET_CONFIG = 0xD2,
  VRQ_DEBUG_DEBUG = 0xD4,
  VRQ_DEBUG_FLASH_1TO1 = 0xF0,
  VRQ_DEBUG_FLASH_ERASE = 0xFC,
};

// ---- Handles and failures -------------------------------------------------

// The calling thread's driver handle; kInvalidHandle without a driver path.
Handle GetThreadHandleForDevice(uint32_t DeviceIndex);
// Records a handle for the calling thread (link loading).
void AddThreadHandleForDevice(uint32_t DeviceIndex, Handle hDevice);
// Turns the thread's last driver error into a result code; a removal-type
// error closes the device and marks it removed.
uint32_t GetMappedFailure(uint32_t DeviceIndex);

// ---- Control transfers ----------------------------------------------------

// Vendor read: DataSize is the room on entry, the bytes received on return.
// pData is the caller's memory (copied in and out with fault checks: 998).
uint32_t _GenericVendorRead(uint32_t DeviceIndex, uint8_t Request, uint16_t Value, uint16_t Index,
                            uint32_t &DataSize, void *pData);
uint32_t _GenericVendorWrite(uint32_t DeviceIndex, uint8_t Request, uint16_t Value, uint16_t Index,
                             uint32_t DataSize, const void *pData);
// A control read with a caller-chosen request type, always on the CyUSB path.
uint32_t _Cy_GenericRead(uint32_t DeviceIndex, uint8_t RequestType, uint8_t Request,
                         uint16_t Value, uint16_t Index, uint32_t &DataSize, void *pData);
// A control read with a caller-chosen request type on the board's own driver
// path (the probes of the firmware generation and the capability record);
// failures are the driver's code, never mapped.
uint32_t _GenericControlRead(uint32_t DeviceIndex, uint8_t RequestType, uint8_t Request,
                             uint16_t Value, uint16_t Index, uint32_t &DataSize, void *pData);
// A vendor write on a raw CyUSB handle that belongs to no entry.
uint32_t _hCy_GenericVendorWriteStr(Handle hDevice, uint8_t Request, uint16_t Value,
                                    uint16_t Index, std::string_view Data);

// ---- Bulk -------------------------------------------------------------------

// One bulk transfer; bit 7 of PipeID selects IN.  pData goes to the driver
// as it is (no copy).
uint32_t _GenericBulk(uint32_t DeviceIndex, uint32_t PipeID, void *pData, uint32_t DataSize,
                      uint32_t &BytesTransferred);

// Aborts a pipe through the board's own driver path.
uint32_t AbortPipe(uint32_t DeviceIndex, uint8_t PipeID);

}  // namespace mirbax
