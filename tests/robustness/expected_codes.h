// What the bad-input sweep accepts from each call.
//
// Every result is one of the library's codes (kKnownCodes).  On top of that:
//   - a bad device index gives 1413 and sends nothing; entry 31 (no board)
//     gives 2; diOnly and diLoadAndOnly with several boards give 52;
//   - a board that lacks the feature gives 1349 whatever the other
//     arguments are (the capability check comes before the argument checks);
//   - the rows of kExpectedCodes name the exact codes of single cases;
//   - a function still waiting for its family answers 50 to everything.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace mirbax::testing {

inline const std::set<uint32_t> kKnownCodes = {
    0,   2,   4,   5,   6,   8,   13,  14,  21,  24,   25,   30,   31,   38,   50,   52,  87,
    121, 122, 126, 183, 186, 232, 259, 433, 487, 995,  998,  1104, 1117, 1167, 1349, 1359, 1413,
    1460, 1617, 1784,
};

// Codes of failed checks: a call that gives one has sent no command.
inline const std::set<uint32_t> kRefusals = {14, 24, 87, 487, 1349, 1413, 1784};

struct ExpectedCodes {
  std::string_view function;
  std::string_view parameter;       // "" for every parameter
  std::string_view variantPrefix;   // the case labels it covers, e.g. "null", "-> NaN"
  std::set<uint32_t> codes;
};

// Exact codes of single cases, on boards that have the feature.
extern const std::vector<ExpectedCodes> kExpectedCodes;

// Functions that return a value other than a result code (a mask, an index,
// a count); their last error (errno) carries the code where they set one.
inline const std::set<std::string_view> kValueFunctions = {
    "GetDevices",          "ResolveDeviceIndex",    "ClearDevices",
    "GetDeviceBySerialNumber", "GetDeviceByEEPROMByte", "GetDeviceByEEPROMData",
    "MIRBAX_UploadD15LoFirmwaresByPID",
};

// Functions that check something before the capability (so a board without
// the feature can give another code than 1349 for a bad argument).
inline const std::set<std::string_view> kChecksBeforeCapability = {
    "ADC_GetBuf",      // clears the caller's references first (998)
    "ADC_Initialize",  // reads the size of the configuration it is given first
    "ADC_BulkContinuousCallbackStartClocked",  // the rate is a reference, read first
    "DIO_StreamFrame",                         // clears BytesTransferred first
};

// Functions that check an argument only after their first commands: the
// slow-waveform open sends its set-up before the rate is converted, the
// one-shot outputs open a stream before the frame is checked.
inline const std::set<std::string_view> kChecksAfterCommands = {
    "DACOutputOpen", "DACOutputOpenNoClear", "DACOutputLoadProcess", "DACOutputProcess",
};

// Functions whose use of entry 31 and of diOnly is not the frame's (2, 52).
inline const std::set<std::string_view> kNotTheFramesIndexCodes = {
    "MIRBAX_CloseDevice",  // resolves the index only: closing an empty entry succeeds
    // No frame of their own: their range checks come before the transfers
    // that resolve the index.
    "CustomEEPROMRead", "CustomEEPROMWrite", "MIRBAX_ResetChip",
};

const ExpectedCodes *FindExpected(std::string_view function, std::string_view parameter,
                                  std::string_view variant);

}  // namespace mirbax::testing
