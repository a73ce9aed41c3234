#include "robustness/expected_codes.h"

namespace mirbax::testing {

const std::vector<ExpectedCodes> kExpectedCodes = {
    // Transfers: a caller buffer the transport copies gives 998; a size
    // read by address, 1359 from the guard.
    {"GenericVendorRead", "pData", "", {998}},
    {"GenericVendorRead", "DataSize", "null", {1359}},
    {"GenericVendorRead", "DataSize", "unreadable", {1359}},
    {"GenericVendorRead", "DataSize", "-> 0x7FFFFFFF", {998}},
    {"GenericVendorRead", "DataSize", "-> 0xFFFFFFFF", {998}},
    {"GenericVendorWrite", "pData", "", {998}},
    {"GenericVendorWrite", "DataSize", "0x7FFFFFFF", {998}},
    {"GenericVendorWrite", "DataSize", "0xFFFFFFFF", {998}},
    {"AWU_GenericBulkIn", "BytesRead", "null", {1359}},
    {"AWU_GenericBulkIn", "BytesRead", "unreadable", {1359}},
    {"AWU_GenericBulkOut", "BytesWritten", "null", {1359}},
    {"AWU_GenericBulkOut", "BytesWritten", "unreadable", {1359}},
    {"GetDeviceHandle", "pData", "null", {1359}},
    {"GetDeviceHandle", "pData", "unreadable", {1359}},
    // Every pointer of QueryDeviceInfo may be null; the name is copied.
    {"QueryDeviceInfo", "", "null", {0}},
    {"QueryDeviceInfo", "pName", "unreadable", {998}},
    {"QueryDeviceInfo", "", "unreadable", {1359}},
    {"SelectDeviceViaUI", "", "", {50}},
    // Counters: the rate pointer is checked, read by address, and a rate
    // that is not a number is refused before anything is sent.
    {"CTR_StartOutputFreq", "pHz", "null", {87}},
    {"CTR_StartOutputFreq", "pHz", "unreadable", {1359}},
    {"CTR_StartOutputFreq", "pHz", "4 bytes before", {1359}},
    {"CTR_StartOutputFreq", "pHz", "-> NaN", {13}},
    {"CTR_8254ReadAll", "pData", "null", {998}},
    {"CTR_8254ReadAll", "pData", "unreadable", {998}},
    {"CTR_8254ReadLatched", "pData", "null", {998}},
    {"CTR_8254ReadLatched", "pData", "unreadable", {998}},
    {"CTR_8254Read", "pReadValue", "null", {998, 1359}},
    {"CTR_8254Read", "pReadValue", "unreadable", {998, 1359}},
    {"CTR_8254ReadModeLoad", "pReadValue", "null", {998, 1359}},
    {"CTR_8254ReadModeLoad", "pReadValue", "unreadable", {998, 1359}},
    {"CTR_8254ReadStatus", "", "null", {998, 1359}},
    {"CTR_8254ReadStatus", "", "unreadable", {998, 1359}},
};

const ExpectedCodes *FindExpected(std::string_view function, std::string_view parameter,
                                  std::string_view variant) {
  for (const ExpectedCodes &row : kExpectedCodes) {
    if (row.function != function) continue;
    if (!row.parameter.empty() && row.parameter != parameter) continue;
    if (variant.substr(0, row.variantPrefix.size()) != row.variantPrefix) continue;
    return &row;
  }
  return nullptr;
}

}  // namespace mirbax::testing
