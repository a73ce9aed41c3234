#include "sim/message_record.h"

namespace mirbax::sim {

MessageRecord &MessageRecord::Instance() {
  static MessageRecord record;
  return record;
}

void MessageRecord::Add(std::string_view caption, std::string_view text, uint32_t type) {
  std::lock_guard lock(mutex_);
  text_.append(caption).append("\t").append(text).append("\t").append(std::to_string(type));
  text_ += '\n';
}

void MessageRecord::Clear() {
  std::lock_guard lock(mutex_);
  text_.clear();
}

std::string MessageRecord::Text() const {
  std::lock_guard lock(mutex_);
  return text_;
}

}  // namespace mirbax::sim
