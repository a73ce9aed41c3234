#include "sim/bus.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "sim/message_record.h"

namespace mirbax::sim {

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// A loader's product ID is the one its path shows after "pid_", if any.
uint16_t ProductIdInTag(std::string_view tag) {
  std::string lower(tag);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const std::size_t at = lower.find("pid_");
  if (at == std::string::npos) return 0;
  return static_cast<uint16_t>(std::strtoul(lower.substr(at + 4, 4).c_str(), nullptr, 16));
}

}  // namespace

Bus &Bus::Instance() {
  static Bus bus;
  return bus;
}

std::shared_ptr<Board> Bus::Add(BoardIdentity identity) {
  std::lock_guard lock(mutex_);
  identity.id = nextId_++;
  auto board = std::make_shared<Board>(std::move(identity));
  boards_.push_back(board);
  return board;
}

std::shared_ptr<Board> Bus::Attach(uint16_t productId, Driver driver) {
  BoardIdentity identity;
  identity.productId = productId;
  identity.driver = driver;
  return Add(std::move(identity));
}

std::shared_ptr<Board> Bus::AttachLoader(std::string pathTag) {
  BoardIdentity identity;
  identity.productId = ProductIdInTag(pathTag);
  identity.driver = Driver::CyUsb3;  // loaders wait under the CyUSB driver
  identity.loaderPathTag = std::move(pathTag);
  return Add(std::move(identity));
}

bool Bus::Detach(uint32_t board) {
  std::shared_ptr<Board> found = Find(board);
  return found && found->Unplug();
}

void Bus::Reset() {
  std::vector<std::shared_ptr<Board>> forgotten;
  {
    std::lock_guard lock(mutex_);
    forgotten.swap(boards_);
  }
  for (const auto &board : forgotten) board->Unplug();
  MessageRecord::Instance().Clear();
}

std::shared_ptr<Board> Bus::Find(uint32_t board) const {
  std::lock_guard lock(mutex_);
  for (const auto &candidate : boards_) {
    if (candidate->id() == board) return candidate;
  }
  return nullptr;
}

std::vector<std::shared_ptr<Board>> Bus::AttachedBoards() const {
  std::lock_guard lock(mutex_);
  std::vector<std::shared_ptr<Board>> attached;
  for (const auto &board : boards_) {
    if (board->IsAttached()) attached.push_back(board);
  }
  return attached;
}

std::shared_ptr<Board> Bus::FindAttachedByPath(std::string_view path) const {
  std::lock_guard lock(mutex_);
  for (const auto &board : boards_) {
    if (board->IsAttached() && SameIgnoringCase(board->devicePath(), path)) return board;
  }
  return nullptr;
}

}  // namespace mirbax::sim
