// The placeholder of entry points whose family is not built yet: they exist
// (the export list is complete) and refuse every call with
// ERROR_NOT_SUPPORTED.  docs/architecture.md lists them with the issue that
// builds them.
#pragma once

#include "core/result_codes.h"

namespace mirbax {

inline uint32_t NotBuiltYet() { return ERROR_NOT_SUPPORTED; }

}  // namespace mirbax
