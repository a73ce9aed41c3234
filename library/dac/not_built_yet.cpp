// Entry points of analog output and the digital stream that are not built yet
// (issue 6).  Each answers ERROR_NOT_SUPPORTED through the one
// placeholder NotBuiltYet(); a function leaves this file when it is built.
#include "core/frame.h"
#include "core/not_built_yet.h"

MIRBAX_EXPORT uint32_t DACDirect(uint32_t, uint16_t, uint16_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DACMultiDirect(uint32_t, const TDACEntry *, uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DACSetBoardRange(uint32_t, uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DACSetChannelCal(uint32_t, uint32_t, const char *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DACOutputOpen(uint32_t, double *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DACOutputAbort(uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DACOutputClose(uint32_t, uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DACOutputCloseNoEnd(uint32_t, uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DACOutputSetCount(uint32_t, uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DACOutputFrame(uint32_t, uint32_t, const uint16_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DACOutputFrameRaw(uint32_t, uint32_t, const uint16_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DACOutputStatus(uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DACOutputStart(uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DACOutputSetInterlock(uint32_t, uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DACOutputSetClock(uint32_t, double *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DACOutputLoadProcess(uint32_t, double *, uint32_t, const uint16_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DACOutputProcess(uint32_t, double *, uint32_t, const uint16_t *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DAC_CSA_SetRangeLimits(uint32_t, const void *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DAC_CSA_ClearRangeLimits(uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_StreamOpen(uint32_t, uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_StreamSetClocks(uint32_t, double *, double *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_StreamClose(uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t DIO_StreamFrame(uint32_t, uint32_t, uint16_t *, uint32_t *) { return mirbax::NotBuiltYet(); }
