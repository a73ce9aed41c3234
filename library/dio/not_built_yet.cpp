// Entry points of digital I/O, counters, pulse width, extensions and watchdog that are not built yet
// (issue 4).  Each answers ERROR_NOT_SUPPORTED through the one
// placeholder NotBuiltYet(); a function leaves this file when it is built.
#include "core/frame.h"
#include "core/not_built_yet.h"

MIRBAX_EXPORT uint32_t DACDIO_WriteAll(uint32_t, const uint16_t *, const void *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_Configure(uint32_t, uint8_t, const void *, const void *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_ConfigureEx(uint32_t, const void *, const void *, const void *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_ConfigurationQuery(uint32_t, void *, void *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_ConfigureMasked(uint32_t, const void *, const void *, const void *, const void *, const void *, const void *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_Write1(uint32_t, uint32_t, uint8_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_Write8(uint32_t, uint32_t, uint8_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_WriteAll(uint32_t, const void *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_Read1(uint32_t, uint32_t, uint8_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_Read8(uint32_t, uint32_t, uint8_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_ReadAll(uint32_t, void *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_SPI_Write(uint32_t, uint8_t, uint8_t, uint8_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_SPI_Read(uint32_t, uint8_t, uint8_t, uint8_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_Automap_ClearTable(uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_Automap_SetTable(uint32_t, const void *, uint32_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_Automap_AddEntry(uint32_t, const uint16_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_Automap_SetTickDivisor(uint32_t, const uint8_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_PWM_Start(uint32_t, const void *, uint32_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_Latch_SetDivisor(uint32_t, const uint8_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_Latch_Reset(uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_Latch_Read(uint32_t, void *, void *, void *, uint32_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_Deb_SetConfig(uint32_t, const void *, uint32_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_Deb_ReadAll(uint32_t, void *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_CSA_DoSync(uint32_t, double *, double *, double *, double *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_CSA_DebounceSet(uint32_t, uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_CSA_DebounceReadAll(uint32_t, void *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_CSA_ReadAllString(uint32_t, void *, uint32_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t CTR_StartMeasuringPulseWidth(uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t CTR_StopMeasuringPulseWidth(uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t CTR_GetPulseWidthMeasurement(uint32_t, uint32_t, uint32_t, uint16_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t WDG_SetConfig(uint32_t, const double *, const void *, const uint32_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t WDG_GetStatus(uint32_t, void *, uint32_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t WDG_Pet(uint32_t, uint32_t) { return mirbax::NotBuiltYet(); }
