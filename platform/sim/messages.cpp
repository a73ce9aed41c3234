// Simulated backend: message boxes are recorded (MIRBAXSIM_GetMessages),
// never shown, so a caller never waits for a user.
#include "platform/platform.h"
#include "sim/message_record.h"

namespace mirbax::platform {

void MessageBox(std::string_view caption, std::string_view text, uint32_t type) {
  sim::MessageRecord::Instance().Add(caption, text, type);
}

}  // namespace mirbax::platform
