// Entry points of board memory, maintenance, serial numbers and the firmware loader that are not built yet
// (issue 3).  Each answers ERROR_NOT_SUPPORTED through the one
// placeholder NotBuiltYet(); a function leaves this file when it is built.
#include "core/frame.h"
#include "core/not_built_yet.h"

MIRBAX_EXPORT uint32_t ClearDevices(void) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t GetDeviceBySerialNumber(uint64_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t GetDeviceByEEPROMByte(uint8_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t GetDeviceByEEPROMData(uint32_t, uint32_t, const void *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t GetDeviceSerialNumber(uint32_t, uint64_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t GetDeviceUniqueStr(uint32_t, uint32_t *, void *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t CustomEEPROMRead(uint32_t, uint32_t, uint32_t *, void *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t CustomEEPROMWrite(uint32_t, uint32_t, uint32_t, const void *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t MIRBAX_FlashRead(uint32_t, uint32_t, uint32_t *, void *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t MIRBAX_FlashWrite(uint32_t, uint32_t, uint32_t, const void *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t MIRBAX_FlashEraseSector(uint32_t, int32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t MIRBAX_OfflineWrite1(uint32_t, uint32_t, uint16_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t MIRBAX_OfflineRead1(uint32_t, uint32_t, uint16_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t MIRBAX_ClearFIFO(uint32_t, uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t MIRBAX_GetStreamStatus(uint32_t, uint32_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t MIRBAX_SetStreamingBlockSize(uint32_t, uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t MIRBAX_ResetChip(uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t MIRBAX_QuerySimplePNPData(uint32_t, void *, uint32_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t MIRBAX_SaveStateAsDefaults(uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t MIRBAX_RestoreFactoryDefaults(uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t MIRBAX_SetDefaultsTable(uint32_t, const void *, uint32_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t MIRBAX_GetDefaultsTable(uint32_t, void *, uint32_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t MIRBAX_SetGlobalTickRate(uint32_t, double *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DEB_BufTest(uint32_t, uint8_t, uint32_t, const void *, uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DEB_SetInterface(uint32_t, uint16_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DEB_BulkIn(uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DEB_BulkOut(uint32_t, uint32_t, const void *, uint32_t) { return mirbax::NotBuiltYet(); }
