// The simulated USB bus: the one process-wide set of simulated boards, in
// attach order.  A board stays known after it is unplugged (its log and
// memories can still be read) until Reset forgets every board.  Thread-safe
// under its own mutex; a board's own state is under the board's lock.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "sim/board.h"

namespace mirbax::sim {

class Bus {
 public:
  static Bus &Instance();

  // Plugs in a board; its handle is unique within the process.
  std::shared_ptr<Board> Attach(uint16_t productId, Driver driver);
  // Plugs in a board waiting for firmware; its path ends with `pathTag`.
  std::shared_ptr<Board> AttachLoader(std::string pathTag);
  // Unplugs a board; false when no attached board has that handle.
  bool Detach(uint32_t board);
  // Unplugs and forgets every board and clears the message record.
  void Reset();

  // A known board (attached or unplugged since the last Reset), or null.
  std::shared_ptr<Board> Find(uint32_t board) const;
  // The boards plugged in now, in attach order.
  std::vector<std::shared_ptr<Board>> AttachedBoards() const;
  // The plugged-in board with that device path (compared ignoring ASCII
  // case, as Windows compares paths), or null.
  std::shared_ptr<Board> FindAttachedByPath(std::string_view path) const;

 private:
  std::shared_ptr<Board> Add(BoardIdentity identity);

  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<Board>> boards_;
  uint32_t nextId_ = 1;
};

}  // namespace mirbax::sim
