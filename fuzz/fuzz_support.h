#ifndef QUARNEL_FUZZ_FUZZ_SUPPORT_H_
#define QUARNEL_FUZZ_FUZZ_SUPPORT_H_

#include <cstddef>
#include <cstdlib>
#include <string_view>

#include "input/text_file.h"

namespace quarnel {

// Stops the run, so that libFuzzer keeps the input, when `condition` fails.
inline void Check(bool condition) {
  if (!condition) std::abort();
}

// The number of the last line of a file's bytes, as the reader counts
// lines: where a line the file names may be at the most.
inline size_t LastLineOf(std::string_view bytes) {
  std::string_view text_bytes = TextBytes(bytes, DecideTextEncoding(bytes));
  return text_bytes.empty() ? 1
                            : LineNumberAt(text_bytes, text_bytes.size(),
                                           DecideLineEnds(text_bytes));
}

}  // namespace quarnel

#endif  // QUARNEL_FUZZ_FUZZ_SUPPORT_H_
