// Entry points of analog input that are not built yet
// (issue 5).  Each answers ERROR_NOT_SUPPORTED through the one
// placeholder NotBuiltYet(); a function leaves this file when it is built.
#include "core/frame.h"
#include "core/not_built_yet.h"

MIRBAX_EXPORT uint32_t ADC_InitFastITScanV(uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t ADC_ResetFastITScanV(uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t ADC_SetFastITScanVChannels(uint32_t, uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t ADC_GetFastITScanV(uint32_t, double *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t ADC_GetITScanV(uint32_t, double *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t ADC_CSA_InitFastScanV(uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t ADC_CSA_ResetFastScanV(uint32_t) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t ADC_CSA_GetFastScanV(uint32_t, double *) { return mirbax::NotBuiltYet(); }
MIRBAX_EXPORT uint32_t ADC_CSA_GetScanOversamples(uint32_t, uint16_t *) { return mirbax::NotBuiltYet(); }
