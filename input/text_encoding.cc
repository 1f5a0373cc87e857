#include "input/text_encoding.h"

#include <cstdint>

#include "platform/utf8.h"

namespace quarnel {
namespace {

// Walks `bytes` as strict UTF-8; false at the first byte that is not part
// of a valid sequence. `*long_sequence` tells whether a sequence of three or
// four bytes occurred.
bool WalkUtf8(std::string_view bytes, bool* long_sequence) {
  *long_sequence = false;
  for (size_t i = 0; i < bytes.size();) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    uint32_t code_point;
    size_t length = Utf8SequenceAt(bytes, i, &code_point);
    if (length == 0) return false;
    if (length >= 3) *long_sequence = true;
    i += length;
  }
  return true;
}

}  // namespace

TextEncoding DecideTextEncoding(std::string_view bytes) {
  if (bytes.starts_with(kUtf8ByteOrderMark)) return TextEncoding::Utf8WithBom;
  bool long_sequence;
  return WalkUtf8(bytes, &long_sequence) && long_sequence ? TextEncoding::Utf8
                                                         : TextEncoding::CodePage;
}

bool IsStrictUtf8(std::string_view bytes) {
  bool long_sequence;
  return WalkUtf8(bytes, &long_sequence);
}

std::string_view TextBytes(std::string_view bytes, TextEncoding encoding) {
  return encoding == TextEncoding::Utf8WithBom ? bytes.substr(kUtf8ByteOrderMark.size())
                                               : bytes;
}

LineEnds DecideLineEnds(std::string_view text_bytes) {
  return text_bytes.find('\r') == std::string_view::npos ? LineEnds::Lf : LineEnds::CrLf;
}

}  // namespace quarnel
