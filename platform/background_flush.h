#ifndef QUARNEL_PLATFORM_BACKGROUND_FLUSH_H_
#define QUARNEL_PLATFORM_BACKGROUND_FLUSH_H_

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace quarnel {

/// Sends a file to the disk on a thread of its own while it is still being
/// written, each time it has grown by a step (StepAfter): left to the final flush, a
/// long page's would start only when all of it is written, and take about as
/// long again. The final flush then waits for the last step alone.
class BackgroundFlush {
 public:
  /// `flush` sends what was written so far to the disk and returns 0, or the
  /// system's error code. It runs on the thread while the file is written.
  explicit BackgroundFlush(std::function<unsigned long()> flush) : flush_(std::move(flush)) {}
  BackgroundFlush(const BackgroundFlush&) = delete;
  BackgroundFlush& operator=(const BackgroundFlush&) = delete;
  ~BackgroundFlush() { Stop(); }

  /// The file has `size` bytes now. A short file starts no thread.
  void Grown(uint64_t size);
  /// Waits for the flush under way; returns the error code of the first
  /// flush that failed, 0 if none did. Its error may not show again at a
  /// later flush of the same file, so the caller reports it.
  unsigned long Stop();

  /// How far the file grows between two flushes, once `flushed` bytes were
  /// asked for: a fourth of that, at least 4 MiB and at most 16 MiB. A
  /// short page's last step, which the final flush waits for, stays short;
  /// a long page's flushes stay few, for disks that pay much for each.
  static constexpr uint64_t kFirstStep = uint64_t{4} << 20;
  static constexpr uint64_t kLongestStep = uint64_t{16} << 20;
  static constexpr uint64_t StepAfter(uint64_t flushed) {
    return std::clamp(flushed / 4, kFirstStep, kLongestStep);
  }

 private:
  void Run();

  const std::function<unsigned long()> flush_;
  uint64_t asked_ = 0;  // the writing side's own
  bool no_thread_ = false;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool pending_ = false, stopping_ = false;
  unsigned long error_ = 0;
};

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_BACKGROUND_FLUSH_H_
