#include "platform/background_flush.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel {
namespace {

TEST(BackgroundFlush, FlushesEachStepAndReportsTheFirstFailure) {
  constexpr uint64_t kStep = BackgroundFlush::kFirstStep;
  constexpr uint64_t kMiB = uint64_t{1} << 20;
  // Each size written, and how many flushes it has asked for by then: one
  // each time the file has grown by a step since the last one, the step a
  // fourth of the size then, from 4 to 16 MiB.
  struct Case {
    std::vector<std::pair<uint64_t, int>> sizes;
    int fail_from;  // the flush that fails first, with code 28, later ones with 5; 0 for none
    unsigned long error;
  };
  const Case cases[] = {
      {{}, 0, 0},                                                     // nothing written
      {{{1, 0}, {kStep - 1, 0}}, 1, 0},                               // short: no flush at all
      {{{kStep, 1}}, 0, 0},
      {{{kStep - 1, 0}, {kStep + 5, 1}, {2 * kStep, 1}, {2 * kStep + 5, 2}}, 0, 0},
      {{{kStep, 1}, {2 * kStep, 2}, {3 * kStep, 3}, {3 * kStep + 1, 3}}, 0, 0},
      {{{24 * kMiB, 1}, {30 * kMiB - 1, 1}, {30 * kMiB, 2}}, 0, 0},  // a step of 6 MiB
      {{{64 * kMiB, 1}, {80 * kMiB - 1, 1}, {80 * kMiB, 2}, {96 * kMiB, 3}}, 0, 0},  // 16 at most
      {{{kStep, 1}, {2 * kStep, 2}, {3 * kStep, 3}}, 2, 28},         // the first failure is kept
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    std::atomic<int> calls{0};
    const int fail_from = cases[i].fail_from;
    unsigned long error = 0;
    int asked = 0;
    {
      BackgroundFlush flush([&calls, fail_from]() -> unsigned long {
        const int call = ++calls;
        if (fail_from == 0 || call < fail_from) return 0;
        return call == fail_from ? 28 : 5;
      });
      for (const auto& [size, flushes] : cases[i].sizes) {
        flush.Grown(size);
        asked = flushes;
        // Each flush asked for is waited for: Stop drops one still pending,
        // as the final flush covers it.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (calls < asked && std::chrono::steady_clock::now() < deadline) {
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
      }
      error = flush.Stop();
      EXPECT_EQ(flush.Stop(), error);  // stopping again changes nothing
    }
    EXPECT_EQ(calls, asked);
    EXPECT_EQ(error, cases[i].error);
  }
}

}  // namespace
}  // namespace quarnel
