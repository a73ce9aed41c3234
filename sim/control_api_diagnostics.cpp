// The control API: fault injection, the transfer log and the message record.
#include "mirbax_sim.h"
#include "sim/control_api_support.h"
#include "sim/message_record.h"

using namespace mirbax::sim;

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_FailTransfersAfter(uint32_t board, uint32_t skip,
                                                       uint32_t count, uint32_t error) {
  return WithBoard(board, [&](Board &found) -> uint32_t {
    if (count > 0 && error == 0) return kErrorInvalidParameter;
    found.faults().Arm(skip, count, error);
    return kOk;
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_FailTransfers(uint32_t board, uint32_t count, uint32_t error) {
  return MIRBAXSIM_FailTransfersAfter(board, 0, count, error);
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_GetLog(uint32_t board, char *text, uint32_t *pSize) {
  return WithBoard(board, [&](Board &found) {
    std::string log;
    {
      auto lock = found.Lock();
      log = found.log.Text();
    }
    return CopyText(log, text, pSize);
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_ClearLog(uint32_t board) {
  return WithBoard(board, [&](Board &found) {
    auto lock = found.Lock();
    found.log.Clear();
    return kOk;
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_GetMessages(char *text, uint32_t *pSize) {
  return Guarded([&] { return CopyText(MessageRecord::Instance().Text(), text, pSize); });
}
