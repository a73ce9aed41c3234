// Result codes as words a person reads.
#pragma once

#include <cstdint>
#include <string>

namespace mirbax::tool {

// "1617 (the board has been removed; close the index and relink)".
std::string ResultText(uint32_t code);

}  // namespace mirbax::tool
