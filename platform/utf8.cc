#include "platform/utf8.h"

#include <cstdint>

#include "text/code_points.h"

namespace quarnel {
namespace {

void AppendUtf16(std::u16string* out, uint32_t cp) {
  if (cp < 0x10000) {
    out->push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 | (cp >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
  }
}

}  // namespace

size_t Utf8SequenceAt(std::string_view s, size_t i, uint32_t* cp) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char b0 = byte(i);
  size_t length;
  uint32_t min;
  if (b0 < 0x80) {
    *cp = b0;
    return 1;
  } else if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2, min = 0x80, *cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3, min = 0x800, *cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4, min = 0x10000, *cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (i + length > s.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    *cp = (*cp << 6) | (byte(i + k) & 0x3F);
  }
  if (*cp < min || *cp > 0x10FFFF || IsSurrogate(*cp)) return 0;
  return length;
}

std::u16string DecodeUtf8(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    uint32_t cp = 0;
    size_t length = Utf8SequenceAt(bytes, i, &cp);
    if (length == 0) {
      text.push_back(static_cast<char16_t>(0xDC00 | static_cast<unsigned char>(bytes[i])));
      ++i;
    } else {
      AppendUtf16(&text, cp);
      i += length;
    }
  }
  return text;
}

namespace {

// Encodes UTF-16 as UTF-8; the lone surrogates U+DC80..U+DCFF become their
// bytes when `raw_bytes`, any other unpaired surrogate becomes U+FFFD.
std::string EncodeUtf8As(std::u16string_view text, bool raw_bytes) {
  // A code unit takes at most three bytes; a pair of two four.
  ByteGatherer bytes(text.size());
  auto put = [&](uint32_t byte) { bytes.Put(byte); };
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] < 0x80) {
      i = bytes.CopyAsciiRun(text, i);
      if (i == text.size()) break;
    }
    bytes.MakeRoom();
    uint32_t c = text[i];
    if (IsSurrogate(c)) {
      c = CodePointAt(text, &i);
      if (c >= 0x10000) {
        put(0xF0 | (c >> 18));
        put(0x80 | ((c >> 12) & 0x3F));
        put(0x80 | ((c >> 6) & 0x3F));
        put(0x80 | (c & 0x3F));
        continue;
      }
      if (raw_bytes && c >= 0xDC80 && c <= 0xDCFF) {
        put(c & 0xFF);
        continue;
      }
      c = 0xFFFD;
    }
    if (c < 0x800) {
      put(0xC0 | (c >> 6));
    } else {
      put(0xE0 | (c >> 12));
      put(0x80 | ((c >> 6) & 0x3F));
    }
    put(0x80 | (c & 0x3F));
  }
  return bytes.Take();
}

}  // namespace

std::string EncodeUtf8(std::u16string_view text) { return EncodeUtf8As(text, true); }

std::string EncodeUtf8Text(std::u16string_view text) { return EncodeUtf8As(text, false); }

}  // namespace quarnel
