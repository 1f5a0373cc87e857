#include "platform/background_flush.h"

#include <system_error>

namespace quarnel {

void BackgroundFlush::Grown(uint64_t size) {
  if (no_thread_ || size - asked_ < StepAfter(asked_)) return;
  asked_ = size;
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
      no_thread_ = true;  // the final flush does it all
      return;
    }
  }
  {
    std::lock_guard lock(mutex_);
    pending_ = true;
  }
  wake_.notify_one();
}

unsigned long BackgroundFlush::Stop() {
  if (thread_.joinable()) {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }
  return error_;
}

void BackgroundFlush::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return pending_ || stopping_; });
    if (stopping_) return;
    pending_ = false;
    lock.unlock();
    const unsigned long failed = flush_();
    lock.lock();
    if (error_ == 0) error_ = failed;
  }
}

}  // namespace quarnel
