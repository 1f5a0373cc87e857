#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/code_page.h"
#include "platform/utf8.h"
#include "text/code_points.h"

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
    // Every character takes one or two bytes and becomes one code unit. The
    // text is decoded a piece at a time and appended, so that its buffer is
    // written once, not filled ahead and then written again.
    text->clear();
    text->reserve(bytes.size());
    char16_t piece[16384];
    char* in = const_cast<char*>(bytes.data());
    size_t in_left = bytes.size();
    while (in_left != 0) {
      char* out = reinterpret_cast<char*>(piece);
      size_t out_left = sizeof piece;
      const int error = decoder_.Convert(&in, &in_left, &out, &out_left);
      text->append(piece, (sizeof piece - out_left) / sizeof(char16_t));
      // A full piece stops the converter with E2BIG; anything else is a
      // byte sequence the code page does not have.
      if (error != 0 && error != E2BIG) return false;
    }
    return true;
  }

  std::string Encode(std::u16string_view text) override {
    // The code page keeps ASCII as it is; a reference goes straight to
    // the result.
    ByteGatherer bytes(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] < 0x80) {
        i = bytes.CopyAsciiRun(text, i);
        if (i == text.size()) break;
      }
      bytes.MakeRoom();
      char16_t c = text[i];
      if (IsSurrogate(c)) {
        // The code page has nothing beyond the first plane.
        AppendCharacterReferenceAt(text, &i, bytes.Flushed());
        continue;
      }
      // Each character is encoded on its own, so the converter is asked once
      // per character and the answer kept: a page repeats few characters.
      uint16_t& code = codes_[c];
      if (code == kNotAsked) code = EncodeOne(c);
      if (code == kMissing) {
        AppendCharacterReferenceAt(text, &i, bytes.Flushed());
        continue;
      }
      if (code > 0xFF) bytes.Put(code >> 8);
      bytes.Put(code & 0xFF);
    }
    return bytes.Take();
  }

 private:
  // Codes that no character has: no lead byte is 0 or FF.
  static constexpr uint16_t kNotAsked = 0;
  static constexpr uint16_t kMissing = 0xFFFF;

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
