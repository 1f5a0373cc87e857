#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/code_page.h"

namespace quarnel {
namespace {

constexpr const char* kNative16 =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
constexpr const char* kCodePage = "CP932";

// Owns one iconv conversion; the code page is stateless, so a reset before
// each call is all a reuse needs.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // Converts as much as it can; returns 0 or the errno that stopped it.
  int Convert(char** in, size_t* in_left, char** out, size_t* out_left) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    return iconv(cd_, in, in_left, out, out_left) == static_cast<size_t>(-1) ? errno : 0;
  }

 private:
  iconv_t cd_;
};

class IconvCodePage final : public CodePage {
 public:
  bool Decode(std::string_view bytes, std::u16string* text) override {
    if (!decoder_.ok()) return false;
    // Every character takes one or two bytes and becomes one code unit.
    text->resize(bytes.size());
    char* in = const_cast<char*>(bytes.data());
    size_t in_left = bytes.size();
    char* out = reinterpret_cast<char*>(text->data());
    size_t out_left = text->size() * sizeof(char16_t);
    if (decoder_.Convert(&in, &in_left, &out, &out_left) != 0 || in_left != 0) {
      return false;
    }
    text->resize(text->size() - out_left / sizeof(char16_t));
    return true;
  }

  std::string Encode(std::u16string_view text) override {
    // Room for two bytes a character, the most the code page takes, and for
    // one character reference; a reference grows it as needed.
    std::string bytes(text.size() * 2 + kLongestReference, '\0');
    size_t at = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      // The code page keeps ASCII as it is; a page is mostly ASCII markup,
      // taken here four characters at a time.
      constexpr uint64_t kNotAscii = 0xFF80FF80FF80FF80;
      for (uint64_t word; i + 4 <= text.size(); i += 4, at += 4) {
        std::memcpy(&word, text.data() + i, sizeof word);
        if (word & kNotAscii) break;
        for (size_t k = 0; k < 4; ++k) bytes[at + k] = static_cast<char>(text[i + k]);
      }
      if (i == text.size()) break;
      char16_t c = text[i];
      if (c < 0x80) {
        bytes[at++] = static_cast<char>(c);
        continue;
      }
      if (c >= 0xD800 && c <= 0xDFFF) {
        // The code page has nothing beyond the first plane.
        char32_t code_point = 0xFFFD;
        if (c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
          code_point = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
          ++i;
        }
        AppendReference(code_point, text.size() - i - 1, &bytes, &at);
        continue;
      }
      // Each character is encoded on its own, so the converter is asked once
      // per character and the answer kept: a page repeats few characters.
      uint16_t& code = codes_[c];
      if (code == kNotAsked) code = EncodeOne(c);
      if (code == kMissing) {
        AppendReference(c, text.size() - i - 1, &bytes, &at);
        continue;
      }
      if (code > 0xFF) bytes[at++] = static_cast<char>(code >> 8);
      bytes[at++] = static_cast<char>(code & 0xFF);
    }
    bytes.resize(at);
    return bytes;
  }

 private:
  // "&#1114111;", the longest character reference.
  static constexpr size_t kLongestReference = 10;
  // Codes that no character has: no lead byte is 0 or FF.
  static constexpr uint16_t kNotAsked = 0;
  static constexpr uint16_t kMissing = 0xFFFF;

  // Writes the reference of `code_point` at `*at`, keeping room behind it
  // for `left` more characters of two bytes and one more reference.
  static void AppendReference(char32_t code_point, size_t left, std::string* bytes,
                              size_t* at) {
    std::string reference;
    AppendCharacterReference(code_point, &reference);
    size_t need = *at + reference.size() + left * 2 + kLongestReference;
    // Grown in proportion, so that many references stay linear.
    if (bytes->size() < need) bytes->resize(std::max(need, bytes->size() * 2));
    std::memcpy(bytes->data() + *at, reference.data(), reference.size());
    *at += reference.size();
  }

  // The one or two bytes of `c` (not ASCII, not a surrogate) as a number,
  // the lead byte high; kMissing when the code page lacks it.
  uint16_t EncodeOne(char16_t c) {
    if (!encoder_.ok()) return kMissing;
    char* in = reinterpret_cast<char*>(&c);
    size_t in_left = sizeof c;
    unsigned char encoded[4];
    char* out = reinterpret_cast<char*>(encoded);
    size_t out_left = sizeof encoded;
    if (encoder_.Convert(&in, &in_left, &out, &out_left) != 0 || in_left != 0) {
      return kMissing;
    }
    switch (sizeof encoded - out_left) {
      case 1:
        return encoded[0];
      case 2:
        return static_cast<uint16_t>(encoded[0] << 8 | encoded[1]);
      default:
        return kMissing;
    }
  }

  // What each character encodes to.
  std::vector<uint16_t> codes_ = std::vector<uint16_t>(0x10000, kNotAsked);
  Converter decoder_{kNative16, kCodePage};
  Converter encoder_{kCodePage, kNative16};
};

}  // namespace

std::unique_ptr<CodePage> MakeSystemCodePage() {
  return std::make_unique<IconvCodePage>();
}

}  // namespace quarnel
