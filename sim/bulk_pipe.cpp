#include "sim/bulk_pipe.h"

#include <algorithm>
#include <utility>

#include "sim/errors.h"

namespace mirbax::sim {

// ---- BulkWait ----------------------------------------------------------------

// Made by a transfer with the signal's mutex held, so the abort count it
// starts from is the one the transfer began with.
BulkWait::BulkWait(PipeSignal &signal, Deadline deadline)
    : signal_(signal), abortsAtStart_(signal.aborts), deadline_(deadline) {}

uint32_t BulkWait::EndCodeLocked() const {
  if (signal_.unplugged) return kErrorDeviceNotConnected;
  if (signal_.aborts != abortsAtStart_) return kErrorOperationAborted;
  return kOk;
}

bool BulkWait::WaitUntil(Clock::time_point when) {
  std::unique_lock lock(signal_.mutex);
  const bool deadlineFirst = deadline_ && *deadline_ < when;
  const Clock::time_point until = deadlineFirst ? *deadline_ : when;
  const bool ended =
      signal_.changed.wait_until(lock, until, [this] { return EndCodeLocked() != kOk; });
  return !ended && !deadlineFirst;
}

bool BulkWait::Ended() {
  std::lock_guard lock(signal_.mutex);
  return EndCodeLocked() != kOk || (deadline_ && Clock::now() >= *deadline_);
}

// ---- BulkInPipe --------------------------------------------------------------

void BulkInPipe::Queue(std::span<const uint8_t> data) {
  {
    std::lock_guard lock(signal_.mutex);
    queue_.insert(queue_.end(), data.begin(), data.end());
  }
  signal_.changed.notify_all();
}

void BulkInPipe::ClearQueue() {
  std::lock_guard lock(signal_.mutex);
  queue_.clear();
}

void BulkInPipe::SetSource(BulkSource source) {
  {
    std::lock_guard lock(signal_.mutex);
    source_ = source ? std::make_shared<const BulkSource>(std::move(source)) : nullptr;
    ++signal_.wakes;
  }
  signal_.changed.notify_all();
}

void BulkInPipe::Wake() {
  {
    std::lock_guard lock(signal_.mutex);
    ++signal_.wakes;
  }
  signal_.changed.notify_all();
}

void BulkInPipe::Abort() {
  {
    std::lock_guard lock(signal_.mutex);
    ++signal_.aborts;
  }
  signal_.changed.notify_all();
}

void BulkInPipe::Unplug() {
  {
    std::lock_guard lock(signal_.mutex);
    signal_.unplugged = true;
  }
  signal_.changed.notify_all();
}

uint32_t BulkInPipe::TakeQueued(std::span<uint8_t> buffer) {
  const std::size_t count = std::min(buffer.size(), queue_.size());
  std::copy_n(queue_.begin(), count, buffer.begin());
  queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(count));
  return static_cast<uint32_t>(count);
}

Outcome BulkInPipe::Read(std::span<uint8_t> buffer, Deadline deadline) {
  std::unique_lock lock(signal_.mutex);
  BulkWait wait(signal_, deadline);
  for (;;) {
    if (uint32_t code = wait.EndCodeLocked()) return {code, 0};
    if (buffer.empty()) return {kOk, 0};
    if (!queue_.empty()) return {kOk, TakeQueued(buffer)};

    const uint64_t wakesSeen = signal_.wakes;
    if (std::shared_ptr<const BulkSource> source = source_) {
      // The source may pace itself; it runs unlocked so that queueing,
      // aborts and unplugging reach it through `wait`.
      lock.unlock();
      const uint32_t produced = (*source)(buffer, wait);
      lock.lock();
      if (uint32_t code = wait.EndCodeLocked()) return {code, 0};
      if (produced > 0) {
        return {kOk, static_cast<uint32_t>(std::min<std::size_t>(produced, buffer.size()))};
      }
      if (!queue_.empty() || signal_.wakes != wakesSeen) continue;
    }

    auto progress = [&] {
      return wait.EndCodeLocked() != kOk || !queue_.empty() || signal_.wakes != wakesSeen;
    };
    if (!deadline) {
      signal_.changed.wait(lock, progress);
    } else if (!signal_.changed.wait_until(lock, *deadline, progress)) {
      return {kErrorSemTimeout, 0};
    }
  }
}

// ---- BulkOutPipe -------------------------------------------------------------

void BulkOutPipe::SetSink(BulkSink sink) {
  std::lock_guard lock(signal_.mutex);
  sink_ = sink ? std::make_shared<const BulkSink>(std::move(sink)) : nullptr;
}

void BulkOutPipe::Abort() {
  {
    std::lock_guard lock(signal_.mutex);
    ++signal_.aborts;
  }
  signal_.changed.notify_all();
}

void BulkOutPipe::Unplug() {
  {
    std::lock_guard lock(signal_.mutex);
    signal_.unplugged = true;
  }
  signal_.changed.notify_all();
}

Outcome BulkOutPipe::Write(std::span<const uint8_t> data, Deadline deadline) {
  std::unique_lock lock(signal_.mutex);
  BulkWait wait(signal_, deadline);
  if (uint32_t code = wait.EndCodeLocked()) return {code, 0};
  const std::shared_ptr<const BulkSink> sink = sink_;
  if (!sink) {
    record_.insert(record_.end(), data.begin(), data.end());
    return {kOk, static_cast<uint32_t>(data.size())};
  }
  lock.unlock();
  const uint32_t accepted =
      static_cast<uint32_t>(std::min<std::size_t>((*sink)(data, wait), data.size()));
  lock.lock();
  if (uint32_t code = wait.EndCodeLocked()) return {code, 0};
  if (accepted < data.size() && deadline && Clock::now() >= *deadline) {
    return {kErrorSemTimeout, accepted};
  }
  return {kOk, accepted};
}

std::optional<std::vector<uint8_t>> BulkOutPipe::TakeRecord(std::size_t room,
                                                            std::size_t &recorded) {
  std::lock_guard lock(signal_.mutex);
  recorded = record_.size();
  if (recorded > room) return std::nullopt;
  return std::exchange(record_, {});
}

}  // namespace mirbax::sim
