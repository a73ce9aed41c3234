// The message boxes the library has shown, recorded instead of shown: the
// simulated build never blocks on a user.  Thread-safe.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace mirbax::sim {

class MessageRecord {
 public:
  static MessageRecord &Instance();

  // Records "caption<TAB>text<TAB>type" and a line feed.
  void Add(std::string_view caption, std::string_view text, uint32_t type);
  void Clear();
  std::string Text() const;

 private:
  mutable std::mutex mutex_;
  std::string text_;
};

}  // namespace mirbax::sim
