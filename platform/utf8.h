#ifndef QUARNEL_PLATFORM_UTF8_H_
#define QUARNEL_PLATFORM_UTF8_H_

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace quarnel {

/// Decodes UTF-8 bytes such as a POSIX path or argument. A byte that is not
/// part of valid UTF-8 becomes the lone surrogate U+DC80 + byte, so that
/// EncodeUtf8 gives the original bytes back and any file name can be opened.
std::u16string DecodeUtf8(std::string_view bytes);

/// The length of the strictly valid UTF-8 sequence at byte `i` of `bytes`
/// (1 to 4), setting `*code_point`; 0 for an overlong form, a surrogate, a
/// code point above U+10FFFF, a stray or bad byte, or a sequence cut off.
size_t Utf8SequenceAt(std::string_view bytes, size_t i, uint32_t* code_point);

/// Encodes UTF-16 as UTF-8, turning the lone surrogates U+DC80..U+DCFF back
/// into their bytes; any other unpaired surrogate becomes U+FFFD.
std::string EncodeUtf8(std::u16string_view text);

/// Encodes UTF-16 as UTF-8 text, such as a page: every unpaired surrogate
/// becomes U+FFFD, so the result is always valid UTF-8.
std::string EncodeUtf8Text(std::u16string_view text);

/// The four bytes of four ASCII code units read as one little-endian
/// number, in the same order.
constexpr uint64_t PackAscii(uint64_t units) {
  // 00dd00cc00bb00aa | 0000dd00cc00bb00 = ..ddddccccbbbbaa: aa bb at the
  // bottom, cc dd 32 bits up.
  uint64_t pairs = units | units >> 8;
  return (pairs & 0xFFFF) | (pairs >> 16 & 0xFFFF0000);
}

/// Copies the ASCII code units at the start of the `size` at `text`, at
/// most `room` of them, to `out` as bytes; returns how many. Both page
/// encodings keep ASCII as it is, and a page is mostly ASCII markup.
inline size_t CopyAscii(const char16_t* text, size_t size, char* out, size_t room) {
  size_t n = size < room ? size : room;
  size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    // Eight code units at a time while all of them are ASCII, packed to
    // eight bytes in registers and stored at once: a byte store may alias
    // the text, so storing each byte on its own would reload the text.
    constexpr uint64_t kNotAscii = 0xFF80FF80FF80FF80;
    for (uint64_t low, high; i + 8 <= n; i += 8) {
      std::memcpy(&low, text + i, sizeof low);
      std::memcpy(&high, text + i + 4, sizeof high);
      if ((low | high) & kNotAscii) break;
      uint64_t packed = PackAscii(low) | PackAscii(high) << 32;
      std::memcpy(out + i, &packed, sizeof packed);
    }
  }
  for (; i < n && text[i] < 0x80; ++i) out[i] = static_cast<char>(text[i]);
  return i;
}

/// Gathers the bytes of an encoded text in a small buffer that is appended
/// to the result when nearly full, so the result is never filled ahead.
class ByteGatherer {
 public:
  /// The most bytes one character (or surrogate pair) may take.
  static constexpr size_t kMostPerCharacter = 4;

  explicit ByteGatherer(size_t expected_size) { bytes_.reserve(expected_size); }

  /// Copies the ASCII run that starts at `text[i]`; returns where it ends.
  /// Room for one more character is left behind it.
  size_t CopyAsciiRun(std::u16string_view text, size_t i) {
    for (;;) {
      MakeRoom(2 * kMostPerCharacter);
      size_t n = CopyAscii(text.data() + i, text.size() - i, buffer_ + used_,
                           sizeof buffer_ - kMostPerCharacter - used_);
      used_ += n;
      i += n;
      if (i == text.size() || text[i] >= 0x80) return i;
    }
  }
  /// Makes room for one more character.
  void MakeRoom() { MakeRoom(kMostPerCharacter); }
  // The buffer is filled by index, not through a pointer member: a byte
  // stored through a pointer may alias the pointer itself, which would then
  // be reloaded for every byte.
  void Put(uint32_t byte) { buffer_[used_++] = static_cast<char>(byte); }
  /// The result so far, to append to directly.
  std::string* Flushed() {
    bytes_.append(buffer_, used_);
    used_ = 0;
    return &bytes_;
  }
  std::string Take() { return std::move(*Flushed()); }

 private:
  void MakeRoom(size_t room) {
    if (used_ + room > sizeof buffer_) Flushed();
  }

  std::string bytes_;
  char buffer_[4096];
  size_t used_ = 0;
};

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_UTF8_H_
